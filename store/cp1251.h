// The Windows-1251 code page as a bijection between its 256 bytes and
// Unicode, so that any entry can be shown in the window and read back from
// it unchanged.
//
// Every byte maps to exactly one code point and back: the letters and signs
// of the code page to their characters, the control bytes 0x00-0x1F and 0x7F
// to the same code points, and the one unassigned byte 0x98 to U+0098. No
// other code point has a byte.
#ifndef VELUNAR_STORE_CP1251_H_
#define VELUNAR_STORE_CP1251_H_

#include <optional>
#include <string>
#include <string_view>

namespace velunar {

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

}  // namespace velunar

#endif  // VELUNAR_STORE_CP1251_H_
