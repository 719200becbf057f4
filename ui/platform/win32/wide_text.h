// Texts at the edge of the Windows API: the program's UTF-8 and the
// Windows-1251 bytes of its entries as the UTF-16 that the W functions take,
// and back. No ANSI code page is ever involved, so the program shows the
// same texts on a Windows of any language.
#ifndef VELUNAR_UI_PLATFORM_WIN32_WIDE_TEXT_H_
#define VELUNAR_UI_PLATFORM_WIN32_WIDE_TEXT_H_

#include <string>
#include <string_view>

#include "ui/platform/win32/windows_api.h"

namespace velunar::win32 {

// UTF-8 as UTF-16. Malformed UTF-8 becomes U+FFFD, as the system converts
// it; the program's own texts are never malformed.
std::wstring WideOfUtf8(std::string_view utf8);
// UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8OfWide(std::wstring_view wide);

// Windows-1251 bytes as UTF-16, one unit a byte, by the program's own table
// of the code page (store/text/cp1251.h).
std::wstring WideOfCp1251(std::string_view bytes);
// UTF-16 as Windows-1251 bytes; a unit without a byte is left out, never
// written as "?".
std::string Cp1251OfWide(std::wstring_view wide);

// The whole text of window `hwnd` (a control's caption or an edit field's
// text).
std::wstring WindowText(HWND hwnd);

}  // namespace velunar::win32

#endif  // VELUNAR_UI_PLATFORM_WIN32_WIDE_TEXT_H_
