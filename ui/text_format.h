// Filling the program's texts: %1, %2, ... in a text of res/texts/ stand
// for what the code puts in.
#ifndef VELUNAR_UI_TEXT_FORMAT_H_
#define VELUNAR_UI_TEXT_FORMAT_H_

#include <initializer_list>
#include <string>
#include <string_view>

namespace velunar {

// `pattern` with each %n (n from 1 to 9) replaced by args[n - 1]; a %n with
// no argument, and any other '%', stay as they are. Arguments are put in as
// they are, never searched for further %n.
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args);

}  // namespace velunar

#endif  // VELUNAR_UI_TEXT_FORMAT_H_
