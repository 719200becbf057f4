#include "ui/platform/win32/dialog_placement.h"

#include "ui/platform/win32/dialog_window.h"
#include "ui/platform/win_app.h"

namespace velunar {

namespace win32 {
namespace {

// One axis. The division truncates toward zero; the end is pulled back
// before the start is pushed forward, so that the start wins for a window
// longer than the area.
LONG PlaceAxis(LONG length, LONG centreStart, LONG centreEnd, LONG areaStart, LONG areaEnd) {
  LONG start = centreStart + (centreEnd - centreStart - length) / 2;
  if (start + length > areaEnd) start = areaEnd - length;
  if (start < areaStart) start = areaStart;
  return start;
}

}  // namespace

POINT CentredPosition(SIZE size, const RECT* pCentreOver, const RECT& workArea) {
  const RECT& centre = pCentreOver != nullptr ? *pCentreOver : workArea;
  return {PlaceAxis(size.cx, centre.left, centre.right, workArea.left, workArea.right),
          PlaceAxis(size.cy, centre.top, centre.bottom, workArea.top, workArea.bottom)};
}

bool WorkAreaOf(HWND hwnd, RECT& area) {
  HMONITOR hMonitor = hwnd != nullptr ? ::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY)
                                      : ::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!::GetMonitorInfoW(hMonitor, &info)) return false;
  area = info.rcWork;
  return true;
}

}  // namespace win32

void CDialogWindow::PlaceWindow() {
  RECT rcWindow;
  ::GetWindowRect(m_hWnd, &rcWindow);
  const bool bOverOwner =
      m_hOwner != nullptr && ::IsWindowVisible(m_hOwner) && !::IsIconic(m_hOwner);
  RECT rcOwner{};
  if (bOverOwner) ::GetWindowRect(m_hOwner, &rcOwner);
  // The work area of the owner's monitor, or of the main window's.
  RECT rcWork;
  if (!win32::WorkAreaOf(bOverOwner ? m_hOwner : HandleOf(AfxGetMainWnd()), rcWork)) return;
  const POINT at = win32::CentredPosition(
      {rcWindow.right - rcWindow.left, rcWindow.bottom - rcWindow.top},
      bOverOwner ? &rcOwner : nullptr, rcWork);
  ::SetWindowPos(m_hWnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace velunar
