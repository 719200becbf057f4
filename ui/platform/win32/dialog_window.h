// CDialogWindow: a CDialog's window on Windows, made by the dialog manager.
//
// The window comes from the dialog resource of the template id (the
// program's window templates, compiled in by res/windows/), created with
// CreateDialogIndirectParamW in the module's resources: the dialog manager
// builds the controls, sizes them in dialog units of the shell dialog font
// and gives the window its keyboard. The window is created hidden; the
// modal run shows it once OnInitDialog has run and it is placed.
//
// The modal run is a loop of its own over the thread's queue, in which
// IsDialogMessageW gives every key the dialog keyboard (Tab, Enter, Escape,
// the mnemonics), after the few rules of dialog_keyboard.cpp: F1 is the help
// request, and a mnemonic is found whatever the letter's case and, while a
// Latin layout is active, by the Russian letter of its key. The owner is
// disabled while the run lasts. Closing the window (the close box, Alt+F4,
// Close in the system menu) is the dialog manager's IDCANCEL.
//
// Every call from Windows into the program's code (commands, OnInitDialog,
// system commands, exchanges) goes through the dialog's Dispatch: no
// exception crosses a window procedure.
//
// Each edit field is an entry field (entry_edit.h); each list box is the
// owner-data list of list_control.h once a CListBox is bound to it.
#ifndef VELUNAR_UI_PLATFORM_WIN32_DIALOG_WINDOW_H_
#define VELUNAR_UI_PLATFORM_WIN32_DIALOG_WINDOW_H_

#include <cstddef>
#include <optional>
#include <span>

#include "ui/platform/app_icon.h"
#include "ui/platform/dialog.h"
#include "ui/platform/win32/windows_api.h"

namespace velunar {

class CDialogWindow {
 public:
  explicit CDialogWindow(CDialog& owner) : m_owner(owner) {}
  ~CDialogWindow();
  CDialogWindow(const CDialogWindow&) = delete;
  CDialogWindow& operator=(const CDialogWindow&) = delete;

  CDialog& Owner() const { return m_owner; }
  // The window, or nullptr before Create and after the modal run.
  HWND Handle() const { return m_hWnd; }
  // The control with id `nID`, or nullptr.
  HWND GetDlgItem(int nID) const;

  // The dialog of window `hwnd`, when it is one of the program's, or
  // nullptr.
  static CDialogWindow* FromHandle(HWND hwnd);

 private:
  friend class CDialog;

  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // The window the dialog is owned by while it is up: its parent's, or the
  // application's main window's.
  HWND OwnerWindow() const;
  bool CreateFromResource();
  // dialog_placement.cpp: gives a copy of the template (`pointSizeAt`: where
  // its font's size stands) the largest font at which the window fits the
  // work area (dialog_fitting.h).
  void FitToWorkArea(std::span<std::byte> dialogTemplate, std::size_t pointSizeAt);
  void OnInitWindow();
  void PaintMinimised();
  // Gives the owner its input back, when the run took it.
  void EnableOwner();
  void Destroy();
  // The modal run's loop, until EndDialog.
  void RunModalLoop();

  // dialog_keyboard.cpp: the rules applied before IsDialogMessageW; true
  // when the message was used.
  bool PreTranslateMessage(MSG& msg);
  // The enabled, visible push button whose mnemonic is `c` (either case),
  // or nullptr.
  HWND MnemonicButton(wchar_t c) const;

  // dialog_placement.cpp: centres the window over its owner or the work
  // area, inside the work area.
  void PlaceWindow();

  CDialog& m_owner;
  HWND m_hWnd = nullptr;
  HWND m_hOwner = nullptr;
  bool m_bOwnerDisabled = false;
  bool m_bRunning = false;
  bool m_bEnded = false;
  int m_nResult = IDCANCEL;
  std::optional<int> m_nEndedDuringInit;  // EndDialog before the run started
  bool m_bFocusPending = false;
  CIcon m_bigIcon;
  CIcon m_smallIcon;
};

// The Windows window of `dlg`, or nullptr.
inline HWND HandleOf(const CDialog* dlg) {
  return dlg != nullptr ? dlg->Window().Handle() : nullptr;
}

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_WIN32_DIALOG_WINDOW_H_
