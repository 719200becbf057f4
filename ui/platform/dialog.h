// CDialog: a window built from a template and run modally.
//
// The controls come from the window template (dialog_template.h), built in
// dialog_builder.cpp: an edit field becomes a QLineEdit and a list box a
// QListView unless the window makes a control of its own kind for them
// (CreateCustomControl); buttons are QPushButtons (a BS_MULTILINE one a
// CMultiLineButton; only the template's default button is a default
// button); static texts and icons are QLabels that take no focus. Sizes are
// dialog units of the dialog font (dialog_units.h). The window has a fixed
// size, a title and a close button, no minimise or maximise button.
//
// Dispatch (dialog_dispatch.cpp) is the one place where failures end: every
// command, the window's start (OnInitDialog) and each data exchange runs
// through it. A throw ends the step and reaches ReportFailure; no exception
// ever passes into Qt. Buttons send (id, BN_CLICKED); handlers are bound
// with BindCommand.
//
// Keyboard (dialog_keyboard.cpp), before any control sees the key: Enter
// presses the focused button, or anywhere else sends the default button's
// command (IDOK); Escape sends IDCANCEL; Alt with a mnemonic letter presses
// its button, and so does the letter alone while a button has the focus, at
// once (the command has run before the next key is handled); Alt+Space
// opens the system menu; Alt+F4 is the system menu's Close; F1 does nothing.
// Tab follows the template order.
//
// System menu: the window's own menu (a window manager's menu cannot take
// items), opened by a right click anywhere outside an edit field and by
// Alt+Space. It holds Close and what AppendSysMenuSeparator and
// AppendSysMenuItem add; choosing an item calls OnSysCommand with its value.
//
// Placement (dialog_placement.cpp, by the rule of centred_placement.h):
// centred over the owner or the screen's work area, and placed again once
// the window manager adds its frame.
#ifndef VELUNAR_UI_PLATFORM_DIALOG_H_
#define VELUNAR_UI_PLATFORM_DIALOG_H_

#include <QDialog>
#include <QString>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "ui/platform/dialog_template.h"
#include "ui/platform/dialog_units.h"
#include "ui/platform/win_defs.h"

class QKeyEvent;
class QLabel;
class QMenu;
class QPushButton;

namespace velunar {

class IMessageBoxes;

class CDialog : public QDialog {
  Q_OBJECT

 public:
  // The window object for template `nIDTemplate`, whose controls `names`
  // names (the program's table; it must outlive the window). No window
  // content exists until Create or DoModal. `pParentWnd` is the owner;
  // without one, DoModal takes the application's main window (if another)
  // as the owner.
  CDialog(int nIDTemplate, std::span<const CResourceName> names, QWidget* pParentWnd = nullptr);
  ~CDialog() override;

  // Creates the controls from the template (the first time only), runs
  // OnInitDialog through Dispatch and places the window, without showing
  // it. Returns false when the template is missing or broken.
  bool Create();
  // Create, then run the window modally until EndDialog. Returns the result
  // given to EndDialog, or -1 when the window cannot be created.
  int DoModal();
  // Ends the run with `nResult` and hides the window.
  void EndDialog(int nResult);

  // The control with id `nID`, or nullptr (also before Create).
  QWidget* GetDlgItem(int nID) const;

  // Binds the command (`nID`, `nCode`) to `handler`, replacing any earlier
  // binding.
  void BindCommand(int nID, int nCode, std::function<void()> handler);
  // Runs the handler bound to (`nID`, `nCode`) through Dispatch; unbound
  // (IDOK, BN_CLICKED) runs OnOK, unbound (IDCANCEL, BN_CLICKED) OnCancel.
  void OnCommand(int nID, int nCode = BN_CLICKED) noexcept;
  // Runs `step`. A throw ends it and goes to ReportFailure; the window goes
  // on. Returns true when the step ran to its end. A failure ReportFailure
  // does not take is a defect and ends the program (noexcept).
  bool Dispatch(const std::function<void()>& step) noexcept;

  // Shows a modal message box owned by this window; returns the box's
  // answer (IDOK, IDYES or IDNO).
  int MessageBox(const QString& text, const QString& caption, unsigned nType = MB_OK);
  // Where message boxes go; nullptr restores the Qt boxes. Not owned.
  void SetMessageBoxes(IMessageBoxes* pBoxes);

  // Runs DoDataExchange in direction `bSaveAndValidate` through Dispatch.
  // Returns false when it failed (the failure is reported then).
  bool UpdateData(bool bSaveAndValidate = true);

  // A system-menu command. Default: (nID & 0xFFF0) == SC_CLOSE sends
  // IDCANCEL; other values do nothing.
  virtual void OnSysCommand(unsigned nID);
  // Opens the system menu at `globalPos`.
  void ShowSystemMenu(const QPoint& globalPos);
  QMenu* GetSystemMenu() const { return m_pSysMenu; }

  // Dialog units of this window's font (valid after Create).
  const CDialogUnits& Units() const { return m_units; }

 protected:
  // After the controls exist. Return true to give the focus to the first
  // tab stop (an edit field there gets its whole text selected). Default:
  // UpdateData(false), then true.
  virtual bool OnInitDialog();
  // Exchanges the controls' data with members. Default: nothing.
  virtual void DoDataExchange(bool bSaveAndValidate);
  // Default: EndDialog(IDOK).
  virtual void OnOK();
  // Default: EndDialog(IDCANCEL).
  virtual void OnCancel();

  // The control for `item`, an edit field or a list box, when the window
  // has a kind of its own for it, parented to this window; nullptr for the
  // standard one. A list box's control must be a QAbstractScrollArea, an
  // edit field's a QLineEdit, for the template's styles to apply. Default:
  // nullptr.
  virtual QWidget* CreateCustomControl(const CDialogItemTemplate& item);

  // A step that Dispatch ran has thrown `failure`. Default: running out of
  // memory is reported (ReportOutOfMemory); anything else is rethrown, and
  // ends the program. A window that knows more failures overrides this and
  // passes on what it does not know.
  virtual void ReportFailure(std::exception_ptr failure);
  // "Out of memory." with the exclamation icon under the application title.
  virtual void ReportOutOfMemory();

  // Escape, the close button and Alt+F4 arrive here: all send IDCANCEL. The
  // window stays open unless the command ends it.
  void reject() override;
  void accept() override;

  void AppendSysMenuSeparator();
  void AppendSysMenuItem(unsigned nID, const QString& text);

  bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
  void keyPressEvent(QKeyEvent* pEvent) override;
  void contextMenuEvent(QContextMenuEvent* pEvent) override;
  bool event(QEvent* pEvent) override;
  void showEvent(QShowEvent* pEvent) override;

 private:
  // dialog_builder.cpp
  bool CreateControls();
  QWidget* CreateControl(const CDialogItemTemplate& item);
  void UpdateIconLabels();
  // dialog_placement.cpp
  void PlaceWindow();
  void PlaceAgainForFrame();
  // dialog_keyboard.cpp: the dialog keyboard rules; true when the key was
  // used.
  bool HandleDialogKey(QWidget* pTarget, QKeyEvent* pEvent);
  // The enabled, visible button whose mnemonic the key names, or nullptr.
  QPushButton* MnemonicButton(const QKeyEvent* pEvent) const;
  // Alt (with or without Shift) and the mnemonic of such a button.
  bool IsAltMnemonic(const QKeyEvent* pEvent) const;

  int m_nIDTemplate;
  std::span<const CResourceName> m_names;
  CDialogUnits m_units{0, 0};
  bool m_bControlsCreated = false;
  bool m_bFocusPending = false;
  std::optional<int> m_nEndedDuringInit;  // EndDialog before the run started
  bool m_bRunning = false;
  QSize m_placedFrameSize;  // the frame the last placement was made for
  QPoint m_placedPos;
  int m_nDefID = IDOK;
  std::map<int, QWidget*> m_controls;       // by id; labels and icons are not here
  std::vector<QWidget*> m_inTemplateOrder;  // controls in template order
  std::vector<QLabel*> m_iconLabels;
  std::map<std::pair<int, int>, std::function<void()>> m_commands;
  IMessageBoxes* m_pMessageBoxes;
  QMenu* m_pSysMenu;
};

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_DIALOG_H_
