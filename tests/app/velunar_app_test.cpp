// The application object in-process: Run starts Qt, runs the main window
// modally until the user leaves it, and gives the process its exit status.
// The user is played by a timer that starts with the run: it answers every
// message box with OK and leaves the main window by Escape.
#include "app/velunar_app.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/file/entry_file.h"
#include "tests/ui/window_driver.h"
#include "ui/velunar_dlg.h"

namespace velunar {
namespace {

using testing::CScratchDir;
using testing::Key;
using testing::U;

// Windows-1251 entries, written out by hand: Вера, Анна.
const std::string kVera = "\xC2\xE5\xF0\xE0";
const std::string kAnna = "\xC0\xED\xED\xE0";

// CVelunarApp with a user at the keyboard.
class CDrivenApp : public CVelunarApp {
 public:
  struct Box {
    QString text, title;
    QMessageBox::Icon icon;
  };

  // What the user saw.
  std::vector<Box> m_boxes;
  int m_nMainWindowsSeen = 0;
  QString m_strMainTitle;
  QString m_strVersion;
  QStringList m_arguments;
  bool m_bHadIcon = false;

 protected:
  bool InitInstance() override {
    m_pUser = std::make_unique<QTimer>();
    QObject::connect(m_pUser.get(), &QTimer::timeout, m_pUser.get(), [this] { Act(); });
    m_pUser->start(20);
    return CVelunarApp::InitInstance();
  }
  int ExitInstance() override {
    m_pUser.reset();  // while Qt is still up
    return CVelunarApp::ExitInstance();
  }

 private:
  void Act() {
    if (++m_nTicks > 1000) {  // the program never ended: end it
      ADD_FAILURE() << "the program did not end";
      if (CDialog* pMain = AfxGetMainWnd()) pMain->EndDialog(99);
      if (QWidget* pModal = QApplication::activeModalWidget()) pModal->close();
      return;
    }
    if (auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      m_boxes.push_back({pBox->text(), pBox->windowTitle(), pBox->icon()});
      pBox->done(QMessageBox::Ok);
      return;
    }
    auto* pMain = dynamic_cast<CVelunarDlg*>(AfxGetMainWnd());
    if (pMain == nullptr || !pMain->Window().isVisible() || !pMain->Window().isActiveWindow()) return;
    ++m_nMainWindowsSeen;
    m_strMainTitle = pMain->Window().windowTitle();
    m_strVersion = QGuiApplication::applicationVersion();
    m_arguments = QCoreApplication::arguments();
    m_bHadIcon = !QGuiApplication::windowIcon().isNull();
    Key(&pMain->Window(), Qt::Key_Escape);
  }

  std::unique_ptr<QTimer> m_pUser;
  int m_nTicks = 0;
};

TEST(VelunarApp, RunShowsTheWindowAndEndsWithStatusZeroAfterExit) {
  CScratchDir dir;
  dir.WriteEntryFile(kVera + "\n" + kAnna);
  CDrivenApp app;
  EXPECT_EQ(app.Run("/usr/local/bin/velunar"), 0);

  EXPECT_EQ(app.m_nMainWindowsSeen, 1);
  EXPECT_EQ(app.m_strMainTitle, U("Велунар"));
  EXPECT_EQ(app.m_strVersion, "2006.04");
  EXPECT_TRUE(app.m_bHadIcon);
  EXPECT_EQ(app.m_arguments, QStringList{"/usr/local/bin/velunar"});
  EXPECT_TRUE(app.m_boxes.empty());
  EXPECT_EQ(app.AppTitle(), "velunar");
  EXPECT_EQ(app.m_pMainWnd, nullptr);
  // Exit wrote every entry.
  EXPECT_EQ(dir.ReadEntryFile(), kAnna + "\r\n" + kVera + "\r\n");
}

TEST(VelunarApp, UnloadableFileIsReportedAndTheRunEndsWithStatusOne) {
  struct Row {
    const char* name;
    // Prepares the directory; returns whatever must live as long as the run.
    std::function<std::shared_ptr<void>(const CScratchDir&)> prepare;
  };
  const Row rows[] = {
      {"a directory named velunar.txt",
       [](const CScratchDir& dir) {
         std::filesystem::create_directory(dir.EntryFilePath());
         return std::shared_ptr<void>();
       }},
      {"a second copy of the program",
       [](const CScratchDir& dir) {
         dir.WriteEntryFile(kVera + "\n" + kAnna);
         auto pFirstCopy = std::make_shared<CStdioFile>();
         EXPECT_TRUE(pFirstCopy->OpenForReading());
         return std::shared_ptr<void>(pFirstCopy);
       }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    CScratchDir dir;
    const std::shared_ptr<void> keep = r.prepare(dir);
    const bool bDirectory = std::filesystem::is_directory(dir.EntryFilePath());
    CDrivenApp app;
    EXPECT_EQ(app.Run("velunar"), 1);

    ASSERT_EQ(app.m_boxes.size(), 1u);
    const QString path = QString::fromStdString(dir.EntryFilePath());
    EXPECT_TRUE(app.m_boxes[0].text.contains(path)) << app.m_boxes[0].text.toStdString();
    EXPECT_EQ(app.m_boxes[0].title, "velunar");
    EXPECT_EQ(app.m_boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(app.m_nMainWindowsSeen, 0);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    // Nothing written: the directory stays a directory, the file as it was.
    if (bDirectory) {
      EXPECT_TRUE(std::filesystem::is_empty(dir.EntryFilePath()));
    } else {
      EXPECT_EQ(dir.ReadEntryFile(), kVera + "\n" + kAnna);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
  }
}

}  // namespace
}  // namespace velunar
