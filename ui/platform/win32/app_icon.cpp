// The program's icon on Windows, from its resources (res/windows/).
#include "ui/platform/win32/app_icons.h"

#include <memory>

namespace velunar {

namespace win32 {

CAppIcons::~CAppIcons() {
  if (hBig != nullptr) ::DestroyIcon(hBig);
  if (hSmall != nullptr) ::DestroyIcon(hSmall);
}

HICON IconHandle(const CIcon& icon, bool bBigIcon) {
  const auto* pIcons = static_cast<const CAppIcons*>(icon.Data());
  if (pIcons == nullptr) return nullptr;
  return bBigIcon ? pIcons->hBig : pIcons->hSmall;
}

}  // namespace win32

CIcon LoadAppIcon() {
  // Each size drawn from its own image of the icon, not one scaled from
  // another: LoadImageW picks the image of the icon resource that fits.
  constexpr int kIdrMainframe = 128;
  const auto load = [](int nWidthMetric, int nHeightMetric) {
    return static_cast<HICON>(::LoadImageW(win32::ProgramInstance(),
                                           MAKEINTRESOURCEW(kIdrMainframe), IMAGE_ICON,
                                           ::GetSystemMetrics(nWidthMetric),
                                           ::GetSystemMetrics(nHeightMetric), LR_DEFAULTCOLOR));
  };
  auto icons = std::make_shared<win32::CAppIcons>();
  icons->hBig = load(SM_CXICON, SM_CYICON);
  icons->hSmall = load(SM_CXSMICON, SM_CYSMICON);
  if (icons->hBig == nullptr || icons->hSmall == nullptr) return CIcon();
  return CIcon(std::shared_ptr<const void>(icons, icons.get()));
}

}  // namespace velunar
