// Driving a window in-process as a user would, on Qt's offscreen platform:
// keys go to the window (which hands them to the focused control, after the
// dialog's keyboard rules), message boxes are recorded instead of shown, and
// entry files live in a fresh directory per test.
#ifndef VELUNAR_TESTS_UI_WINDOW_DRIVER_H_
#define VELUNAR_TESTS_UI_WINDOW_DRIVER_H_

#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "ui/message_boxes.h"

namespace velunar::testing {

// UTF-8 text as the window shows it.
QString U(const char* utf8);
// UTF-8 text as Windows-1251 bytes, the way entries are kept.
std::string Cp(const char* utf8);

// Message boxes the window asked for, in order; each answers OK at once.
class CMessageBoxRecorder : public IMessageBoxes {
 public:
  struct Box {
    QString text;
    QString caption;
    unsigned nType;
  };
  int Show(QWidget* owner, const QString& text, const QString& caption, unsigned nType) override;

  std::vector<Box> boxes;
};

// A key pressed and released on `window`'s keyboard; `text` is what it types.
void Key(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
         const QString& text = {});
// Each character of `text` typed as one key, Cyrillic included.
void Type(QWidget* window, const QString& text);
// Lets a click that Qt animates (mnemonics, ~100 ms) arrive.
void WaitForAnimatedClick();

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
