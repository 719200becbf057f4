// The window driver on Windows: the window's own controls, then the
// messages the thread has, until none is left, with the paints of the
// dialog and of every control done before the queue is looked at again;
// that is what it takes here for the list on screen to be up to date.
#include "bench/window_driver.h"

#include "ui/platform/win32/dialog_window.h"
#include "ui/platform/win32/wide_text.h"
#include "ui/platform/win32/windows_api.h"
#include "ui/resource_ids.h"
#include "ui/velunar_dlg.h"

namespace velunar::bench {

struct CToolkit::CImpl {};

CToolkit::CToolkit(int /*argc*/, char** /*argv*/) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
}

CToolkit::~CToolkit() = default;

namespace {

// Runs the thread's messages as the dialog's own loop does (the dialog
// keyboard included) until the queue is empty and nothing is left to
// paint: UpdateWindow for the dialog and each of its controls.
void ProcessPending(HWND hDlg) {
  MSG msg;
  for (;;) {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (::IsDialogMessageW(hDlg, &msg)) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::RedrawWindow(hDlg, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) return;
  }
}

}  // namespace

struct CWindowDriver::CImpl {
  CVelunarDlg& dlg;
  HWND hDlg;
  HWND hEdit;
  HWND hList;
};

CWindowDriver::CWindowDriver(CVelunarDlg& dlg) {
  const HWND hDlg = dlg.Window().Handle();
  m_pImpl.reset(new CImpl{dlg, hDlg, dlg.Window().GetDlgItem(IDC_ENTRY_EDIT),
                          dlg.Window().GetDlgItem(IDC_ENTRY_LIST)});
  ::ShowWindow(hDlg, SW_SHOWNORMAL);
  ::SetForegroundWindow(hDlg);
  ProcessPending(hDlg);
}

CWindowDriver::~CWindowDriver() = default;

void CWindowDriver::SetField(const std::string& cp1251) {
  ::SetWindowTextW(m_pImpl->hEdit, win32::WideOfCp1251(cp1251).c_str());
}

void CWindowDriver::Run(int nID) {
  m_pImpl->dlg.OnCommand(nID, BN_CLICKED);
  ProcessPending(m_pImpl->hDlg);
}

void CWindowDriver::FocusList() {
  ::SetFocus(m_pImpl->hList);
  ProcessPending(m_pImpl->hDlg);
}

void CWindowDriver::SelectNext() {
  // As the keyboard posts it: the key down and up, with the key's scan code.
  const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(VK_DOWN, MAPVK_VK_TO_VSC)) << 16;
  ::PostMessageW(m_pImpl->hList, WM_KEYDOWN, VK_DOWN, scan | 1);
  ::PostMessageW(m_pImpl->hList, WM_KEYUP, VK_DOWN, scan | 1 | (LPARAM{3} << 30));
  ProcessPending(m_pImpl->hDlg);
}

}  // namespace velunar::bench
