// CDialog: a window built from a template and run modally.
//
// The controls come from the window template (dialog_template.h): an edit
// field becomes a CEntryEdit, a list box a CListBoxView, buttons
// QPushButtons (a BS_MULTILINE one a CMultiLineButton; only the template's
// default button is a default button),
// static texts and icons QLabels that take no focus. Sizes are dialog units
// of the dialog font (dialog_units.h). The window has a fixed size, a title
// and a close button, no minimise or maximise button.
//
// Every command runs through OnCommand, the one place that catches: a file
// error or running out of memory ends the command with a report box, and no
// exception ever passes into Qt. Buttons send (id, BN_CLICKED); handlers are
// bound with BindCommand.
//
// Keyboard, before any control sees the key: Enter presses the focused
// button, or anywhere else sends the default button's command (IDOK);
// Escape sends IDCANCEL; Alt with a mnemonic letter presses its button, and
// so does the letter alone while a button has the focus, at once (the
// command has run before the next key is handled); Alt+Space opens the
// system menu; Alt+F4 is the system menu's Close; F1 does nothing. Tab
// follows the template order.
//
// System menu: the window's own menu (a window manager's menu cannot take
// items), opened by a right click anywhere outside an edit field and by
// Alt+Space. It holds Close and what AppendSysMenuSeparator and
// AppendSysMenuItem add; choosing an item calls OnSysCommand with its value.
#ifndef VELUNAR_UI_DIALOG_H_
#define VELUNAR_UI_DIALOG_H_

#include <QDialog>
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "ui/dialog_template.h"
#include "ui/dialog_units.h"
#include "ui/win_app.h"
#include "ui/win_defs.h"

class QKeyEvent;
class QLabel;
class QMenu;
class QPushButton;

namespace velunar {

class CFileException;
class IMessageBoxes;

class CDialog : public QDialog {
  Q_OBJECT

 public:
  // The window object for template `nIDTemplate`; no window content exists
  // until Create or DoModal. `pParentWnd` is the owner; without one, DoModal
  // takes the application's main window (if another) as the owner.
  explicit CDialog(int nIDTemplate, QWidget* pParentWnd = nullptr);
  ~CDialog() override;

  // Creates the controls from the template (the first time only), runs
  // OnInitDialog and places the window (dialog_placement.h), without showing
  // it. Returns false when the template is missing or broken.
  bool Create();
  // Create, then run the window modally until EndDialog. Returns the result
  // given to EndDialog, or -1 when the window cannot be created.
  int DoModal();
  // Ends the run with `nResult` and hides the window.
  void EndDialog(int nResult);

  // The control with id `nID`, or nullptr (also before Create).
  QWidget* GetDlgItem(int nID) const;
  // Replaces a control's caption or text ('&' marks a button's mnemonic).
  // The entry field takes the text as the program's (CEntryEdit::SetEntryText).
  void SetDlgItemText(int nID, const QString& text);

  // Binds the command (`nID`, `nCode`) to `handler`, replacing any earlier
  // binding.
  void BindCommand(int nID, int nCode, std::function<void()> handler);
  // Runs the handler bound to (`nID`, `nCode`); unbound (IDOK, BN_CLICKED)
  // runs OnOK, unbound (IDCANCEL, BN_CLICKED) OnCancel. A CFileException is
  // reported in a box with its ReportText() and the stop icon, running out
  // of memory with "Out of memory." and the exclamation icon, both under
  // the application title; the command ends there and the window goes on.
  // Any other exception is a defect and ends the program (noexcept).
  void OnCommand(int nID, int nCode = BN_CLICKED) noexcept;

  // Shows a modal message box owned by this window; returns IDOK.
  int MessageBox(const QString& text, const QString& caption, unsigned nType = MB_OK);
  // Where message boxes go; nullptr restores the Qt boxes. Not owned.
  void SetMessageBoxes(IMessageBoxes* pBoxes);

  // Runs DoDataExchange in direction `bSaveAndValidate`. Returns false after
  // reporting "Out of memory." when memory runs out; the exchange then
  // leaves the data as it was.
  bool UpdateData(bool bSaveAndValidate = true);

  // A system-menu command. Default: (nID & 0xFFF0) == SC_CLOSE sends
  // IDCANCEL; other values do nothing.
  virtual void OnSysCommand(unsigned nID);
  // Opens the system menu at `globalPos`.
  void ShowSystemMenu(const QPoint& globalPos);
  QMenu* GetSystemMenu() const { return m_pSysMenu; }

  const CDialogTemplate& Template() const { return m_template; }
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

  // Escape, the close button and Alt+F4 arrive here: all send IDCANCEL. The
  // window stays open unless the command ends it.
  void reject() override;
  void accept() override;

  void AppendSysMenuSeparator();
  void AppendSysMenuItem(unsigned nID, const QString& text);

  // The two failure reports of OnCommand, for failures caught elsewhere:
  // e.ReportText() with the stop icon, "Out of memory." with the
  // exclamation icon, both under the application title. A window that must
  // do more after a failure overrides them and calls these first.
  virtual void ReportFileError(const CFileException& e);
  virtual void ReportOutOfMemory();

  bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
  void keyPressEvent(QKeyEvent* pEvent) override;
  void contextMenuEvent(QContextMenuEvent* pEvent) override;
  bool event(QEvent* pEvent) override;
  void showEvent(QShowEvent* pEvent) override;

 private:
  bool CreateControls();
  QWidget* CreateControl(const CDialogItemTemplate& item);
  void PlaceWindow();
  void PlaceAgainForFrame();
  // The dialog keyboard rules; true when the key was used.
  bool HandleDialogKey(QWidget* pTarget, QKeyEvent* pEvent);
  // The enabled, visible button whose mnemonic the key names, or nullptr.
  QPushButton* MnemonicButton(const QKeyEvent* pEvent) const;
  // Alt (with or without Shift) and the mnemonic of such a button.
  bool IsAltMnemonic(const QKeyEvent* pEvent) const;
  void UpdateIconLabels();

  int m_nIDTemplate;
  CDialogTemplate m_template;
  CDialogUnits m_units{0, 0};
  bool m_bControlsCreated = false;
  bool m_bFocusPending = false;
  std::optional<int> m_nEndedDuringInit;  // EndDialog before the run started
  bool m_bRunning = false;
  QSize m_placedFrameSize;  // the frame the last placement was made for
  QPoint m_placedPos;
  int m_nDefID = IDOK;
  std::map<int, QWidget*> m_controls;       // by id; labels without an id are not here
  std::vector<QWidget*> m_inTemplateOrder;  // controls in template order
  std::vector<QLabel*> m_iconLabels;
  std::map<std::pair<int, int>, std::function<void()>> m_commands;
  IMessageBoxes* m_pMessageBoxes;
  QMenu* m_pSysMenu;
};

}  // namespace velunar

#endif  // VELUNAR_UI_DIALOG_H_
