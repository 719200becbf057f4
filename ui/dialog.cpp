#include "ui/dialog.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <new>

#include "store/entry_file.h"
#include "ui/control_text.h"
#include "ui/dialog_placement.h"
#include "ui/entry_edit.h"
#include "ui/list_box.h"
#include "ui/message_boxes.h"
#include "ui/multi_line_button.h"
#include "ui/win_app.h"

namespace velunar {
namespace {

// A title bar with a close button and the window menu, nothing to minimise,
// maximise or resize.
constexpr Qt::WindowFlags kDialogFlags = Qt::Dialog | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                         Qt::CustomizeWindowHint;

bool IsDialogKey(const QKeyEvent* pEvent, Qt::Key key, Qt::KeyboardModifiers modifiers) {
  return pEvent->key() == key && (pEvent->modifiers() & ~Qt::KeypadModifier) == modifiers;
}

}  // namespace

CDialog::CDialog(int nIDTemplate, QWidget* pParentWnd)
    : QDialog(pParentWnd, kDialogFlags),
      m_nIDTemplate(nIDTemplate),
      m_pMessageBoxes(&QtMessageBoxes()),
      m_pSysMenu(new QMenu(this)) {
  QAction* pClose = m_pSysMenu->addAction(QStringLiteral("&Закрыть\tAlt+F4"));
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
  m_bFocusPending = OnInitDialog();
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

void CDialog::SetDlgItemText(int nID, const QString& text) {
  QWidget* pControl = GetDlgItem(nID);
  if (auto* pButton = qobject_cast<QPushButton*>(pControl)) {
    pButton->setText(text);
  } else if (auto* pEdit = qobject_cast<CEntryEdit*>(pControl)) {
    pEdit->SetEntryText(text);
  } else if (auto* pLabel = qobject_cast<QLabel*>(pControl)) {
    pLabel->setText(text);
  }
}

void CDialog::BindCommand(int nID, int nCode, std::function<void()> handler) {
  m_commands[{nID, nCode}] = std::move(handler);
}

void CDialog::OnCommand(int nID, int nCode) noexcept {
  try {
    const auto it = m_commands.find({nID, nCode});
    if (it != m_commands.end()) {
      // A copy: the handler may bind anew while it runs.
      const std::function<void()> handler = it->second;
      handler();
    } else if (nID == IDOK && nCode == BN_CLICKED) {
      OnOK();
    } else if (nID == IDCANCEL && nCode == BN_CLICKED) {
      OnCancel();
    }
  } catch (const CFileException& e) {
    ReportFileError(e);
  } catch (const std::bad_alloc&) {
    ReportOutOfMemory();
  }
}

int CDialog::MessageBox(const QString& text, const QString& caption, unsigned nType) {
  return m_pMessageBoxes->Show(this, text, caption, nType);
}

void CDialog::SetMessageBoxes(IMessageBoxes* pBoxes) {
  m_pMessageBoxes = pBoxes != nullptr ? pBoxes : &QtMessageBoxes();
}

bool CDialog::UpdateData(bool bSaveAndValidate) {
  try {
    DoDataExchange(bSaveAndValidate);
    return true;
  } catch (const std::bad_alloc&) {
    ReportOutOfMemory();
    return false;
  }
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

bool CDialog::CreateControls() {
  m_template = LoadDialogTemplate(m_nIDTemplate);
  if (!m_template.IsValid()) return false;

  const QFont font =
      DialogFont(m_template.nFontPoints, m_template.nFontWeight, m_template.bFontItalic);
  setFont(font);
  m_units = CDialogUnits::ForFont(font);
  setWindowTitle(m_template.strTitle);
  setFixedSize(m_units.ToPixels(m_template.rcDlgUnits.size()));

  QString strLabelBefore;  // caption of the static text right before a control
  for (const CDialogItemTemplate& item : m_template.items) {
    QWidget* pControl = CreateControl(item);
    pControl->setObjectName(item.strIdentifier.isEmpty()
                                ? QStringLiteral("static_%1").arg(m_inTemplateOrder.size())
                                : item.strIdentifier);
    // Every control has a name for assistive technology: the template's,
    // or its caption (which Qt reads itself, also after a change), or, for a
    // control without a caption, the label right before it.
    if (!item.strAccessibleName.isEmpty()) {
      pControl->setAccessibleName(item.strAccessibleName);
    } else if (item.strCaption.isEmpty()) {
      pControl->setAccessibleName(strLabelBefore.isEmpty() ? item.strIdentifier : strLabelBefore);
    }
    if (!item.strDescription.isEmpty()) {
      pControl->setToolTip(item.strDescription);
      pControl->setAccessibleDescription(item.strDescription);
    }
    strLabelBefore =
        item.eKind == EControlKind::staticText ? StripMnemonic(item.strCaption) : QString();

    if (!item.HasStyle("WS_VISIBLE")) pControl->hide();
    if (item.HasStyle("WS_DISABLED")) pControl->setEnabled(false);
    if (item.nID != IDC_STATIC) m_controls[item.nID] = pControl;
    if (item.eKind == EControlKind::defPushButton) m_nDefID = item.nID;
    if (pControl->focusPolicy() != Qt::NoFocus) {
      if (!item.HasStyle("WS_TABSTOP")) pControl->setFocusPolicy(Qt::ClickFocus);
      pControl->installEventFilter(this);
    }
    m_inTemplateOrder.push_back(pControl);
  }

  // Tab follows the template order.
  QWidget* pPrevious = nullptr;
  for (QWidget* pControl : m_inTemplateOrder) {
    if (pControl->focusPolicy() == Qt::NoFocus) continue;
    if (pPrevious != nullptr) QWidget::setTabOrder(pPrevious, pControl);
    pPrevious = pControl;
  }
  UpdateIconLabels();
  m_bControlsCreated = true;
  return true;
}

QWidget* CDialog::CreateControl(const CDialogItemTemplate& item) {
  const QRect rect = m_units.ToPixels(item.rcDlgUnits);
  switch (item.eKind) {
    case EControlKind::edit: {
      auto* pEdit = new CEntryEdit(this);
      pEdit->setFrame(item.HasStyle("WS_BORDER"));
      pEdit->setGeometry(rect);
      return pEdit;
    }
    case EControlKind::listBox: {
      auto* pList = new CListBoxView(this);
      if (!item.HasStyle("WS_BORDER")) pList->setFrameShape(QFrame::NoFrame);
      if (!item.HasStyle("WS_VSCROLL")) pList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      pList->setGeometry(rect);
      return pList;
    }
    case EControlKind::pushButton:
    case EControlKind::defPushButton: {
      auto* pButton =
          item.HasStyle("BS_MULTILINE") ? new CMultiLineButton(this) : new QPushButton(this);
      // Enter presses the focused button or the one default button; no
      // button becomes default by taking the focus.
      pButton->setAutoDefault(false);
      pButton->setDefault(item.eKind == EControlKind::defPushButton);
      pButton->setFocusPolicy(Qt::StrongFocus);
      pButton->setGeometry(rect);
      pButton->setText(item.strCaption);
      const int nID = item.nID;
      connect(pButton, &QPushButton::clicked, this, [this, nID] { OnCommand(nID, BN_CLICKED); });
      return pButton;
    }
    case EControlKind::staticText: {
      // Without SS_NOPREFIX, '&' marks a letter and is not shown itself.
      auto* pLabel = new QLabel(
          item.HasStyle("SS_NOPREFIX") ? item.strCaption : StripMnemonic(item.strCaption), this);
      pLabel->setTextFormat(Qt::PlainText);
      pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      pLabel->setWordWrap(true);
      pLabel->setFocusPolicy(Qt::NoFocus);
      pLabel->setGeometry(rect);
      return pLabel;
    }
    case EControlKind::staticIcon: {
      // An icon static takes the icon's own size at the template position.
      auto* pLabel = new QLabel(this);
      const int nSize = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
      pLabel->setGeometry(QRect(rect.topLeft(), QSize(nSize, nSize)));
      pLabel->setFocusPolicy(Qt::NoFocus);
      m_iconLabels.push_back(pLabel);
      return pLabel;
    }
  }
  return new QWidget(this);  // not reached: every kind is handled above
}

void CDialog::PlaceWindow() {
  QWidget* pOwner = parentWidget();
  const bool bOverOwner = pOwner != nullptr && pOwner->isVisible() && !pOwner->isMinimized();
  QScreen* pScreen = nullptr;
  if (pOwner != nullptr) {
    pScreen = pOwner->screen();
  } else if (QWidget* pMain = AfxGetMainWnd(); pMain != nullptr && pMain != this) {
    pScreen = pMain->screen();
  }
  if (pScreen == nullptr) pScreen = QGuiApplication::primaryScreen();
  if (pScreen == nullptr) return;
  // Before the first showing the frame is not known yet; the window itself
  // stands in for it, and the window is placed again once the frame shows
  // (see event()).
  m_placedFrameSize = frameGeometry().size();
  m_placedPos = PlaceDialog(
      m_placedFrameSize, bOverOwner ? std::optional<QRect>(pOwner->frameGeometry()) : std::nullopt,
      pScreen->availableGeometry());
  move(m_placedPos);
}

QPushButton* CDialog::MnemonicButton(const QKeyEvent* pEvent) const {
  // The text names the letter; where a platform gives none with Alt, the
  // key code does (a letter's code is its upper-case form).
  QString typed = pEvent->text();
  if (typed.isEmpty() && pEvent->key() > 0 && pEvent->key() <= 0xFFFF) {
    typed = QString(QChar(static_cast<char16_t>(pEvent->key())));
  }
  for (QWidget* pControl : m_inTemplateOrder) {
    auto* pButton = qobject_cast<QPushButton*>(pControl);
    if (pButton != nullptr && pButton->isEnabled() && pButton->isVisible() &&
        IsMnemonicKey(MnemonicOf(pButton->text()), typed)) {
      return pButton;
    }
  }
  return nullptr;
}

bool CDialog::IsAltMnemonic(const QKeyEvent* pEvent) const {
  const Qt::KeyboardModifiers modifiers = pEvent->modifiers() & ~Qt::KeypadModifier;
  return (modifiers == Qt::AltModifier || modifiers == (Qt::AltModifier | Qt::ShiftModifier)) &&
         MnemonicButton(pEvent) != nullptr;
}

bool CDialog::eventFilter(QObject* pWatched, QEvent* pEvent) {
  // Qt would press a button by its mnemonic as a shortcut, with an animated
  // click that runs the command only some 100 ms later, after keys typed in
  // the meantime. Claiming the key here makes it an ordinary key press,
  // which the dialog keyboard rules turn into an immediate click.
  if (pEvent->type() == QEvent::ShortcutOverride && IsAltMnemonic(static_cast<QKeyEvent*>(pEvent))) {
    pEvent->accept();
    return true;
  }
  if (pEvent->type() == QEvent::KeyPress) {
    auto* pWidget = qobject_cast<QWidget*>(pWatched);
    if (pWidget != nullptr && HandleDialogKey(pWidget, static_cast<QKeyEvent*>(pEvent))) {
      return true;
    }
  }
  return QDialog::eventFilter(pWatched, pEvent);
}

void CDialog::keyPressEvent(QKeyEvent* pEvent) {
  if (HandleDialogKey(this, pEvent)) return;
  QDialog::keyPressEvent(pEvent);
}

bool CDialog::HandleDialogKey(QWidget* pTarget, QKeyEvent* pEvent) {
  const Qt::KeyboardModifiers modifiers = pEvent->modifiers() & ~Qt::KeypadModifier;
  switch (pEvent->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      if (modifiers & Qt::AltModifier) return false;
      if (auto* pButton = qobject_cast<QPushButton*>(pTarget)) {
        pButton->click();
        return true;
      }
      QWidget* pDefault = GetDlgItem(m_nDefID);
      if (pDefault == nullptr || pDefault->isEnabled()) OnCommand(m_nDefID, BN_CLICKED);
      return true;
    }
    case Qt::Key_Escape:
      reject();
      return true;
    case Qt::Key_F1:
      // No help viewer exists here; the key is taken so that nothing else
      // acts on it.
      return modifiers == Qt::NoModifier;
    default:
      break;
  }
  if (IsDialogKey(pEvent, Qt::Key_Space, Qt::AltModifier)) {
    ShowSystemMenu(mapToGlobal(QPoint(0, 0)));
    return true;
  }
  if (IsDialogKey(pEvent, Qt::Key_F4, Qt::AltModifier)) {
    OnSysCommand(SC_CLOSE);
    return true;
  }
  // Alt with a mnemonic letter presses its button, and so does the letter
  // alone while the focus is on a button (elsewhere the letter is text or
  // type-ahead). The press is immediate: the command has run before the
  // next key is handled, so keys act in the order they were typed.
  const bool bBare = modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier;
  if (IsAltMnemonic(pEvent) || (bBare && qobject_cast<QPushButton*>(pTarget) != nullptr)) {
    if (QPushButton* pButton = MnemonicButton(pEvent)) {
      pButton->click();
      return true;
    }
  }
  return false;
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
  if (pEvent->type() == QEvent::ShortcutOverride && IsAltMnemonic(static_cast<QKeyEvent*>(pEvent))) {
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

void CDialog::PlaceAgainForFrame() {
  // The frame comes with the native window, or later from the window
  // manager, after the window was placed. While the window still stands
  // where it was put (its frame there, or its inside there when the frame
  // was added around it), it is placed again with the real frame; once
  // moved by anyone else it stays where it is.
  if (!m_placedFrameSize.isValid() || !isVisible()) return;
  const QRect frame = frameGeometry();
  const bool bUnmoved = frame.topLeft() == m_placedPos || geometry().topLeft() == m_placedPos;
  if (frame.size() != m_placedFrameSize && bUnmoved) PlaceWindow();
}

void CDialog::UpdateIconLabels() {
  for (QLabel* pLabel : m_iconLabels) {
    pLabel->setPixmap(windowIcon().pixmap(pLabel->size()));
  }
}

void CDialog::ReportFileError(const CFileException& e) {
  // The path keeps the file system's bytes, which are UTF-8 here.
  MessageBox(QString::fromUtf8(e.ReportText()), AppTitle(), MB_ICONSTOP);
}

void CDialog::ReportOutOfMemory() {
  MessageBox(QStringLiteral("Out of memory."), AppTitle(), MB_ICONEXCLAMATION);
}

}  // namespace velunar
