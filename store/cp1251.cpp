// Windows-1251 <-> Unicode: one table for the upper half of the code page,
// and a reverse table built from it at compile time, so that both directions
// cost one lookup per character and can never disagree.
#include "store/cp1251.h"

#include <array>
#include <cstdint>

namespace velunar {

namespace {

// The characters of bytes 0x80-0xFF; bytes 0x00-0x7F are ASCII. 0x98 has no
// character in the code page and stands for the C1 control U+0098, so that
// it too survives a trip through the window.
// clang-format off
constexpr std::array<char16_t, 128> kHighHalf = {
    // 0x80: Ђ Ѓ ‚ ѓ „ … † ‡ € ‰ Љ ‹ Њ Ќ Ћ Џ
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    // 0x90: ђ ‘ ’ “ ” • – — (0x98) ™ љ › њ ќ ћ џ
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    // 0xA0: NBSP Ў ў Ј ¤ Ґ ¦ § Ё © Є « ¬ soft-hyphen ® Ї
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    // 0xB0: ° ± І і ґ µ ¶ · ё № є » ј Ѕ ѕ ї
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    // 0xC0: А-П
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    // 0xD0: Р-Я
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    // 0xE0: а-п
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    // 0xF0: р-я
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};
// clang-format on

// The reverse table is split by the high byte of the code point: a page of
// 256 bytes for each high byte that has any character of the code page in
// it (0x00, 0x04, 0x20 and 0x21), none for the others. In a page, 0 means
// "no byte"; no code point other than U+0000 maps to byte 0, and U+0000 never
// reaches the pages (ASCII is handled first).
constexpr int CountPages() {
  std::array<bool, 256> used{};
  for (char16_t c : kHighHalf) used[c >> 8] = true;
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
    const char16_t c = kHighHalf[i];
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
    const char16_t c = kHighHalf[i];
    if (c < 0x80) return false;
    if (kReverse.pages[kReverse.page_of[c >> 8] - 1][c & 0xFF] != 0x80 + i) return false;
  }
  return true;
}
static_assert(HighHalfIsBijective());

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

char16_t Cp1251ToUnicode(unsigned char b) { return b < 0x80 ? char16_t{b} : kHighHalf[b - 0x80]; }

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
