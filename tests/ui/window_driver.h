// Driving the program's windows in-process as a user would, on Qt's
// offscreen platform: the dialog driver (keys to the window, message boxes
// recorded), entry texts in both encodings, and a fresh directory per test
// for the entry file.
#ifndef VELUNAR_TESTS_UI_WINDOW_DRIVER_H_
#define VELUNAR_TESTS_UI_WINDOW_DRIVER_H_

#include <string>
#include <string_view>

#include "tests/support/entry_text.h"
#include "tests/support/scratch_dir.h"
#include "tests/ui/platform/qt/dialog_driver.h"

namespace velunar::testing {

// UTF-8 text as Windows-1251 bytes, the way entries are kept (the
// UTF-16 form is in entry_text.h).
std::string Cp(const char* utf8);
// Windows-1251 bytes as UTF-8 text.
std::string Utf8(std::string_view cp1251);

}  // namespace velunar::testing

#endif  // VELUNAR_TESTS_UI_WINDOW_DRIVER_H_
