// Building a window from its template: the font and size, each control of
// its kind with its styles, names for assistive technology, the Tab order.
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStyle>

#include "ui/platform/qt/control_text.h"
#include "ui/platform/qt/dialog_window.h"
#include "ui/platform/qt/entry_edit.h"
#include "ui/platform/qt/list_box_view.h"
#include "ui/platform/qt/multi_line_button.h"
#include "ui/platform/qt/small_button.h"

namespace velunar {

bool CDialogWindow::CreateControls() {
  m_template = LoadDialogTemplate(m_owner.TemplateId(), m_owner.ResourceNames());
  const CDialogTemplate& t = m_template;
  if (!t.IsValid()) return false;

  setWindowTitle(t.strTitle);
  FitToWorkArea(ExpectedFrame());

  QString strLabelBefore;  // caption of the static text right before a control
  for (const CDialogItemTemplate& item : t.items) {
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

QWidget* CDialogWindow::CreateControl(const CDialogItemTemplate& item) {
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
      QPushButton* pButton = nullptr;
      if (item.HasStyle("BS_MULTILINE")) {
        pButton = new CMultiLineButton(this);
      } else if (item.strCaption.isEmpty() && rect.height() < fontMetrics().height()) {
        pButton = new CSmallButton(this);
      } else {
        pButton = new QPushButton(this);
      }
      // Enter presses the focused button or the one default button; no
      // button becomes default by taking the focus.
      pButton->setAutoDefault(false);
      pButton->setDefault(item.eKind == EControlKind::defPushButton);
      pButton->setFocusPolicy(Qt::StrongFocus);
      pButton->setGeometry(rect);
      pButton->setText(item.strCaption);
      const int nID = item.nID;
      connect(pButton, &QPushButton::clicked, this,
              [this, nID] { m_owner.OnCommand(nID, BN_CLICKED); });
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


void CDialogWindow::UpdateIconLabels() {
  for (QLabel* pLabel : m_iconLabels) {
    pLabel->setPixmap(windowIcon().pixmap(pLabel->size()));
  }
}

}  // namespace velunar
