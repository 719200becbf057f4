#include "tests/ui/window_driver.h"

#include <unistd.h>

#include <QTest>
#include <QWindow>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "store/cp1251.h"
#include "ui/win_defs.h"

namespace velunar::testing {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

std::string Cp(const char* utf8) {
  QString text = U(utf8);
  return EncodeCp1251(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                          static_cast<std::size_t>(text.size())))
      .value();
}

int CMessageBoxRecorder::Show(QWidget* /*owner*/, const QString& text, const QString& caption,
                              unsigned nType) {
  int nAnswer = IDOK;
  if ((nType & MB_TYPEMASK) == MB_YESNO) {
    nAnswer = IDNO;
    if (!yesNoAnswers.empty()) {
      nAnswer = yesNoAnswers.front();
      yesNoAnswers.pop_front();
    }
  }
  boxes.push_back({text, caption, nType, nAnswer});
  return nAnswer;
}

void Key(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text) {
  QTest::sendKeyEvent(QTest::Press, window->windowHandle(), key, text, modifiers);
  QTest::sendKeyEvent(QTest::Release, window->windowHandle(), key, text, modifiers);
}

void Type(QWidget* window, const QString& text) {
  for (QChar c : text) {
    // The key code of a letter is its upper-case form; the text is the
    // character typed.
    Key(window, static_cast<Qt::Key>(c.toUpper().unicode()), Qt::NoModifier, QString(c));
  }
}

CScratchDir::CScratchDir() {
  std::string templ = (std::filesystem::temp_directory_path() / "velunar-test-XXXXXX").string();
  if (mkdtemp(templ.data()) == nullptr) std::abort();
  m_strPath = templ;
  m_strPrevious = std::filesystem::current_path().string();
  std::filesystem::current_path(m_strPath);
}

CScratchDir::~CScratchDir() {
  std::error_code ignored;
  std::filesystem::current_path(m_strPrevious, ignored);
  std::filesystem::permissions(m_strPath, std::filesystem::perms::owner_all, ignored);
  std::filesystem::remove_all(m_strPath, ignored);
}

std::string CScratchDir::ReadEntryFile() const {
  std::ifstream in(m_strPath + "/velunar.txt", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void CScratchDir::WriteEntryFile(const std::string& bytes) const {
  std::ofstream(m_strPath + "/velunar.txt", std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace velunar::testing
