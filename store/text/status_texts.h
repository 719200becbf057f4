// The three texts the program itself writes into the entry field, and the
// test by which the commands refuse them as data.
//
// They are the Windows-1251 bytes of the texts in res/texts/, made when the
// program is built, and compared byte for byte: a user can never add,
// change or search for one of them by accident.
#ifndef VELUNAR_STORE_TEXT_STATUS_TEXTS_H_
#define VELUNAR_STORE_TEXT_STATUS_TEXTS_H_

#include <string>
#include <string_view>

#include "res/texts/main_window_texts.h"
#include "store/text/cp1251.h"

namespace velunar {

inline constexpr std::string_view kHintText = kInCp1251<texts::kHintText>;
inline constexpr std::string_view kCountPrefix = kInCp1251<texts::kCountPrefix>;
static_assert(kCountPrefix.size() == 32 && kCountPrefix[30] == '\x97',
              "the count prefix ends with an em dash and one space");
inline constexpr std::string_view kNotFoundLine = kInCp1251<texts::kNotFoundLine>;

// True when `s` equals the hint text, begins with the count prefix (whatever
// follows it), or equals the not-found line. The empty text is no status
// text.
bool IsStatusText(std::string_view s);

// The count prefix followed by `n` in decimal digits.
std::string CountLine(int n);

}  // namespace velunar

#endif  // VELUNAR_STORE_TEXT_STATUS_TEXTS_H_
