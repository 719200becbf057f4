// The end of the session on Windows: what Windows sends every top-level
// window when the user logs off or shuts down, and what reaches the
// handler.
#include "ui/platform/session_end.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui/platform/win32/windows_api.h"

namespace velunar {
namespace {

// The thread's session-end windows, oldest first.
std::vector<HWND> SessionEndWindows() {
  std::vector<HWND> windows;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND hwnd, LPARAM lParam) -> BOOL {
        if (win32::IsWindowClass(hwnd, L"Velunar.SessionEnd")) {
          reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// Sends the session's end to every window, as Windows does.
void EndSession(bool bEnding) {
  for (HWND hwnd : SessionEndWindows()) {
    EXPECT_EQ(::SendMessageW(hwnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  }
  for (HWND hwnd : SessionEndWindows()) {
    ::SendMessageW(hwnd, WM_ENDSESSION, bEnding ? TRUE : FALSE, ENDSESSION_LOGOFF);
  }
}

TEST(SessionEnd, TheNewestWatcherHearsAnEndingSessionOnce) {
  int nOuter = 0, nInner = 0;
  CSessionEndWatcher outer([&nOuter] { ++nOuter; });
  {
    CSessionEndWatcher inner([&nInner] { ++nInner; });
    ASSERT_EQ(SessionEndWindows().size(), 2u);
    // Asked, then told the end was called off: nothing happens.
    EndSession(false);
    EXPECT_EQ(nInner, 0);
    EndSession(true);
    EXPECT_EQ(nInner, 1);
    EXPECT_EQ(nOuter, 0);
  }
  ASSERT_EQ(SessionEndWindows().size(), 1u);
  EndSession(true);
  EXPECT_EQ(nOuter, 1);
  EXPECT_EQ(nInner, 1);
}

}  // namespace
}  // namespace velunar
