// Windows-1251 <-> Unicode: the one table of the upper half of the code page
// (cp1251.h), and a reverse table built from it at compile time, so that both
// directions cost one lookup per character and can never disagree.
#include "store/text/cp1251.h"

#include <array>
#include <cstdint>

namespace velunar {

namespace {

// The reverse table is split by the high byte of the code point: a page of
// 256 bytes for each high byte that has any character of the code page in
// it (0x00, 0x04, 0x20 and 0x21), none for the others. In a page, 0 means
// "no byte"; no code point other than U+0000 maps to byte 0, and U+0000 never
// reaches the pages (ASCII is handled first).
constexpr int CountPages() {
  std::array<bool, 256> used{};
  for (char16_t c : kCp1251HighHalf) used[c >> 8] = true;
  int n = 0;
  for (bool u : used) n += u;
  return n;
}
constexpr int kPageCount = CountPages();

struct ReverseTable {
  std::array<std::uint8_t, 256> page_of{};  // 1-based index into pages; 0: no page
  std::array<std::array<std::uint8_t, 256>, kPageCount> pages{};
};

constexpr ReverseTable MakeReverseTable() {
  ReverseTable t;
  int next_page = 0;
  for (int i = 0; i < 128; ++i) {
    const char16_t c = kCp1251HighHalf[i];
    std::uint8_t& page = t.page_of[c >> 8];
    if (page == 0) page = static_cast<std::uint8_t>(++next_page);
    t.pages[page - 1][c & 0xFF] = static_cast<std::uint8_t>(0x80 + i);
  }
  return t;
}
constexpr ReverseTable kReverse = MakeReverseTable();

// The upper half must be a bijection onto code points outside ASCII, or a
// byte would come back as another byte.
constexpr bool HighHalfIsBijective() {
  for (int i = 0; i < 128; ++i) {
    const char16_t c = kCp1251HighHalf[i];
    if (c < 0x80) return false;
    if (kReverse.pages[kReverse.page_of[c >> 8] - 1][c & 0xFF] != 0x80 + i) return false;
  }
  return true;
}
static_assert(HighHalfIsBijective());

// The build-time conversion against bytes checked by hand: ASCII, two-byte
// letters, three-byte signs.
static_assert(kInCp1251<u8"A z"> == "A z");
static_assert(kInCp1251<u8"\u0410\u044F\u0451 \u0401"> == "\xC0\xFF\xB8 \xA8");
static_assert(kInCp1251<u8"— № €"> == "\x97 \xB9 \x88");
static_assert(kInCp1251<u8"">.empty());

inline std::optional<unsigned char> LookUp(char32_t c) {
  if (c < 0x80) return static_cast<unsigned char>(c);
  if (c > 0xFFFF) return std::nullopt;
  const std::uint8_t page = kReverse.page_of[c >> 8];
  if (page == 0) return std::nullopt;
  const std::uint8_t b = kReverse.pages[page - 1][c & 0xFF];
  if (b == 0) return std::nullopt;
  return b;
}

}  // namespace

char16_t Cp1251ToUnicode(unsigned char b) {
  return b < 0x80 ? char16_t{b} : kCp1251HighHalf[b - 0x80];
}

std::optional<unsigned char> UnicodeToCp1251(char32_t c) { return LookUp(c); }

std::u16string DecodeCp1251(std::string_view bytes) {
  std::u16string text(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    text[i] = Cp1251ToUnicode(static_cast<unsigned char>(bytes[i]));
  }
  return text;
}

std::optional<std::string> EncodeCp1251(std::u16string_view text) {
  std::string bytes(text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    // A surrogate unit finds no page, so a character outside the Basic
    // Multilingual Plane fails like any other character without a byte.
    const std::optional<unsigned char> b = LookUp(text[i]);
    if (!b) return std::nullopt;
    bytes[i] = static_cast<char>(*b);
  }
  return bytes;
}

}  // namespace velunar
