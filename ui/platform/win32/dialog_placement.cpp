#include "ui/platform/win32/dialog_placement.h"

#include <cstring>

#include "ui/platform/win32/dialog_fitting.h"
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

// The dialog procedure of a window made only to be measured: it handles
// nothing.
INT_PTR CALLBACK ProbeProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

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

void CDialogWindow::FitToWorkArea(std::span<std::byte> dialogTemplate, std::size_t pointSizeAt) {
  RECT rcWork;
  if (!win32::WorkAreaOf(m_hOwner, rcWork)) return;
  WORD designed;
  std::memcpy(&designed, dialogTemplate.data() + pointSizeAt, sizeof designed);
  const auto setPoints = [&](int points) {
    const auto w = static_cast<WORD>(points);
    std::memcpy(dialogTemplate.data() + pointSizeAt, &w, sizeof w);
  };
  // Each size tried is measured on a hidden window of its own, which
  // nothing of the program's sees: the dialog manager alone knows what its
  // units come to in the system's font.
  const auto sizeAt = [&](int points) -> SIZE {
    setPoints(points);
    HWND hProbe = ::CreateDialogIndirectParamW(
        win32::ProgramInstance(), reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()), m_hOwner,
        win32::ProbeProc, 0);
    if (hProbe == nullptr) return {0, 0};  // as it was: the real creation will tell
    RECT rc;
    ::GetWindowRect(hProbe, &rc);
    ::DestroyWindow(hProbe);
    return {rc.right - rc.left, rc.bottom - rc.top};
  };
  setPoints(win32::FittingPointSize(
      designed, {rcWork.right - rcWork.left, rcWork.bottom - rcWork.top}, sizeAt));
}

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
