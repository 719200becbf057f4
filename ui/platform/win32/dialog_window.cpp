// The window's life on Windows: creation from the dialog resource, the
// modal run and its end, the controls by id, the system menu, the icon,
// painting while minimised and the messages the program's code answers;
// the parts of CDialog that need the window.
#include "ui/platform/win32/dialog_window.h"

#include <cstring>
#include <new>
#include <span>
#include <vector>

#include "ui/platform/win32/app_icons.h"
#include "ui/platform/win32/dialog_fitting.h"
#include "ui/platform/win32/entry_edit.h"
#include "ui/platform/win32/wide_text.h"
#include "ui/platform/win_app.h"

namespace velunar {
namespace {

// The window property that leads from a window to its CDialogWindow.
constexpr wchar_t kDialogProperty[] = L"Velunar.CDialogWindow";

}  // namespace

CDialog::CDialog(int nIDTemplate, std::span<const CResourceName> names, CDialog* pParentWnd)
    : m_nIDTemplate(nIDTemplate),
      m_names(names),
      m_pParentWnd(pParentWnd),
      m_pWindow(std::make_unique<CDialogWindow>(*this)) {}

CDialog::~CDialog() {
  if (CWinApp* pApp = AfxGetApp(); pApp != nullptr && pApp->m_pMainWnd == this) {
    pApp->m_pMainWnd = nullptr;
  }
}

bool CDialog::Create() {
  CDialogWindow& w = *m_pWindow;
  w.m_nEndedDuringInit.reset();
  w.m_bEnded = false;
  if (w.m_hWnd == nullptr) {
    // WM_INITDIALOG runs OnInitWindow.
    if (!w.CreateFromResource()) return false;
  } else {
    w.OnInitWindow();
  }
  if (w.m_hWnd != nullptr) w.PlaceWindow();
  return true;
}

int CDialog::DoModal() {
  CDialogWindow& w = *m_pWindow;
  if (!Create()) return -1;
  w.m_nResult = -1;
  if (!w.m_nEndedDuringInit) {
    // The owner takes no input while the run lasts.
    w.m_bOwnerDisabled = w.m_hOwner != nullptr && ::IsWindowEnabled(w.m_hOwner);
    if (w.m_bOwnerDisabled) ::EnableWindow(w.m_hOwner, FALSE);
    w.m_bRunning = true;
    ::ShowWindow(w.m_hWnd, SW_SHOWNORMAL);
    ::SetForegroundWindow(w.m_hWnd);
    if (w.m_bFocusPending) {
      // The dialog manager's own focus move: an edit field that takes the
      // focus this way has its whole text selected.
      if (HWND hFirst = ::GetNextDlgTabItem(w.m_hWnd, nullptr, FALSE)) {
        ::SendMessageW(w.m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hFirst), TRUE);
      }
    }
    w.RunModalLoop();
    w.m_bRunning = false;
    w.EnableOwner();
  }
  const int nResult = w.m_nEndedDuringInit ? *w.m_nEndedDuringInit : w.m_nResult;
  w.Destroy();
  return nResult;
}

void CDialog::EndDialog(int nResult) {
  CDialogWindow& w = *m_pWindow;
  w.m_nResult = nResult;
  w.m_bEnded = true;
  if (!w.m_bRunning && !IsWindowVisible()) w.m_nEndedDuringInit = nResult;
  if (w.m_hWnd == nullptr) return;
  // The owner first: a window hidden while its owner is still disabled
  // hands the activation to another program.
  w.EnableOwner();
  ::ShowWindow(w.m_hWnd, SW_HIDE);
  // Wakes the loop, which then sees the end.
  ::PostMessageW(w.m_hWnd, WM_NULL, 0, 0);
}

bool CDialog::IsWindowVisible() const {
  return m_pWindow->m_hWnd != nullptr && ::IsWindowVisible(m_pWindow->m_hWnd);
}

void CDialog::EndBoxesAbove() {
  HWND hSelf = m_pWindow->m_hWnd;
  if (hSelf == nullptr) return;
  // The thread's visible windows owned, at any distance, by this one: the
  // About box, message boxes, boxes over those.
  struct CAbove {
    HWND hSelf;
    std::vector<HWND> windows;
  } above{hSelf, {}};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND hwnd, LPARAM lParam) -> BOOL {
        auto* pAbove = reinterpret_cast<CAbove*>(lParam);
        if (hwnd == pAbove->hSelf || !::IsWindowVisible(hwnd)) return TRUE;
        for (HWND h = ::GetWindow(hwnd, GW_OWNER); h != nullptr; h = ::GetWindow(h, GW_OWNER)) {
          if (h == pAbove->hSelf) {
            pAbove->windows.push_back(hwnd);
            break;
          }
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&above));
  for (HWND hwnd : above.windows) {
    if (CDialogWindow* pWindow = CDialogWindow::FromHandle(hwnd)) {
      pWindow->Owner().EndDialog(IDCANCEL);
    } else {
      // A message box: the system's own dialog.
      ::EndDialog(hwnd, IDCANCEL);
    }
  }
}

void CDialog::AppendSysMenuSeparator() {
  if (HMENU hMenu = m_pWindow->m_hWnd ? ::GetSystemMenu(m_pWindow->m_hWnd, FALSE) : nullptr) {
    ::AppendMenuW(hMenu, MF_SEPARATOR, 0, nullptr);
  }
}

void CDialog::AppendSysMenuItem(unsigned nID, const std::string& text) {
  if (HMENU hMenu = m_pWindow->m_hWnd ? ::GetSystemMenu(m_pWindow->m_hWnd, FALSE) : nullptr) {
    ::AppendMenuW(hMenu, MF_STRING, nID, win32::WideOfUtf8(text).c_str());
  }
}

void CDialog::SetIcon(const CIcon& icon, bool bBigIcon) {
  CDialogWindow& w = *m_pWindow;
  (bBigIcon ? w.m_bigIcon : w.m_smallIcon) = icon;
  if (w.m_hWnd == nullptr) return;
  ::SendMessageW(w.m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                 reinterpret_cast<LPARAM>(win32::IconHandle(icon, bBigIcon)));
}

std::string CDialog::GetDlgItemText(int nID) const {
  HWND hItem = m_pWindow->GetDlgItem(nID);
  return hItem != nullptr ? win32::Utf8OfWide(win32::WindowText(hItem)) : std::string();
}

void CDialog::SetDlgItemText(int nID, const std::string& text) {
  if (HWND hItem = m_pWindow->GetDlgItem(nID)) {
    ::SetWindowTextW(hItem, win32::WideOfUtf8(text).c_str());
  }
}

CDialogWindow::~CDialogWindow() { Destroy(); }

HWND CDialogWindow::GetDlgItem(int nID) const {
  return m_hWnd != nullptr ? ::GetDlgItem(m_hWnd, nID) : nullptr;
}

CDialogWindow* CDialogWindow::FromHandle(HWND hwnd) {
  return static_cast<CDialogWindow*>(::GetPropW(hwnd, kDialogProperty));
}

HWND CDialogWindow::OwnerWindow() const {
  CDialog* pOwner = m_owner.GetParent();
  if (pOwner == nullptr && AfxGetMainWnd() != &m_owner) pOwner = AfxGetMainWnd();
  return HandleOf(pOwner);
}

bool CDialogWindow::CreateFromResource() {
  const HINSTANCE hInstance = win32::ProgramInstance();
  HRSRC hResource = ::FindResourceW(hInstance, MAKEINTRESOURCEW(m_owner.TemplateId()), RT_DIALOG);
  HGLOBAL hTemplate = hResource != nullptr ? ::LoadResource(hInstance, hResource) : nullptr;
  const void* pTemplate = hTemplate != nullptr ? ::LockResource(hTemplate) : nullptr;
  if (pTemplate == nullptr) return false;
  m_hOwner = OwnerWindow();
  // A copy, DWORD-aligned as templates must be, whose font can be made
  // smaller for a small screen.
  const DWORD nBytes = ::SizeofResource(hInstance, hResource);
  std::vector<DWORD> copy((nBytes + sizeof(DWORD) - 1) / sizeof(DWORD));
  std::memcpy(copy.data(), pTemplate, nBytes);
  const std::span<std::byte> bytes(reinterpret_cast<std::byte*>(copy.data()), nBytes);
  const auto* pCopy = reinterpret_cast<LPCDLGTEMPLATEW>(copy.data());
  if (const auto at = win32::PointSizeOffset(bytes); at.has_value()) FitToWorkArea(bytes, *at);
  return ::CreateDialogIndirectParamW(hInstance, pCopy, m_hOwner, DialogProc,
                                      reinterpret_cast<LPARAM>(this)) != nullptr;
}


void CDialogWindow::OnInitWindow() {
  bool bFocus = false;
  m_owner.Dispatch([this, &bFocus] { bFocus = m_owner.OnInitDialog(); });
  m_bFocusPending = bFocus;
}

void CDialogWindow::EnableOwner() {
  if (!m_bOwnerDisabled) return;
  m_bOwnerDisabled = false;
  if (m_hOwner != nullptr) ::EnableWindow(m_hOwner, TRUE);
}

void CDialogWindow::Destroy() {
  if (m_hWnd == nullptr) return;
  EnableOwner();
  ::DestroyWindow(m_hWnd);  // WM_NCDESTROY forgets the handle
  m_hWnd = nullptr;
}

void CDialogWindow::RunModalLoop() {
  while (!m_bEnded) {
    MSG msg;
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      // Somebody asked the program to end: the request is left for the
      // loop it was meant for.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    bool bUsed = false;
    try {
      bUsed = PreTranslateMessage(msg);
    } catch (const std::bad_alloc&) {
      // No memory to read a caption: the dialog manager has the key.
    }
    if (bUsed) continue;
    if (m_hWnd != nullptr && ::IsDialogMessageW(m_hWnd, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

void CDialogWindow::PaintMinimised() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(m_hWnd, &ps);
  ::SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  const int cx = ::GetSystemMetrics(SM_CXICON);
  const int cy = ::GetSystemMetrics(SM_CYICON);
  RECT rc;
  ::GetClientRect(m_hWnd, &rc);
  const int x = (rc.right - rc.left - cx + 1) / 2;
  const int y = (rc.bottom - rc.top - cy + 1) / 2;
  if (HICON hIcon = win32::IconHandle(m_bigIcon, true)) ::DrawIcon(dc, x, y, hIcon);
  ::EndPaint(m_hWnd, &ps);
}

INT_PTR CALLBACK CDialogWindow::DialogProc(HWND hwnd, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* pWindow = reinterpret_cast<CDialogWindow*>(lParam);
    ::SetPropW(hwnd, kDialogProperty, pWindow);
    pWindow->m_hWnd = hwnd;
    // Every edit field of the program's templates is an entry field.
    for (HWND hChild = ::GetWindow(hwnd, GW_CHILD); hChild != nullptr;
         hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
      if (win32::IsWindowClass(hChild, L"Edit")) win32::AttachEntryEdit(hChild);
    }
    pWindow->OnInitWindow();
    // The focus is given when the run shows the window (DoModal).
    return FALSE;
  }
  CDialogWindow* pWindow = FromHandle(hwnd);
  if (pWindow == nullptr) return FALSE;
  if (message == WM_NCDESTROY) {
    ::RemovePropW(hwnd, kDialogProperty);
    pWindow->m_hWnd = nullptr;
    return FALSE;
  }
  return pWindow->OnMessage(message, wParam, lParam);
}

INT_PTR CDialogWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      // A control that answers for itself (the list over the view list)
      // takes its notification first.
      const auto hControl = reinterpret_cast<HWND>(lParam);
      if (hControl != nullptr && ::SendMessageW(hControl, win32::kReflectedCommand, wParam, 0)) {
        return TRUE;
      }
      m_owner.OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    }
    case WM_SYSCOMMAND:
      // The program's own items (values below 0xF000); the system's (move,
      // close, the keyboard's menu) stay the dialog manager's, which turns
      // Close into IDCANCEL.
      if ((wParam & 0xFFF0) < 0xF000) {
        m_owner.Dispatch([this, wParam] { m_owner.OnSysCommand(static_cast<unsigned>(wParam)); });
        return TRUE;
      }
      return FALSE;
    case WM_DRAWITEM: {
      const auto* pDraw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (pDraw->CtlType != ODT_LISTBOX) return FALSE;
      ::SendMessageW(pDraw->hwndItem, win32::kReflectedDrawItem, 0, lParam);
      return TRUE;
    }
    case WM_PAINT:
      // A window without a minimise box is minimised only by other means
      // (the task bar, Win+D); it then shows its icon.
      if (!::IsIconic(m_hWnd)) return FALSE;
      PaintMinimised();
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(win32::IconHandle(m_bigIcon, true));
    case WM_HELP:
      // F1 is taken before it gets this far (dialog_keyboard.cpp).
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace velunar
