#include "tests/ui/platform/qt/dialog_driver.h"

#include <QTest>
#include <QWindow>

#include "ui/platform/win_defs.h"

namespace velunar::testing {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

int CMessageBoxRecorder::Show(CDialog* /*owner*/, const std::string& text,
                              const std::string& caption, unsigned nType) {
  int nAnswer = IDOK;
  if ((nType & MB_TYPEMASK) == MB_YESNO) {
    nAnswer = IDNO;
    if (!yesNoAnswers.empty()) {
      nAnswer = yesNoAnswers.front();
      yesNoAnswers.pop_front();
    }
  }
  boxes.push_back({QString::fromStdString(text), QString::fromStdString(caption), nType, nAnswer});
  return nAnswer;
}

void Key(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text) {
  QTest::sendKeyEvent(QTest::Press, window->windowHandle(), key, text, modifiers);
  QTest::sendKeyEvent(QTest::Release, window->windowHandle(), key, text, modifiers);
}

void Letter(QWidget* window, const char* utf8, Qt::KeyboardModifiers modifiers) {
  const QString text = U(utf8);
  Key(window, static_cast<Qt::Key>(text[0].toUpper().unicode()), modifiers, text);
}

void Type(QWidget* window, const QString& text) {
  for (QChar c : text) {
    Key(window, static_cast<Qt::Key>(c.toUpper().unicode()), Qt::NoModifier, QString(c));
  }
}

}  // namespace velunar::testing
