// The Windows API for the dialog services on Windows: every file of this
// folder includes the system's headers through this one.
//
// The dialog services' own header win_defs.h names IDOK, MB_OK, SC_CLOSE
// and the rest with the very numbers Windows gives them, as constants of
// the program; <windows.h> makes the same names macros. Here the macros
// go, after a check that each number is the same, so that both the
// program's headers and the system's can be used in one file, in either
// order. So do the macros that would rename the dialog's own members
// (MessageBox, GetDlgItemText, SetDlgItemText): the W functions are called
// by their full names.
#ifndef VELUNAR_UI_PLATFORM_WIN32_WINDOWS_API_H_
#define VELUNAR_UI_PLATFORM_WIN32_WINDOWS_API_H_

#include <windows.h>
// <windows.h> first: these need its types.
#include <commctrl.h>
#include <shellapi.h>

// The names win_defs.h shares with <windows.h>. Expanded here they give the
// system's numbers; expanded after the #undefs below, the program's.
#define VELUNAR_SHARED_WIN_DEFS                                                             \
  IDOK, IDCANCEL, IDYES, IDNO, BN_CLICKED, LBN_SELCHANGE, MB_OK, MB_YESNO, MB_TYPEMASK,      \
      MB_ICONHAND, MB_ICONQUESTION, MB_ICONEXCLAMATION, MB_ICONASTERISK, MB_ICONMASK,        \
      MB_DEFBUTTON1, MB_DEFBUTTON2, MB_DEFMASK, SC_CLOSE

namespace velunar::win32 {
inline constexpr unsigned kSystemValues[] = {VELUNAR_SHARED_WIN_DEFS};
}  // namespace velunar::win32

#undef IDOK
#undef IDCANCEL
#undef IDYES
#undef IDNO
#undef IDC_STATIC
#undef BN_CLICKED
#undef LBN_SELCHANGE
#undef MB_OK
#undef MB_YESNO
#undef MB_TYPEMASK
#undef MB_ICONHAND
#undef MB_ICONSTOP
#undef MB_ICONQUESTION
#undef MB_ICONEXCLAMATION
#undef MB_ICONASTERISK
#undef MB_ICONINFORMATION
#undef MB_ICONMASK
#undef MB_DEFBUTTON1
#undef MB_DEFBUTTON2
#undef MB_DEFMASK
#undef SC_CLOSE
#undef MessageBox
#undef GetDlgItemText
#undef SetDlgItemText

#include "ui/platform/win_defs.h"

namespace velunar::win32 {
inline constexpr unsigned kProgramValues[] = {VELUNAR_SHARED_WIN_DEFS};
#undef VELUNAR_SHARED_WIN_DEFS
constexpr bool SameValues() {
  for (unsigned i = 0; i < sizeof kSystemValues / sizeof kSystemValues[0]; ++i) {
    if (kSystemValues[i] != kProgramValues[i]) return false;
  }
  return true;
}
static_assert(SameValues(), "win_defs.h must give the numbers Windows gives");

// Private messages of the dialog services. A dialog hands a control the
// notifications it sends about itself (WM_COMMAND, WM_DRAWITEM) as these,
// so that the control's own code answers them; a control that does not
// know them answers 0 and the dialog handles the notification itself.
inline constexpr UINT kReflectedCommand = WM_APP + 0x100;
inline constexpr UINT kReflectedDrawItem = WM_APP + 0x101;

// The module the program's resources are in: the executable.
inline HINSTANCE ProgramInstance() { return ::GetModuleHandleW(nullptr); }

// Whether window `hwnd` is of the window class `name` ("Edit", "Button").
inline bool IsWindowClass(HWND hwnd, const wchar_t* name) {
  wchar_t className[32] = {};
  return ::GetClassNameW(hwnd, className, 32) > 0 && ::lstrcmpiW(className, name) == 0;
}

}  // namespace velunar::win32

#endif  // VELUNAR_UI_PLATFORM_WIN32_WINDOWS_API_H_
