// Message boxes: the one road by which the window shows a message.
//
// Dialogs show every box through an IMessageBoxes, so that tests can put a
// recorder in place of the real boxes and read back what would have been
// shown. The Qt implementation shows a modal box with one OK button.
#ifndef VELUNAR_UI_MESSAGE_BOXES_H_
#define VELUNAR_UI_MESSAGE_BOXES_H_

#include <QString>

class QWidget;

namespace velunar {

class IMessageBoxes {
 public:
  virtual ~IMessageBoxes();
  // Shows `text` under `caption`, modal to `owner` (nullptr: to the whole
  // program), and returns when the user has dismissed it. `nType` is an
  // MB_ value: the icon in bits 4-7 (0 none, MB_ICONSTOP, MB_ICONQUESTION,
  // MB_ICONEXCLAMATION, MB_ICONINFORMATION); the box always has the one
  // button OK. Returns IDOK.
  virtual int Show(QWidget* owner, const QString& text, const QString& caption, unsigned nType) = 0;
};

// The boxes on the screen: a QMessageBox, plain text (a line feed breaks the
// line), no icon for type 0. The object has no state; one serves everyone.
IMessageBoxes& QtMessageBoxes();

}  // namespace velunar

#endif  // VELUNAR_UI_MESSAGE_BOXES_H_
