#include "tests/ui/platform/win32/win32_test_support.h"

#include <deque>
#include <utility>

#include "ui/resource_ids.h"

namespace velunar::testing {

CRecordingDialog::CRecordingDialog(int nIDTemplate, CDialog* pParent)
    : CDialog(nIDTemplate, kResourceNames, pParent) {
  for (const int nID : {IDOK, IDC_FIND, IDC_SHOW_ALL, IDC_CHANGE, IDC_DELETE, IDC_SAVE,
                        IDC_SITE_LINK}) {
    BindCommand(nID, BN_CLICKED, [this, nID] { commands.push_back(nID); });
  }
  BindCommand(IDCANCEL, BN_CLICKED, [this] {
    commands.push_back(IDCANCEL);
    EndDialog(IDCANCEL);
  });
}

bool CRecordingDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  if (onInit) onInit();
  return true;
}

void CRecordingDialog::OnSysCommand(unsigned nID) {
  sysCommands.push_back(nID);
  CDialog::OnSysCommand(nID);
}

namespace {

std::deque<std::function<void()>> g_steps;
UINT_PTR g_timer = 0;

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
  if (g_steps.empty()) {
    ::KillTimer(nullptr, g_timer);
    g_timer = 0;
    return;
  }
  const std::function<void()> step = std::move(g_steps.front());
  g_steps.pop_front();
  step();
}

}  // namespace

void RunInLoop(std::vector<std::function<void()>> steps) {
  for (auto& step : steps) g_steps.push_back(std::move(step));
  if (g_timer == 0) g_timer = ::SetTimer(nullptr, 0, 20, OnTick);
}

void DropPendingSteps() {
  g_steps.clear();
  if (g_timer != 0) ::KillTimer(nullptr, g_timer);
  g_timer = 0;
}

void PostKey(HWND hwnd, UINT nVirtualKey) {
  const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(nVirtualKey, MAPVK_VK_TO_VSC)) << 16;
  ::PostMessageW(hwnd, WM_KEYDOWN, nVirtualKey, scan | 1);
  ::PostMessageW(hwnd, WM_KEYUP, nVirtualKey, scan | 1 | (3u << 30));
}

void PostAltChar(HWND hwnd, wchar_t c, unsigned nScanCode) {
  // Bit 29: Alt is down.
  ::PostMessageW(hwnd, WM_SYSCHAR, c, static_cast<LPARAM>((nScanCode << 16) | (1u << 29) | 1));
}

int CMessageBoxRecorder::Show(CDialog* /*owner*/, const std::string& text,
                              const std::string& caption, unsigned nType) {
  boxes.push_back({text, caption, nType});
  return (nType & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
}

RECT WindowRect(HWND hwnd) {
  RECT rc{};
  ::GetWindowRect(hwnd, &rc);
  return rc;
}

}  // namespace velunar::testing
