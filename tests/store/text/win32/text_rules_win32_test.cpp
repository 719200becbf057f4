// The case table of the text rules against Windows' own services for code
// page 1251: every byte goes to UTF-16 and back as Windows converts it, and
// Windows says which characters are capitals and what their small letters
// are. Only the wide-character calls, so the result is the same whatever
// code page the system runs in.
#include <gtest/gtest.h>
#include <windows.h>

#include "store/text/text_rules.h"

namespace velunar {
namespace {

constexpr UINT kCodePage1251 = 1251;

TEST(TextRulesWin32, FoldByteFoldsWhatWindowsCallsCapitalsAndNothingElse) {
  // All 256 bytes, NUL as a space: every count below is then 256.
  char bytes[256];
  for (int b = 0; b < 256; ++b) bytes[b] = static_cast<char>(b == 0 ? ' ' : b);
  wchar_t wide[256];
  ASSERT_EQ(MultiByteToWideChar(kCodePage1251, 0, bytes, 256, wide, 256), 256);
  WORD types[256];
  ASSERT_TRUE(GetStringTypeW(CT_CTYPE1, wide, 256, types));
  wchar_t lower[256];
  ASSERT_EQ(LCMapStringW(LOCALE_INVARIANT, LCMAP_LOWERCASE, wide, 256, lower, 256), 256);
  char folded[256];
  ASSERT_EQ(WideCharToMultiByte(kCodePage1251, 0, lower, 256, folded, 256, nullptr, nullptr), 256);

  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(::testing::Message() << "byte 0x" << std::hex << b);
    const bool bCapital = (types[b] & C1_UPPER) != 0;
    const unsigned char want = bCapital ? static_cast<unsigned char>(folded[b]) : b;
    EXPECT_EQ(FoldByte(static_cast<unsigned char>(b)), want);
  }
}

}  // namespace
}  // namespace velunar
