// Driving a dialog in-process as a user would, on Qt's offscreen platform:
// keys go to the window (which hands them to the focused control, after the
// dialog's keyboard rules) and message boxes are recorded instead of shown.
// Qt and the dialog layer only, so that the layer's own tests use it too;
// the program's window tests add what concerns entries (window_driver.h).
#ifndef VELUNAR_TESTS_UI_PLATFORM_QT_DIALOG_DRIVER_H_
#define VELUNAR_TESTS_UI_PLATFORM_QT_DIALOG_DRIVER_H_

#include <QString>
#include <QWidget>
#include <deque>
#include <string>
#include <vector>

#include "ui/platform/message_boxes.h"
#include "ui/platform/qt/dialog_window.h"
#include "ui/platform/qt/win_app_qt.h"

namespace velunar::testing {

// UTF-8 text as the window shows it.
QString U(const char* utf8);

// Message boxes the window asked for, in order; each is answered at once.
// An OK box answers IDOK. A Yes/No box (MB_YESNO) answers the first of
// `yesNoAnswers` not yet used, and IDNO once they have run out, as a user
// pressing Escape would.
class CMessageBoxRecorder : public IMessageBoxes {
 public:
  struct Box {
    QString text;
    QString caption;
    unsigned nType;
    int nAnswer = 0;  // what Show returned for the box
  };
  int Show(CDialog* owner, const std::string& text, const std::string& caption,
           unsigned nType) override;

  std::vector<Box> boxes;
  std::deque<int> yesNoAnswers;
};

// A key pressed and released on `window`'s keyboard; `text` is what it types.
void Key(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
         const QString& text = {});
// One letter (UTF-8) as its key with `modifiers`: the key code is the
// letter's upper-case form, the text the letter itself.
void Letter(QWidget* window, const char* utf8, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Each character of `text` typed as one key, Cyrillic included.
void Type(QWidget* window, const QString& text);

}  // namespace velunar::testing

#endif  // VELUNAR_TESTS_UI_PLATFORM_QT_DIALOG_DRIVER_H_
