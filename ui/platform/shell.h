// What the program asks of the desktop besides its windows: opening a web
// address in the user's browser.
#ifndef VELUNAR_UI_PLATFORM_SHELL_H_
#define VELUNAR_UI_PLATFORM_SHELL_H_

#include <string>

namespace velunar {

// Opens `url` (UTF-8) in the desktop's default browser, never through a
// command line of a shell. Returns false when the desktop could not.
bool OpenWebAddress(const std::string& url);

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_SHELL_H_
