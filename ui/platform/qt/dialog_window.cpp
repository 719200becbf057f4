// The window's life on Qt: creation, the modal run and its end, the
// controls by id, the system menu, the icon and the events that are not
// keys; the parts of CDialog that need the window.
#include "ui/platform/qt/dialog_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <memory>

#include "res/texts/dialog_texts.h"
#include "ui/platform/app_icon.h"
#include "ui/platform/message_boxes.h"
#include "ui/platform/win_app.h"

namespace velunar {
namespace {

// A title bar with a close button and the window menu, nothing to minimise,
// maximise or resize.
constexpr Qt::WindowFlags kDialogFlags = Qt::Dialog | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                         Qt::CustomizeWindowHint;

}  // namespace

CDialog::CDialog(int nIDTemplate, std::span<const CResourceName> names, CDialog* pParentWnd)
    : m_nIDTemplate(nIDTemplate),
      m_names(names),
      m_pParentWnd(pParentWnd),
      m_pWindow(std::make_unique<CDialogWindow>(*this)) {}

CDialog::~CDialog() {
  if (CWinApp* pApp = AfxGetApp(); pApp != nullptr && pApp->m_pMainWnd == this) {
    pApp->m_pMainWnd = nullptr;
  }
}

bool CDialog::Create() {
  CDialogWindow& w = *m_pWindow;
  if (!w.m_bControlsCreated && !w.CreateControls()) return false;
  w.m_nEndedDuringInit.reset();
  bool bFocus = false;
  Dispatch([this, &bFocus] { bFocus = OnInitDialog(); });
  w.m_bFocusPending = bFocus;
  w.PlaceWindow();
  return true;
}

int CDialog::DoModal() {
  CDialogWindow& w = *m_pWindow;
  // Without an owner of its own the window is owned by the main window, as
  // long as the run lasts.
  CDialog* pOwner = m_pParentWnd;
  if (pOwner == nullptr && AfxGetMainWnd() != this) pOwner = AfxGetMainWnd();
  if (pOwner != nullptr) w.setParent(&pOwner->Window(), w.windowFlags());
  int nResult = -1;
  if (Create()) {
    if (w.m_nEndedDuringInit) {
      nResult = *w.m_nEndedDuringInit;
    } else {
      w.m_bRunning = true;
      nResult = w.exec();
      w.m_bRunning = false;
    }
  }
  if (pOwner != nullptr) w.setParent(nullptr, w.windowFlags());
  return nResult;
}

void CDialog::EndDialog(int nResult) {
  CDialogWindow& w = *m_pWindow;
  if (!w.m_bRunning && !w.isVisible()) w.m_nEndedDuringInit = nResult;
  w.done(nResult);
}

bool CDialog::IsWindowVisible() const { return m_pWindow->isVisible(); }

void CDialog::EndBoxesAbove() {
  for (int i = 0; i < 16; ++i) {
    QWidget* pModal = QApplication::activeModalWidget();
    if (pModal == nullptr || pModal == m_pWindow.get()) break;
    pModal->hide();
  }
}

void CDialog::AppendSysMenuSeparator() { m_pWindow->m_pSysMenu->addSeparator(); }

void CDialog::AppendSysMenuItem(unsigned nID, const std::string& text) {
  m_pWindow->m_pSysMenu->addAction(QString::fromStdString(text))->setData(nID);
}

void CDialog::SetIcon(const CIcon& icon, bool /*bBigIcon*/) {
  // Qt picks the size each place wants from the one icon.
  if (!icon.IsNull()) m_pWindow->setWindowIcon(*static_cast<const QIcon*>(icon.Data()));
}

std::string CDialog::GetDlgItemText(int nID) const {
  if (auto* pButton = qobject_cast<QAbstractButton*>(m_pWindow->GetDlgItem(nID))) {
    return pButton->text().toStdString();
  }
  if (auto* pLabel = qobject_cast<QLabel*>(m_pWindow->GetDlgItem(nID))) {
    return pLabel->text().toStdString();
  }
  return {};
}

void CDialog::SetDlgItemText(int nID, const std::string& text) {
  if (auto* pButton = qobject_cast<QAbstractButton*>(m_pWindow->GetDlgItem(nID))) {
    pButton->setText(QString::fromStdString(text));
  } else if (auto* pLabel = qobject_cast<QLabel*>(m_pWindow->GetDlgItem(nID))) {
    pLabel->setText(QString::fromStdString(text));
  }
}

CDialogWindow::CDialogWindow(CDialog& owner)
    : QDialog(nullptr, kDialogFlags), m_owner(owner), m_pSysMenu(new QMenu(this)) {
  QAction* pClose = m_pSysMenu->addAction(QString::fromUtf8(texts::kSysMenuClose));
  pClose->setData(SC_CLOSE);
  connect(m_pSysMenu, &QMenu::triggered, this,
          [this](QAction* pAction) { m_owner.OnSysCommand(pAction->data().toUInt()); });
}

CDialogWindow::~CDialogWindow() = default;

QWidget* CDialogWindow::GetDlgItem(int nID) const {
  const auto it = m_controls.find(nID);
  return it == m_controls.end() ? nullptr : it->second;
}

void CDialogWindow::ShowSystemMenu(const QPoint& globalPos) { m_pSysMenu->popup(globalPos); }

void CDialogWindow::reject() {
  // A disabled Cancel button refuses Escape and closing, as it refuses a
  // click; a window without one takes them as Cancel all the same.
  QWidget* pCancel = GetDlgItem(IDCANCEL);
  if (pCancel != nullptr && !pCancel->isEnabled()) return;
  m_owner.OnCommand(IDCANCEL, BN_CLICKED);
}

void CDialogWindow::accept() { m_owner.OnCommand(IDOK, BN_CLICKED); }

void CDialogWindow::contextMenuEvent(QContextMenuEvent* pEvent) {
  // Reached from every control that has no menu of its own; the entry
  // field keeps its edit menu.
  ShowSystemMenu(pEvent->globalPos());
  pEvent->accept();
}

bool CDialogWindow::event(QEvent* pEvent) {
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

void CDialogWindow::showEvent(QShowEvent* pEvent) {
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
