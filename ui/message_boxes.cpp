#include "ui/message_boxes.h"

#include <QMessageBox>
#include <QPushButton>

#include "ui/win_defs.h"

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

class CQtMessageBoxes : public IMessageBoxes {
 public:
  int Show(QWidget* owner, const QString& text, const QString& caption, unsigned nType) override {
    const bool bYesNo = (nType & MB_TYPEMASK) == MB_YESNO;
    QMessageBox box(IconOf(nType), caption, text, QMessageBox::NoButton, owner);
    // Texts are shown as given: an entry that happens to look like markup
    // must not be rendered as markup.
    box.setTextFormat(Qt::PlainText);
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
    yes->setText(QString::fromUtf8("Да"));
    no->setText(QString::fromUtf8("Нет"));
    box.setDefaultButton((nType & MB_DEFMASK) == MB_DEFBUTTON2 ? no : yes);
    // Escape and the close box both land on «Нет».
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? IDYES : IDNO;
  }
};

}  // namespace

IMessageBoxes::~IMessageBoxes() = default;

IMessageBoxes& QtMessageBoxes() {
  static CQtMessageBoxes boxes;
  return boxes;
}

}  // namespace velunar
