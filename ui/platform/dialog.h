// CDialog: a window built from a template and run modally. The dialog
// services the program's windows stand on, in the program's own terms; each
// toolkit supplies the window itself (ui/platform/<toolkit>/), behind
// CDialogWindow.
//
// Texts cross this interface as UTF-8 (the program's texts come from
// res/texts/); the entry field's text crosses as Windows-1251 bytes
// (dialog_exchange.h).
//
// The controls come from the window template named by the template id:
// edit fields, list boxes, buttons, static texts and the window's icon,
// sized in dialog units of the dialog font, with a fixed window size, a
// title and a close box, nothing to minimise, maximise or resize.
//
// Dispatch is the one place where failures end: every command, the
// window's start (OnInitDialog) and each data exchange runs through it. A
// throw ends the step and reaches ReportFailure; no exception ever passes
// into the toolkit. Buttons send (id, BN_CLICKED); handlers are bound with
// BindCommand.
//
// Keyboard, before any control sees the key: Enter presses the focused
// button, or anywhere else sends the default button's command (IDOK);
// Escape sends IDCANCEL; Alt with a mnemonic letter presses its button, and
// so does the letter alone while a button has the focus; Alt+Space opens
// the system menu; Alt+F4 is the system menu's Close; F1 without Shift,
// Ctrl or Alt is the help request (help.h). Tab follows the template order.
//
// System menu: Close and what AppendSysMenuSeparator and AppendSysMenuItem
// add; choosing an item calls OnSysCommand with its value.
//
// Placement: centred over the owner or the screen's work area, and kept
// inside the work area.
#ifndef VELUNAR_UI_PLATFORM_DIALOG_H_
#define VELUNAR_UI_PLATFORM_DIALOG_H_

#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "ui/platform/resource_name.h"
#include "ui/platform/win_defs.h"

namespace velunar {

class CDialogWindow;
class CIcon;
class IMessageBoxes;

class CDialog {
 public:
  // The window object for template `nIDTemplate`, whose controls `names`
  // names (the program's table; it must outlive the window). No window
  // content exists until Create or DoModal. `pParentWnd` is the owner;
  // without one, DoModal takes the application's main window (if another)
  // as the owner.
  CDialog(int nIDTemplate, std::span<const CResourceName> names, CDialog* pParentWnd = nullptr);
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Creates the controls from the template (the first time only), runs
  // OnInitDialog through Dispatch and places the window, without showing
  // it. Returns false when the template is missing or broken.
  bool Create();
  // Create, then run the window modally until EndDialog. Returns the result
  // given to EndDialog, or -1 when the window cannot be created.
  int DoModal();
  // Ends the run with `nResult` and hides the window.
  void EndDialog(int nResult);
  // Whether the window is on the screen.
  bool IsWindowVisible() const;
  // Hides the message boxes and dialogs shown over this window, so that its
  // own run can end (the session is ending).
  void EndBoxesAbove();

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
  // answer (IDOK, IDYES or IDNO). Texts in UTF-8.
  int MessageBox(const std::string& text, const std::string& caption, unsigned nType = MB_OK);
  // Where message boxes go; nullptr restores the toolkit's boxes. Not owned.
  void SetMessageBoxes(IMessageBoxes* pBoxes);

  // Runs DoDataExchange in direction `bSaveAndValidate` through Dispatch.
  // Returns false when it failed (the failure is reported then).
  bool UpdateData(bool bSaveAndValidate = true);

  // A system-menu command. Default: (nID & 0xFFF0) == SC_CLOSE sends
  // IDCANCEL; other values do nothing.
  virtual void OnSysCommand(unsigned nID);
  void AppendSysMenuSeparator();
  void AppendSysMenuItem(unsigned nID, const std::string& text);

  // The window's icon, for its title bar and task bar (bBigIcon), or the
  // small one; the template's icon statics show it too.
  void SetIcon(const CIcon& icon, bool bBigIcon);

  // The caption of control `nID` (UTF-8, '&' marking the mnemonic); empty,
  // and nothing set, when there is no such control.
  std::string GetDlgItemText(int nID) const;
  void SetDlgItemText(int nID, const std::string& text);

  // The owner given at construction, or nullptr.
  CDialog* GetParent() const { return m_pParentWnd; }
  int TemplateId() const { return m_nIDTemplate; }
  std::span<const CResourceName> ResourceNames() const { return m_names; }

  // The toolkit's window: for the toolkit's own code and its tests.
  CDialogWindow& Window() const { return *m_pWindow; }

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

  // A step that Dispatch ran has thrown `failure`. Default: running out of
  // memory is reported (ReportOutOfMemory); anything else is rethrown, and
  // ends the program. A window that knows more failures overrides this and
  // passes on what it does not know.
  virtual void ReportFailure(std::exception_ptr failure);
  // "Out of memory." with the exclamation icon under the application title.
  virtual void ReportOutOfMemory();

 private:
  friend class CDialogWindow;

  int m_nIDTemplate;
  std::span<const CResourceName> m_names;
  CDialog* m_pParentWnd;
  std::map<std::pair<int, int>, std::function<void()>> m_commands;
  IMessageBoxes* m_pMessageBoxes = nullptr;  // nullptr: the toolkit's
  std::unique_ptr<CDialogWindow> m_pWindow;
};

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_DIALOG_H_
