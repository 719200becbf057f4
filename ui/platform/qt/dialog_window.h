// CDialogWindow: a CDialog's window on Qt 6 Widgets.
//
// The controls come from the window template (dialog_template.h), built in
// dialog_builder.cpp: an edit field becomes a CEntryEdit and a list box a
// CListBoxView (the program's two control kinds); buttons are QPushButtons
// (a BS_MULTILINE one a CMultiLineButton, one too small for a caption a
// CSmallButton; only the template's default button is a default button);
// static texts and icons are QLabels that take no focus. Sizes are dialog
// units of the dialog font (dialog_units.h). The window has a fixed size,
// a title and a close button, no minimise or maximise button.
//
// Keyboard (dialog_keyboard.cpp), before any control sees the key: the
// rules of dialog.h.
//
// System menu: the window's own menu (a window manager's menu cannot take
// items), opened by a right click anywhere outside an edit field and by
// Alt+Space.
//
// Size and placement (dialog_placement.cpp, by the rules of dialog_units.h
// and centred_placement.h): the template's size, or, where the window with
// its frame would not fit the screen's work area (a high scale factor, a
// small screen, a wider font), the largest smaller font and units at which
// it does; centred over the owner or the work area. Both are done again
// once the window manager adds its frame.
#ifndef VELUNAR_UI_PLATFORM_QT_DIALOG_WINDOW_H_
#define VELUNAR_UI_PLATFORM_QT_DIALOG_WINDOW_H_

#include <QDialog>
#include <QString>
#include <map>
#include <optional>
#include <vector>

#include "ui/platform/dialog.h"
#include "ui/platform/qt/dialog_template.h"
#include "ui/platform/qt/dialog_units.h"

class QKeyEvent;
class QLabel;
class QMenu;
class QPushButton;
class QScreen;

namespace velunar {

class CDialogWindow : public QDialog {
  Q_OBJECT

 public:
  explicit CDialogWindow(CDialog& owner);
  ~CDialogWindow() override;

  CDialog& Owner() const { return m_owner; }

  // The control with id `nID`, or nullptr (also before Create).
  QWidget* GetDlgItem(int nID) const;
  // Opens the system menu at `globalPos`.
  void ShowSystemMenu(const QPoint& globalPos);
  QMenu* GetSystemMenu() const { return m_pSysMenu; }
  // Dialog units of this window's font (valid after Create).
  const CDialogUnits& Units() const { return m_units; }

 protected:
  // Escape, the close button and Alt+F4 arrive here: all send IDCANCEL. The
  // window stays open unless the command ends it.
  void reject() override;
  void accept() override;

  bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
  void keyPressEvent(QKeyEvent* pEvent) override;
  void contextMenuEvent(QContextMenuEvent* pEvent) override;
  bool event(QEvent* pEvent) override;
  void showEvent(QShowEvent* pEvent) override;

 private:
  friend class CDialog;

  // The owner's window while it is up: the window this one is placed over
  // and owned by.
  QWidget* OwnerWindow() const;

  // dialog_builder.cpp
  bool CreateControls();
  QWidget* CreateControl(const CDialogItemTemplate& item);
  void UpdateIconLabels();
  // dialog_placement.cpp
  QScreen* PlacementScreen() const;
  // The frame the window manager is expected to add, before it has.
  QMargins ExpectedFrame() const;
  // Sets the font and units that fit the work area with `frame`, and the
  // window's and every control's size and place in them.
  void FitToWorkArea(const QMargins& frame);
  void PlaceWindow();
  void PlaceAgainForFrame();
  // dialog_keyboard.cpp: the dialog keyboard rules; true when the key was
  // used.
  bool HandleDialogKey(QWidget* pTarget, QKeyEvent* pEvent);
  // The enabled, visible button whose mnemonic the key names, or nullptr.
  QPushButton* MnemonicButton(const QKeyEvent* pEvent) const;
  // Alt (with or without Shift) and the mnemonic of such a button.
  bool IsAltMnemonic(const QKeyEvent* pEvent) const;

  CDialog& m_owner;
  CDialogTemplate m_template;
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
  QMenu* m_pSysMenu;
};

// The Qt window of `dlg`, or nullptr.
inline QWidget* QtWindowOf(const CDialog* dlg) {
  return dlg != nullptr ? &dlg->Window() : nullptr;
}

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_QT_DIALOG_WINDOW_H_
