#include "ui/platform/win_app.h"

#include "ui/platform/qt/win_app_qt.h"

#include <gtest/gtest.h>
#include <langinfo.h>

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QStringList>
#include <clocale>
#include <cstdlib>
#include <string>

namespace velunar {
namespace {

TEST(WinApp, TitleAndHelpFileComeFromTheExecutablesName) {
  struct Row {
    const char* path;
    const char* title;
    const char* help;
  };
  const Row rows[] = {
      {"/usr/bin/velunar", "velunar", "/usr/bin/velunar.HLP"},
      {"./velunar", "velunar", "./velunar.HLP"},
      {"velunar", "velunar", "velunar.HLP"},
      {"/opt/Велунар/велунар.bin", "велунар", "/opt/Велунар/велунар.HLP"},
      {"C:\\Programs\\velunar.exe", "velunar", "C:\\Programs\\velunar.HLP"},
      {"C:\\my.tools\\velunar", "velunar", "C:\\my.tools\\velunar.HLP"},
      {"/home/a/my.tools/book.v2.run", "book.v2", "/home/a/my.tools/book.v2.HLP"},
      {"/home/a/.hidden", ".hidden", "/home/a/.hidden.HLP"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.path);
    EXPECT_EQ(AppTitleFromPath(r.path), r.title);
    EXPECT_EQ(HelpFilePathFromPath(r.path), r.help);
  }
}

TEST(WinApp, DisplayIsConfiguredByAnyOfThreeValues) {
  struct Row {
    const char *qpa, *display, *wayland;
    bool want;
  };
  const Row rows[] = {
      {nullptr, nullptr, nullptr, false},    {"", "", "", false},
      {"offscreen", nullptr, nullptr, true}, {nullptr, ":0", nullptr, true},
      {nullptr, nullptr, "wayland-0", true}, {"", ":1", "", true},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(IsDisplayConfigured(r.qpa, r.display, r.wayland), r.want);
  }
}

// Records what InitInstance found when Run started it.
class CRecordingApp : public CWinApp {
 public:
  bool InitInstance() override {
    ++m_nInitCalls;
    m_bQtRunning = QApplication::instance() != nullptr;
    m_arguments = QCoreApplication::arguments();
    m_strTitleSeen = QString::fromStdString(velunar::AppTitle());
    return false;
  }
  int m_nInitCalls = 0;
  bool m_bQtRunning = false;
  QStringList m_arguments;
  QString m_strTitleSeen;
};

// Sets or clears an environment variable for one test, restoring it after.
class CScopedEnv {
 public:
  CScopedEnv(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    m_bHadOld = std::getenv(name) != nullptr;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~CScopedEnv() {
    if (m_bHadOld) {
      setenv(m_name, m_old.c_str(), 1);
    } else {
      unsetenv(m_name);
    }
  }

 private:
  const char* m_name;
  std::string m_old;
  bool m_bHadOld = false;
};

TEST(WinApp, RegistersItselfWhileItLives) {
  EXPECT_EQ(AfxGetApp(), nullptr);
  {
    CRecordingApp app;
    EXPECT_EQ(AfxGetApp(), &app);
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
  }
  EXPECT_EQ(AfxGetApp(), nullptr);
}

TEST(WinApp, RunGivesQtOnlyTheProgramNameAndReturnsTheExitStatus) {
  CScopedEnv qpa("QT_QPA_PLATFORM", "offscreen");
  CRecordingApp app;
  app.m_nExitCode = 0;
  EXPECT_EQ(app.Run("/usr/local/bin/velunar"), 0);
  EXPECT_EQ(app.m_nInitCalls, 1);
  EXPECT_TRUE(app.m_bQtRunning);
  EXPECT_EQ(app.m_arguments, QStringList{"/usr/local/bin/velunar"});
  EXPECT_EQ(app.m_strTitleSeen, "velunar");
  EXPECT_EQ(app.AppTitle(), "velunar");
  EXPECT_EQ(QApplication::instance(), nullptr);  // Qt ends with the run

  CRecordingApp second;
  second.m_nExitCode = 3;  // as a start-up that failed would set it
  EXPECT_EQ(second.Run("book.exe"), 3);
  EXPECT_EQ(second.m_strTitleSeen, "book");
}

// Records the C library's character type while Qt runs.
class CCodesetApp : public CWinApp {
 public:
  bool InitInstance() override {
    m_strCodeset = nl_langinfo(CODESET);
    return false;
  }
  std::string m_strCodeset;
};

TEST(WinApp, RunUsesTheUtf8CharacterTypeWhateverTheLocale) {
  CScopedEnv qpa("QT_QPA_PLATFORM", "offscreen");
  const char* const locales[] = {"C", "POSIX", "C.UTF-8"};
  for (const char* locale : locales) {
    SCOPED_TRACE(locale);
    CScopedEnv all("LC_ALL", locale);
    std::setlocale(LC_ALL, "C");
    CCodesetApp app;
    app.Run("/usr/bin/velunar");
    EXPECT_EQ(app.m_strCodeset, "UTF-8");
  }
  std::setlocale(LC_ALL, "C");
}

TEST(WinApp, RunWithoutADisplaySaysSoAndDoesNotStart) {
  CScopedEnv qpa("QT_QPA_PLATFORM", nullptr);
  CScopedEnv display("DISPLAY", nullptr);
  CScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
  CRecordingApp app;
  testing::internal::CaptureStderr();
  EXPECT_NE(app.Run("/usr/bin/velunar"), 0);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(app.m_nInitCalls, 0);
  EXPECT_EQ(said, "velunar: cannot open the window: no graphical display is available.\n");
}

TEST(WinApp, StartFailureNamesTheReasonQtGave) {
  struct Row {
    const char* name;
    QStringList messages;
    const char* want;
  };
  const Row rows[] = {
      {"nothing said", {}, "no graphical display is available"},
      {"Wayland plugin missing, then no X display",
       {"Could not find the Qt platform plugin \"wayland\" in \"\"",
        "qt.qpa.xcb: could not connect to display ",
        "This application failed to start because no Qt platform plugin could be initialized."},
       "the Wayland plugin is missing: install qt6-wayland, or run under X11"},
      {"X display that cannot be opened",
       {"qt.qpa.xcb: could not connect to display :99",
        "Could not load the Qt platform plugin \"xcb\" in \"\" even though it was found.",
        "This application failed to start because no Qt platform plugin could be initialized."},
       "no graphical display is available"},
      {"xcb plugin that does not load",
       {"Could not load the Qt platform plugin \"xcb\" in \"\" even though it was found."},
       "the X11 plugin (xcb) cannot be loaded: reinstall qt6-base"},
      {"a platform named that does not exist",
       {"Could not find the Qt platform plugin \"vnc\" in \"\""},
       "the Qt platform plugin \"vnc\" is not installed"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(StartFailureReason(r.messages), QString::fromUtf8(r.want));
  }
}

// Qt's start ends the process when it fails, so the run happens in a child.
TEST(WinAppDeathTest, WaylandWithoutItsPluginSaysWhatToInstall) {
  if (QFile::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                    "/platforms/libqwayland-generic.so")) {
    GTEST_SKIP() << "qt6-wayland is installed";
  }
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  CScopedEnv qpa("QT_QPA_PLATFORM", nullptr);
  CScopedEnv display("DISPLAY", nullptr);
  CScopedEnv wayland("WAYLAND_DISPLAY", "wayland-velunar-test");
  CScopedEnv session("XDG_SESSION_TYPE", "wayland");
  CScopedEnv desktop("XDG_CURRENT_DESKTOP", nullptr);
  EXPECT_EXIT(
      {
        CRecordingApp app;
        app.Run("/usr/bin/velunar");
      },
      ::testing::ExitedWithCode(1),
      "velunar: cannot open the window: the Wayland plugin is missing: install qt6-wayland, or "
      "run under X11\\.");
}

}  // namespace
}  // namespace velunar
