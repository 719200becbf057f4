// Message boxes: the one road by which a window shows a message.
//
// Dialogs show every box through an IMessageBoxes, so that tests can put a
// recorder in place of the real boxes and read back what would have been
// shown. The toolkit's boxes (DefaultMessageBoxes) show a modal box with the
// button OK, or the buttons «Да» and «Нет».
#ifndef VELUNAR_UI_PLATFORM_MESSAGE_BOXES_H_
#define VELUNAR_UI_PLATFORM_MESSAGE_BOXES_H_

#include <string>

namespace velunar {

class CDialog;

class IMessageBoxes {
 public:
  virtual ~IMessageBoxes();
  // Shows `text` under `caption` (UTF-8; a line feed breaks the line),
  // modal to `owner` (nullptr: to the whole program), and returns when the
  // user has dismissed it. `nType` is an MB_ value: the buttons in bits 0-3
  // (MB_OK: the one button OK; MB_YESNO: «Да» and «Нет»), the icon in bits
  // 4-7 (0 none, MB_ICONSTOP, MB_ICONQUESTION, MB_ICONEXCLAMATION,
  // MB_ICONINFORMATION), and the default button in bits 8-11
  // (MB_DEFBUTTON2: the second button). Returns IDOK for an OK box; IDYES
  // or IDNO for a Yes/No box, where Escape and closing the box answer IDNO.
  virtual int Show(CDialog* owner, const std::string& text, const std::string& caption,
                   unsigned nType) = 0;
};

// The toolkit's boxes. The object has no state; one serves everyone.
IMessageBoxes& DefaultMessageBoxes();

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_MESSAGE_BOXES_H_
