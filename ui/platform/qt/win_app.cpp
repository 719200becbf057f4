// The application on Qt: Qt started with the program's name and nothing of
// its command line, Qt's own texts in Russian, and the reasons no window
// could be opened.
#include "ui/platform/qt/win_app_qt.h"

#include <langinfo.h>

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QTranslator>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "res/texts/dialog_texts.h"
#include "res/version.h"
#include "ui/platform/app_icon.h"
#include "ui/platform/win_app.h"

namespace velunar {
namespace {

void ReportCannotOpen(const QString& reason) {
  const QByteArray line = QString::fromUtf8(texts::kCannotOpenWindow)
                              .arg(QString::fromStdString(AppTitle()), reason)
                              .toLocal8Bit();
  std::fprintf(stderr, "%s\n", line.constData());
}

// Qt ends the process with a fatal message when no platform plugin can
// start. During Qt's start only, that becomes the program's own sentence,
// naming the reason from what Qt said before, and exit status 1 instead of
// an abort.
QtMessageHandler g_previousHandler = nullptr;
QStringList* g_pStartMessages = nullptr;
void HandleStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (g_pStartMessages != nullptr) g_pStartMessages->append(message);
  if (type == QtFatalMsg) {
    ReportCannotOpen(
        StartFailureReason(g_pStartMessages != nullptr ? *g_pStartMessages : QStringList{message}));
    std::fflush(stderr);
    std::_Exit(1);
  }
  if (g_previousHandler != nullptr) g_previousHandler(type, context, message);
}

bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }

// Qt takes every 8-bit text of the system as UTF-8, but Xlib encodes the
// old-style window title (WM_NAME) by the locale's character type: under a
// locale that is not UTF-8 (LANG=C, say) the UTF-8 bytes would be labelled
// Latin-1 and every tool that reads WM_NAME would show garbage. So the
// character type becomes the UTF-8 form of the locale, or C.UTF-8, in the
// environment too, which Qt reads again as it starts; the other categories
// stay as the user set them.
void UseUtf8CharacterType() {
  std::setlocale(LC_ALL, "");
  const char* codeset = nl_langinfo(CODESET);
  if (codeset != nullptr &&
      (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0)) {
    return;
  }
  const char* current = std::setlocale(LC_CTYPE, nullptr);
  std::string name = current != nullptr ? current : "";
  name = name.substr(0, name.find_first_of(".@"));
  std::string utf8 = name.empty() || name == "C" || name == "POSIX" ? "" : name + ".UTF-8";
  if (utf8.empty() || std::setlocale(LC_CTYPE, utf8.c_str()) == nullptr) {
    utf8 = "C.UTF-8";
    if (std::setlocale(LC_CTYPE, utf8.c_str()) == nullptr) return;  // no UTF-8 locale at all
  }
  // LC_ALL would override LC_CTYPE; what it said holds on through LANG.
  if (const char* all = std::getenv("LC_ALL"); IsSet(all)) {
    setenv("LANG", all, 1);
    unsetenv("LC_ALL");
  }
  setenv("LC_CTYPE", utf8.c_str(), 1);
  std::setlocale(LC_ALL, "");
}

}  // namespace

int CWinApp::Run(const char* argv0) {
  std::string strProgram = IsSet(argv0) ? std::string(argv0) : std::string();
  if (strProgram.empty()) strProgram = ExecutablePath();
  m_strAppTitle = AppTitleFromPath(QString::fromLocal8Bit(strProgram.c_str()).toStdString());

  if (!IsDisplayConfigured(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"),
                           std::getenv("WAYLAND_DISPLAY"))) {
    ReportCannotOpen(StartFailureReason({}));
    return 1;
  }

  // Qt sees the program's name and nothing else, so options typed after it
  // ("-platform", "-style", ...) change nothing.
  std::vector<char> arg0(strProgram.begin(), strProgram.end());
  arg0.push_back('\0');
  char* argv[] = {arg0.data(), nullptr};
  int argc = 1;
  UseUtf8CharacterType();
  QStringList startMessages;
  g_pStartMessages = &startMessages;
  g_previousHandler = qInstallMessageHandler(HandleStartMessage);
  QApplication app(argc, argv);
  qInstallMessageHandler(g_previousHandler);
  g_previousHandler = nullptr;
  g_pStartMessages = nullptr;
  InstallQtTranslation();
  // Lets the window manager match the window to the desktop entry and its
  // icon.
  QGuiApplication::setDesktopFileName(QStringLiteral(VELUNAR_APP_ID));
  QGuiApplication::setApplicationVersion(QStringLiteral(VELUNAR_VERSION_TEXT));
  const CIcon icon = LoadAppIcon();
  if (!icon.IsNull()) QGuiApplication::setWindowIcon(*static_cast<const QIcon*>(icon.Data()));

  if (InitInstance()) QApplication::exec();
  return ExitInstance();
}

QString StartFailureReason(const QStringList& qtMessages) {
  const auto said = [&qtMessages](const char* part) {
    for (const QString& m : qtMessages) {
      if (m.contains(QLatin1String(part), Qt::CaseInsensitive)) return true;
    }
    return false;
  };
  // Qt names the plugin it could not find or load, one message each.
  if (said("platform plugin \"wayland\"")) {
    return QString::fromUtf8(texts::kWaylandPluginMissing);
  }
  if (said("could not connect to display")) return QString::fromUtf8(texts::kNoDisplay);
  if (said("platform plugin \"xcb\"")) {
    return QString::fromUtf8(texts::kXcbPluginUnloadable);
  }
  for (const QString& m : qtMessages) {
    static const QRegularExpression kPlugin(
        QStringLiteral("Could not (?:find|load) the Qt platform plugin \"([^\"]*)\""));
    const QRegularExpressionMatch match = kPlugin.match(m);
    if (match.hasMatch()) {
      return QString::fromUtf8(texts::kPlatformPluginMissing).arg(match.captured(1));
    }
  }
  return QString::fromUtf8(texts::kNoDisplay);
}

bool InstallQtTranslation() {
  // The interface is Russian whatever the locale says, so Qt's own texts
  // (an edit field's menu, standard buttons) are Russian too.
  auto* pTranslator = new QTranslator(QCoreApplication::instance());
  if (!pTranslator->load(QStringLiteral("qtbase_ru"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete pTranslator;
    return false;
  }
  return QCoreApplication::installTranslator(pTranslator);
}

std::string ExecutablePath() {
  return (QCoreApplication::instance() != nullptr
              ? QCoreApplication::applicationFilePath()
              : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget())
      .toStdString();
}

bool IsDisplayConfigured(const char* qpaPlatform, const char* display, const char* waylandDisplay) {
  return IsSet(qpaPlatform) || IsSet(display) || IsSet(waylandDisplay);
}

}  // namespace velunar
