// Driving a window in-process as a user would, on Qt's offscreen platform:
// keys go to the window (which hands them to the focused control, after the
// dialog's keyboard rules), message boxes are recorded instead of shown, and
// entry files live in a fresh directory per test.
#ifndef VELUNAR_TESTS_UI_WINDOW_DRIVER_H_
#define VELUNAR_TESTS_UI_WINDOW_DRIVER_H_

#include <QString>
#include <QWidget>
#include <deque>
#include <string>
#include <vector>

#include "ui/message_boxes.h"

namespace velunar::testing {

// UTF-8 text as the window shows it.
QString U(const char* utf8);
// UTF-8 text as Windows-1251 bytes, the way entries are kept.
std::string Cp(const char* utf8);

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
  int Show(QWidget* owner, const QString& text, const QString& caption, unsigned nType) override;

  std::vector<Box> boxes;
  std::deque<int> yesNoAnswers;
};

// A key pressed and released on `window`'s keyboard; `text` is what it types.
void Key(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
         const QString& text = {});
// Each character of `text` typed as one key, Cyrillic included.
void Type(QWidget* window, const QString& text);

// A fresh empty directory that becomes the current directory for the life
// of the object, and is removed with everything in it afterwards.
class CScratchDir {
 public:
  CScratchDir();
  ~CScratchDir();
  CScratchDir(const CScratchDir&) = delete;
  CScratchDir& operator=(const CScratchDir&) = delete;

  const std::string& Path() const { return m_strPath; }
  // The entry file's bytes ("" when it does not exist).
  std::string ReadEntryFile() const;
  void WriteEntryFile(const std::string& bytes) const;

 private:
  std::string m_strPath;
  std::string m_strPrevious;
};

}  // namespace velunar::testing

#endif  // VELUNAR_TESTS_UI_WINDOW_DRIVER_H_
