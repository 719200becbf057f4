#include "ui/message_boxes.h"

#include <QMessageBox>

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
    QMessageBox box(IconOf(nType), caption, text, QMessageBox::Ok, owner);
    // Texts are shown as given: an entry that happens to look like markup
    // must not be rendered as markup.
    box.setTextFormat(Qt::PlainText);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
    return IDOK;
  }
};

}  // namespace

IMessageBoxes::~IMessageBoxes() = default;

IMessageBoxes& QtMessageBoxes() {
  static CQtMessageBoxes boxes;
  return boxes;
}

}  // namespace velunar
