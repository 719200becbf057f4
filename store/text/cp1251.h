// The Windows-1251 code page as a bijection between its 256 bytes and
// Unicode, so that any entry can be shown in the window and read back from
// it unchanged.
//
// Every byte maps to exactly one code point and back: the letters and signs
// of the code page to their characters, the control bytes 0x00-0x1F and 0x7F
// to the same code points, and the one unassigned byte 0x98 to U+0098. No
// other code point has a byte.
//
// Texts the program writes itself are kept as UTF-8 (res/texts/) and made
// into Windows-1251 bytes when the program is built (kInCp1251 below).
#ifndef VELUNAR_STORE_TEXT_CP1251_H_
#define VELUNAR_STORE_TEXT_CP1251_H_

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velunar {

// The characters of bytes 0x80-0xFF; bytes 0x00-0x7F are ASCII. 0x98 has no
// character in the code page and stands for the C1 control U+0098, so that
// it too survives a trip through the window.
// clang-format off
inline constexpr std::array<char16_t, 128> kCp1251HighHalf = {
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

// The code point of byte `b`. All of them lie in the Basic Multilingual
// Plane, so each is one UTF-16 unit.
char16_t Cp1251ToUnicode(unsigned char b);

// The byte of code point `c`; nothing when Windows-1251 has no byte for it.
std::optional<unsigned char> UnicodeToCp1251(char32_t c);

// Whole texts. DecodeCp1251 never fails. EncodeCp1251 returns nothing when
// any unit of `text` has no byte (surrogates included); it never guesses and
// never writes "?".
std::u16string DecodeCp1251(std::string_view bytes);
std::optional<std::string> EncodeCp1251(std::u16string_view text);

// A UTF-8 string as a template argument: kInCp1251<u8"..."> for a literal,
// or kInCp1251<texts::kName> for a text of res/texts/ (whose plain string
// literals are UTF-8, the source encoding).
template <std::size_t N>
struct CUtf8Literal {
  char8_t text[N];
  consteval CUtf8Literal(const char8_t (&literal)[N]) {
    for (std::size_t i = 0; i < N; ++i) text[i] = literal[i];
  }
  consteval CUtf8Literal(const char (&literal)[N]) {
    for (std::size_t i = 0; i < N; ++i) text[i] = static_cast<char8_t>(literal[i]);
  }
};

// Up to N bytes of Windows-1251 text, made at compile time.
template <std::size_t N>
struct CCp1251Bytes {
  char bytes[N] = {};
  std::size_t size = 0;
  constexpr std::string_view View() const { return {bytes, size}; }
};

// The byte of `c`, found in the table; an error at compile time when the
// code page has none.
consteval unsigned char Cp1251ByteOf(char32_t c) {
  if (c < 0x80) return static_cast<unsigned char>(c);
  for (std::size_t i = 0; i < kCp1251HighHalf.size(); ++i) {
    if (kCp1251HighHalf[i] == c) return static_cast<unsigned char>(0x80 + i);
  }
  throw "a character of the text has no byte in Windows-1251";
}

// The Windows-1251 bytes of the UTF-8 text `utf8` (without its closing
// NUL). Malformed UTF-8, or a character with no byte, stops the build.
template <std::size_t N>
consteval CCp1251Bytes<N> EncodeCp1251AtCompileTime(const CUtf8Literal<N>& utf8) {
  CCp1251Bytes<N> out;
  auto unit = [&](std::size_t i) { return static_cast<unsigned char>(utf8.text[i]); };
  auto continuation = [&](std::size_t i) {
    if (i >= N - 1 || (unit(i) & 0xC0) != 0x80) throw "malformed UTF-8";
    return static_cast<char32_t>(unit(i) & 0x3F);
  };
  for (std::size_t i = 0; i < N - 1;) {
    const unsigned char lead = unit(i);
    char32_t c = 0;
    if (lead < 0x80) {
      c = lead;
      i += 1;
    } else if ((lead & 0xE0) == 0xC0 && lead >= 0xC2) {
      c = (static_cast<char32_t>(lead & 0x1F) << 6) | continuation(i + 1);
      i += 2;
    } else if ((lead & 0xF0) == 0xE0) {
      c = (static_cast<char32_t>(lead & 0x0F) << 12) | (continuation(i + 1) << 6) |
          continuation(i + 2);
      if (c < 0x800) throw "malformed UTF-8";
      i += 3;
    } else {
      // Four-byte sequences lie outside the Basic Multilingual Plane, where
      // the code page has nothing.
      throw "malformed UTF-8, or a character outside Windows-1251";
    }
    out.bytes[out.size++] = static_cast<char>(Cp1251ByteOf(c));
  }
  return out;
}

template <CUtf8Literal kUtf8>
inline constexpr auto kCp1251BytesOf = EncodeCp1251AtCompileTime(kUtf8);

// The Windows-1251 bytes of a UTF-8 string literal, made when the program is
// built and kept for its whole run:
//   constexpr std::string_view kWord = kInCp1251<u8"Запись">;
template <CUtf8Literal kUtf8>
inline constexpr std::string_view kInCp1251 = kCp1251BytesOf<kUtf8>.View();

}  // namespace velunar

#endif  // VELUNAR_STORE_TEXT_CP1251_H_
