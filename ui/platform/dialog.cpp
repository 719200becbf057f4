// The window's life: creation, the modal run and its end, the controls by
// id, message boxes, the system menu and the events that are not keys.
#include "ui/platform/dialog.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

#include "ui/platform/message_boxes.h"
#include "res/texts/dialog_texts.h"
#include "ui/platform/win_app.h"

namespace velunar {
namespace {

// A title bar with a close button and the window menu, nothing to minimise,
// maximise or resize.
constexpr Qt::WindowFlags kDialogFlags = Qt::Dialog | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                         Qt::CustomizeWindowHint;

}  // namespace

CDialog::CDialog(int nIDTemplate, std::span<const CResourceName> names, QWidget* pParentWnd)
    : QDialog(pParentWnd, kDialogFlags),
      m_nIDTemplate(nIDTemplate),
      m_names(names),
      m_pMessageBoxes(&QtMessageBoxes()),
      m_pSysMenu(new QMenu(this)) {
  QAction* pClose = m_pSysMenu->addAction(QString::fromUtf8(texts::kSysMenuClose));
  pClose->setData(SC_CLOSE);
  connect(m_pSysMenu, &QMenu::triggered, this,
          [this](QAction* pAction) { OnSysCommand(pAction->data().toUInt()); });
}

CDialog::~CDialog() {
  if (CWinApp* pApp = AfxGetApp(); pApp != nullptr && pApp->m_pMainWnd == this) {
    pApp->m_pMainWnd = nullptr;
  }
}

bool CDialog::Create() {
  if (!m_bControlsCreated && !CreateControls()) return false;
  m_nEndedDuringInit.reset();
  bool bFocus = false;
  Dispatch([this, &bFocus] { bFocus = OnInitDialog(); });
  m_bFocusPending = bFocus;
  PlaceWindow();
  return true;
}

int CDialog::DoModal() {
  // Without an owner of its own the window is owned by the main window, as
  // long as the run lasts.
  const bool bBorrowedOwner =
      parentWidget() == nullptr && AfxGetMainWnd() != nullptr && AfxGetMainWnd() != this;
  if (bBorrowedOwner) setParent(AfxGetMainWnd(), windowFlags());
  int nResult = -1;
  if (Create()) {
    if (m_nEndedDuringInit) {
      nResult = *m_nEndedDuringInit;
    } else {
      m_bRunning = true;
      nResult = exec();
      m_bRunning = false;
    }
  }
  if (bBorrowedOwner) setParent(nullptr, windowFlags());
  return nResult;
}

void CDialog::EndDialog(int nResult) {
  if (!m_bRunning && !isVisible()) m_nEndedDuringInit = nResult;
  QDialog::done(nResult);
}

QWidget* CDialog::GetDlgItem(int nID) const {
  const auto it = m_controls.find(nID);
  return it == m_controls.end() ? nullptr : it->second;
}

int CDialog::MessageBox(const QString& text, const QString& caption, unsigned nType) {
  return m_pMessageBoxes->Show(this, text, caption, nType);
}

void CDialog::SetMessageBoxes(IMessageBoxes* pBoxes) {
  m_pMessageBoxes = pBoxes != nullptr ? pBoxes : &QtMessageBoxes();
}

void CDialog::OnSysCommand(unsigned nID) {
  if ((nID & 0xFFF0) == SC_CLOSE) OnCommand(IDCANCEL, BN_CLICKED);
}

void CDialog::ShowSystemMenu(const QPoint& globalPos) { m_pSysMenu->popup(globalPos); }

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::DoDataExchange(bool /*bSaveAndValidate*/) {}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::reject() {
  // A disabled Cancel button refuses Escape and closing, as it refuses a
  // click; a window without one takes them as Cancel all the same.
  QWidget* pCancel = GetDlgItem(IDCANCEL);
  if (pCancel != nullptr && !pCancel->isEnabled()) return;
  OnCommand(IDCANCEL, BN_CLICKED);
}

void CDialog::accept() { OnCommand(IDOK, BN_CLICKED); }

void CDialog::AppendSysMenuSeparator() { m_pSysMenu->addSeparator(); }

void CDialog::AppendSysMenuItem(unsigned nID, const QString& text) {
  m_pSysMenu->addAction(text)->setData(nID);
}

void CDialog::contextMenuEvent(QContextMenuEvent* pEvent) {
  // Reached from every control that has no menu of its own; the entry
  // field keeps its edit menu.
  ShowSystemMenu(pEvent->globalPos());
  pEvent->accept();
}

bool CDialog::event(QEvent* pEvent) {
  // The window itself holds the focus when no control does; its mnemonics
  // are claimed as in eventFilter.
  if (pEvent->type() == QEvent::ShortcutOverride &&
      IsAltMnemonic(static_cast<QKeyEvent*>(pEvent))) {
    pEvent->accept();
    return true;
  }
  const bool bResult = QDialog::event(pEvent);
  if (pEvent->type() == QEvent::Move || pEvent->type() == QEvent::Resize) PlaceAgainForFrame();
  // The icon statics show the window's icon, whenever it is set.
  if (pEvent->type() == QEvent::WindowIconChange ||
      pEvent->type() == QEvent::ApplicationWindowIconChange) {
    UpdateIconLabels();
  }
  return bResult;
}

void CDialog::showEvent(QShowEvent* pEvent) {
  if (m_bFocusPending) {
    m_bFocusPending = false;
    for (QWidget* pControl : m_inTemplateOrder) {
      if ((pControl->focusPolicy() & Qt::TabFocus) == 0 || !pControl->isEnabled() ||
          pControl->isHidden()) {
        continue;
      }
      pControl->setFocus(Qt::TabFocusReason);
      // The first key then replaces the whole text.
      if (auto* pEdit = qobject_cast<QLineEdit*>(pControl)) pEdit->selectAll();
      break;
    }
  }
  QDialog::showEvent(pEvent);
  PlaceAgainForFrame();
}

}  // namespace velunar
