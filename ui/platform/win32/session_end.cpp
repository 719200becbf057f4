// The end of the session on Windows: a log-off or shut-down, as Windows
// tells every top-level window (WM_QUERYENDSESSION, then WM_ENDSESSION).
// Each watcher has a hidden top-level window of its own to hear it. The
// handler runs at WM_ENDSESSION, when the session does end: after the
// window procedure returns, Windows may end the process at any moment, so
// the handler's save is over by then. WM_QUERYENDSESSION is answered yes:
// the program asks nobody, and a session another program keeps from ending
// goes on with the window as it was.
#include "ui/platform/session_end.h"

#include <algorithm>
#include <vector>

#include "ui/platform/win32/windows_api.h"

namespace velunar {
namespace {

constexpr wchar_t kWindowClass[] = L"Velunar.SessionEnd";

// The watchers, newest last.
std::vector<CSessionEndWatcher*>& Watchers() {
  static std::vector<CSessionEndWatcher*> watchers;
  return watchers;
}

}  // namespace

class CSessionEndWatcher::CImpl {
 public:
  explicit CImpl(CSessionEndWatcher& watcher) : m_watcher(watcher) {
    static const ATOM atom = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = WindowProc;
      wc.hInstance = win32::ProgramInstance();
      wc.lpszClassName = kWindowClass;
      return ::RegisterClassExW(&wc);
    }();
    if (atom == 0) return;
    // Top-level, never shown: a message-only window would not hear the
    // session's end.
    m_hWnd = ::CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               win32::ProgramInstance(), this);
  }
  ~CImpl() {
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
  }
  CImpl(const CImpl&) = delete;
  CImpl& operator=(const CImpl&) = delete;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* pCreate = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(pCreate->lpCreateParams));
    }
    auto* pSelf = reinterpret_cast<CImpl*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
      case WM_QUERYENDSESSION:
        return TRUE;
      case WM_ENDSESSION:
        // Every watcher's window hears it; the newest watcher answers.
        if (wParam != FALSE && pSelf != nullptr && !Watchers().empty() &&
            Watchers().back() == &pSelf->m_watcher) {
          try {
            pSelf->m_watcher.Notify();
          } catch (...) {
            // The handler reports its own failures; nothing may cross into
            // Windows.
          }
        }
        return 0;
      default:
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
  }

  CSessionEndWatcher& m_watcher;
  HWND m_hWnd = nullptr;
};

CSessionEndWatcher::CSessionEndWatcher(std::function<void()> onEnd)
    : m_onEnd(std::move(onEnd)), m_pImpl(std::make_unique<CImpl>(*this)) {
  Watchers().push_back(this);
}

CSessionEndWatcher::~CSessionEndWatcher() { std::erase(Watchers(), this); }

}  // namespace velunar
