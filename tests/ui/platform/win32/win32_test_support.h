// What the tests of the dialog services on Windows share: a dialog over one
// of the program's templates that records its commands, steps run from
// inside a modal loop, keys posted as the keyboard would post them, and a
// recorder in place of the message boxes.
#ifndef VELUNAR_TESTS_UI_PLATFORM_WIN32_WIN32_TEST_SUPPORT_H_
#define VELUNAR_TESTS_UI_PLATFORM_WIN32_WIN32_TEST_SUPPORT_H_

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "ui/platform/dialog.h"
#include "ui/platform/message_boxes.h"
#include "ui/platform/win32/dialog_window.h"

namespace velunar::testing {

// A dialog over the program's template `nIDTemplate` (ui/resource_ids.h)
// whose buttons record their ids in `commands`; IDCANCEL ends it.
class CRecordingDialog : public CDialog {
 public:
  explicit CRecordingDialog(int nIDTemplate, CDialog* pParent = nullptr);

  HWND Item(int nID) const { return Window().GetDlgItem(nID); }

  std::vector<int> commands;
  std::vector<unsigned> sysCommands;
  // Runs at the end of OnInitDialog.
  std::function<void()> onInit;

 protected:
  bool OnInitDialog() override;
  void OnSysCommand(unsigned nID) override;
};

// Runs `steps` one by one from inside whatever message loop runs next, one
// step a timer tick, so that the messages a step posts are handled before
// the next step runs.
void RunInLoop(std::vector<std::function<void()>> steps);
// Forgets the steps not run yet (the loop they were meant for has ended).
void DropPendingSteps();

// A key pressed and released on `hwnd` (WM_KEYDOWN, WM_KEYUP).
void PostKey(HWND hwnd, UINT nVirtualKey);
// A character typed with Alt (WM_SYSCHAR) on the key with scan code
// `nScanCode`.
void PostAltChar(HWND hwnd, wchar_t c, unsigned nScanCode);

// Message boxes recorded and answered at once: IDOK, or IDNO for Yes/No.
class CMessageBoxRecorder : public IMessageBoxes {
 public:
  struct Box {
    std::string text;
    std::string caption;
    unsigned nType;
  };
  int Show(CDialog* owner, const std::string& text, const std::string& caption,
           unsigned nType) override;
  std::vector<Box> boxes;
};

// The window rectangle of `hwnd`.
RECT WindowRect(HWND hwnd);

}  // namespace velunar::testing

#endif  // VELUNAR_TESTS_UI_PLATFORM_WIN32_WIN32_TEST_SUPPORT_H_
