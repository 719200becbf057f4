// Message boxes: the one road by which the window shows a message.
//
// Dialogs show every box through an IMessageBoxes, so that tests can put a
// recorder in place of the real boxes and read back what would have been
// shown. The Qt implementation shows a modal box with the button OK, or the
// buttons «Да» and «Нет».
#ifndef VELUNAR_UI_PLATFORM_MESSAGE_BOXES_H_
#define VELUNAR_UI_PLATFORM_MESSAGE_BOXES_H_

#include <QString>

class QWidget;

namespace velunar {

class IMessageBoxes {
 public:
  virtual ~IMessageBoxes();
  // Shows `text` under `caption`, modal to `owner` (nullptr: to the whole
  // program), and returns when the user has dismissed it. `nType` is an
  // MB_ value: the buttons in bits 0-3 (MB_OK: the one button OK; MB_YESNO:
  // «Да» and «Нет»), the icon in bits 4-7 (0 none, MB_ICONSTOP,
  // MB_ICONQUESTION, MB_ICONEXCLAMATION, MB_ICONINFORMATION), and the
  // default button in bits 8-11 (MB_DEFBUTTON2: the second button).
  // Returns IDOK for an OK box; IDYES or IDNO for a Yes/No box, where
  // Escape and closing the box answer IDNO.
  virtual int Show(QWidget* owner, const QString& text, const QString& caption, unsigned nType) = 0;
};

// The boxes on the screen: a QMessageBox, plain text (a line feed breaks the
// line; a line wraps only when it is wider than two thirds of the screen),
// no icon for type 0. A box whose owner is missing or not shown is centred
// in the screen's work area, otherwise over its owner. The object has no
// state; one serves everyone.
IMessageBoxes& QtMessageBoxes();

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_MESSAGE_BOXES_H_
