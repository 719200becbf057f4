// The message boxes on Qt: a QMessageBox, plain text (a line feed breaks
// the line; a line wraps only when it is wider than two thirds of the
// screen), no icon for type 0. A box whose owner is missing or not shown is
// centred in the screen's work area, otherwise over its owner.
#include "ui/platform/message_boxes.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <algorithm>

#include "ui/platform/qt/centred_placement.h"
#include "ui/platform/qt/dialog_window.h"
#include "res/texts/dialog_texts.h"
#include "ui/platform/win_defs.h"

namespace velunar {
namespace {

QMessageBox::Icon IconOf(unsigned nType) {
  switch (nType & MB_ICONMASK) {
    case MB_ICONSTOP:
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
      return QMessageBox::Warning;
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

QScreen* ScreenFor(const QWidget* owner) {
  QScreen* pScreen = owner != nullptr ? owner->screen() : nullptr;
  return pScreen != nullptr ? pScreen : QGuiApplication::primaryScreen();
}

// A box without a visible owner (before the main window shows, or while it
// is hidden) is centred in the work area; Qt would centre it over the
// hidden owner, which lies wherever it was never shown.
class CMessageBox : public QMessageBox {
 public:
  CMessageBox(Icon icon, const QString& caption, const QString& text, QWidget* owner)
      : QMessageBox(icon, caption, text, QMessageBox::NoButton, owner) {}

 protected:
  void showEvent(QShowEvent* pEvent) override {
    QMessageBox::showEvent(pEvent);  // sizes the box
    const QWidget* pOwner = parentWidget();
    if (pOwner != nullptr && pOwner->isVisible() && !pOwner->isMinimized()) return;
    if (QScreen* pScreen = ScreenFor(pOwner)) {
      move(PlaceDialog(frameGeometry().size(), std::nullopt, pScreen->availableGeometry()));
    }
  }
};

// Qt's box wraps its text at about half the screen, which breaks lines
// that are meant as one. Each line of the text keeps to one line unless it
// is wider than two thirds of the screen; only then does it wrap, at that
// width.
void KeepLinesWhole(QMessageBox& box, const QString& text, const QWidget* owner) {
  auto* pLabel = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  QScreen* pScreen = ScreenFor(owner);
  if (pLabel == nullptr || pScreen == nullptr) return;
  const int nScreen = pScreen->availableGeometry().width();
  // Qt never makes a box wider than this (less the icon and margins).
  const int nBoxLimit = nScreen <= 1024 ? nScreen : std::min(nScreen - 480, 1000);
  const int nLimit = std::min(nScreen * 2 / 3, nBoxLimit - 120);
  const QFontMetrics fm(pLabel->font());
  int nWidest = 0;
  for (const QString& line : text.split(u'\n'))
    nWidest = std::max(nWidest, fm.horizontalAdvance(line));
  // A pixel or two more than the text: the label rounds its layout up.
  pLabel->setMinimumWidth(std::min(nWidest + 2, nLimit));
}

class CQtMessageBoxes : public IMessageBoxes {
 public:
  int Show(CDialog* pOwner, const std::string& strText, const std::string& strCaption,
           unsigned nType) override {
    QWidget* owner = QtWindowOf(pOwner);
    const QString text = QString::fromStdString(strText);
    const QString caption = QString::fromStdString(strCaption);
    const bool bYesNo = (nType & MB_TYPEMASK) == MB_YESNO;
    CMessageBox box(IconOf(nType), caption, text, owner);
    // Texts are shown as given: an entry that happens to look like markup
    // must not be rendered as markup.
    box.setTextFormat(Qt::PlainText);
    KeepLinesWhole(box, text, owner);
    if (!bYesNo) {
      QPushButton* ok = box.addButton(QMessageBox::Ok);
      box.setDefaultButton(ok);
      box.setEscapeButton(ok);
      box.exec();
      return IDOK;
    }
    // The captions are the program's own, whatever translation Qt has.
    QPushButton* yes = box.addButton(QMessageBox::Yes);
    QPushButton* no = box.addButton(QMessageBox::No);
    yes->setText(QString::fromUtf8(texts::kYes));
    no->setText(QString::fromUtf8(texts::kNo));
    box.setDefaultButton((nType & MB_DEFMASK) == MB_DEFBUTTON2 ? no : yes);
    // Escape and the close box both land on «Нет».
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? IDYES : IDNO;
  }
};

}  // namespace

IMessageBoxes& DefaultMessageBoxes() {
  static CQtMessageBoxes boxes;
  return boxes;
}

}  // namespace velunar
