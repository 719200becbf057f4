// Entry texts for the tests, written readably in the source: the
// Windows-1251 bytes that entries are kept in. The store alone, no Qt; the
// window tests add UTF-8 forms of the same (tests/ui/window_driver.h).
#ifndef VELUNAR_TESTS_SUPPORT_ENTRY_TEXT_H_
#define VELUNAR_TESTS_SUPPORT_ENTRY_TEXT_H_

#include <string>
#include <string_view>

#include "store/text/cp1251.h"

namespace velunar::testing {

// `text` as Windows-1251 bytes. REQUIRES: every character has a byte.
inline std::string Cp(std::u16string_view text) { return EncodeCp1251(text).value(); }

}  // namespace velunar::testing

#endif  // VELUNAR_TESTS_SUPPORT_ENTRY_TEXT_H_
