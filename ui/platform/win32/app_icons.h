// The program's icon on Windows: what a CIcon (app_icon.h) holds here.
#ifndef VELUNAR_UI_PLATFORM_WIN32_APP_ICONS_H_
#define VELUNAR_UI_PLATFORM_WIN32_APP_ICONS_H_

#include "ui/platform/app_icon.h"
#include "ui/platform/win32/windows_api.h"

namespace velunar::win32 {

// IDR_MAINFRAME at the system's two icon sizes: the title bar and task
// bar's small icon, and the big one (Alt+Tab, the minimised window, the
// About box). Owns both.
struct CAppIcons {
  HICON hBig = nullptr;
  HICON hSmall = nullptr;
  CAppIcons() = default;
  CAppIcons(const CAppIcons&) = delete;
  CAppIcons& operator=(const CAppIcons&) = delete;
  ~CAppIcons();
};

// The icon of `icon` at the big or the small size; nullptr for a null one.
HICON IconHandle(const CIcon& icon, bool bBigIcon);

}  // namespace velunar::win32

#endif  // VELUNAR_UI_PLATFORM_WIN32_APP_ICONS_H_
