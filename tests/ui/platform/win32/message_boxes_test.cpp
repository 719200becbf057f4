// The message boxes on Windows: MessageBoxW with the program's texts, its
// Russian Yes/No, and the answers each way of closing a box gives.
#include "ui/platform/message_boxes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/ui/platform/win32/win32_test_support.h"
#include "ui/platform/win32/wide_text.h"
#include "ui/resource_ids.h"

namespace velunar {
namespace {

// What a box showed while it was up.
struct CSeenBox {
  HWND hBox = nullptr;
  std::string caption, text, yes, no;
  bool bOk = false, bIcon = false, bFocusOnNo = false;
};

// The system's message box of this thread.
HWND FindBox() {
  HWND hBox = nullptr;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND hwnd, LPARAM lParam) -> BOOL {
        if (!win32::IsWindowClass(hwnd, L"#32770") || !::IsWindowVisible(hwnd)) return TRUE;
        *reinterpret_cast<HWND*>(lParam) = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&hBox));
  return hBox;
}

// Whether the box shows an icon: a visible icon static that holds one.
bool HasIcon(HWND hBox) {
  for (HWND h = ::GetWindow(hBox, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT)) {
    if (win32::IsWindowClass(h, L"Static") && ::IsWindowVisible(h) &&
        (::GetWindowLongPtrW(h, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
        ::SendMessageW(h, STM_GETICON, 0, 0) != 0) {
      return true;
    }
  }
  return false;
}

std::string ItemText(HWND hBox, int nID) {
  HWND hItem = ::GetDlgItem(hBox, nID);
  return hItem != nullptr ? win32::Utf8OfWide(win32::WindowText(hItem)) : std::string("(none)");
}

// Shows a box over a window and, while it is up, reads it and closes it by
// `close`. Returns what Show answered.
int ShowAndClose(unsigned nType, const std::function<void(HWND)>& close, CSeenBox& seen) {
  testing::CRecordingDialog owner(IDD_ABOUTBOX);
  EXPECT_TRUE(owner.Create());
  ::ShowWindow(owner.Window().Handle(), SW_SHOW);
  testing::RunInLoop({[&] {
    seen.hBox = FindBox();
    if (seen.hBox == nullptr) return;
    seen.caption = win32::Utf8OfWide(win32::WindowText(seen.hBox));
    seen.text = ItemText(seen.hBox, 0xFFFF);  // the box's text
    seen.yes = ItemText(seen.hBox, IDYES);
    seen.no = ItemText(seen.hBox, IDNO);
    seen.bOk = ::GetDlgItem(seen.hBox, IDOK) != nullptr;
    seen.bIcon = HasIcon(seen.hBox);
    seen.bFocusOnNo = ::GetFocus() != nullptr && ::GetFocus() == ::GetDlgItem(seen.hBox, IDNO);
    close(seen.hBox);
  }});
  return DefaultMessageBoxes().Show(&owner, "Первая строка\nвторая", "Внимание!", nType);
}

void Press(HWND hBox, int nID) {
  ::PostMessageW(hBox, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(hBox, nID)));
}

TEST(MessageBoxes, OkBoxShowsTheTextsAndTheIconOfItsType) {
  for (const unsigned nType : {MB_OK, MB_ICONSTOP, MB_ICONEXCLAMATION}) {
    SCOPED_TRACE(nType);
    CSeenBox seen;
    EXPECT_EQ(ShowAndClose(nType, [](HWND h) { Press(h, IDOK); }, seen), IDOK);
    ASSERT_NE(seen.hBox, nullptr);
    EXPECT_EQ(seen.caption, "Внимание!");
    EXPECT_EQ(seen.text, "Первая строка\nвторая");
    EXPECT_TRUE(seen.bOk);
    EXPECT_EQ(seen.yes, "(none)");
    EXPECT_EQ(seen.bIcon, nType != MB_OK);
  }
}

TEST(MessageBoxes, YesNoBoxIsRussianAndEveryWayOutButYesIsNo) {
  struct Row {
    const char* name;
    std::function<void(HWND)> close;
    int want;
  };
  const Row rows[] = {
      {"Да", [](HWND h) { Press(h, IDYES); }, IDYES},
      {"Нет", [](HWND h) { Press(h, IDNO); }, IDNO},
      {"Escape", [](HWND h) { testing::PostKey(::GetFocus() ? ::GetFocus() : h, VK_ESCAPE); }, IDNO},
      {"the close box", [](HWND h) { ::PostMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDNO},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    CSeenBox seen;
    EXPECT_EQ(ShowAndClose(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, r.close, seen), r.want);
    ASSERT_NE(seen.hBox, nullptr);
    EXPECT_EQ(seen.yes, "Да");
    EXPECT_EQ(seen.no, "Нет");
    EXPECT_FALSE(seen.bOk);
    // MB_DEFBUTTON2: «Нет» has the focus, so Enter answers no.
    EXPECT_TRUE(seen.bFocusOnNo);
  }
}

}  // namespace
}  // namespace velunar
