// The application object: the program's one instance of a CWinApp subclass.
//
// It is constructed before Qt exists (a static object is fine) and does
// nothing until Run, which starts Qt, runs InitInstance, then ExitInstance,
// and returns the exit status. The object holds a reference to the main
// window while it is up (m_pMainWnd) and owns nothing.
#ifndef VELUNAR_UI_PLATFORM_WIN_APP_H_
#define VELUNAR_UI_PLATFORM_WIN_APP_H_

#include <QString>
#include <QStringList>

class QWidget;

namespace velunar {

class CWinApp {
 public:
  // Registers this object as the program's application (AfxGetApp). At most
  // one exists at a time.
  CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;
  virtual ~CWinApp();

  // The program's start-up. Returns true to run the application's own event
  // loop afterwards, false to end at once (a dialog program runs its window
  // inside and returns false). Default: true.
  virtual bool InitInstance();
  // Runs last; its result is the exit status. Default: m_nExitCode.
  virtual int ExitInstance();

  // Derives the application title from `argv0` (the executable's file name
  // without its extension; /proc/self/exe when argv0 is empty), starts Qt
  // with the program's name as its only argument, so that no option on the
  // command line reaches Qt (under a locale whose character type is not
  // UTF-8, with the UTF-8 character type, so that every window title
  // property is right), installs Qt's Russian texts
  // (InstallQtTranslation), and runs InitInstance and ExitInstance.
  // Returns the exit status. Where no window can be opened it writes one
  // sentence to stderr, naming the reason (StartFailureReason), and returns
  // 1 without running InitInstance.
  int Run(const char* argv0);

  // The application title: the caption of every report of a failure.
  const QString& AppTitle() const { return m_strAppTitle; }

  // The main window while it is up; the dialog clears it when it goes.
  QWidget* m_pMainWnd = nullptr;
  // The exit status ExitInstance gives by default; 0 unless start-up sets it.
  int m_nExitCode = 0;

 private:
  QString m_strAppTitle;
};

// Why Qt could not open a window, from the messages it gave while starting
// (none: no display was named at all): "the Wayland plugin is missing:
// install qt6-wayland, or run under X11", "no graphical display is
// available", and the like. Names no plugin it was not told about.
QString StartFailureReason(const QStringList& qtMessages);

// Installs Qt's Russian translation of its own texts (qtbase_ru from Qt's
// translations directory) into the running application, whatever the
// locale. Returns false, and changes nothing, when the translation is not
// installed: Qt's texts then stay as they are. REQUIRES: a QCoreApplication.
bool InstallQtTranslation();

// The registered application object, or nullptr.
CWinApp* AfxGetApp();
// Its main window, or nullptr.
QWidget* AfxGetMainWnd();

// The application title: the application object's, or, without one, the
// running executable's file name without its extension.
QString AppTitle();

// The file name of `executablePath` without its last extension:
// "/usr/bin/velunar" -> "velunar", "C:/x/velunar.exe" style names included.
QString AppTitleFromPath(const QString& executablePath);

// Whether Qt can be asked to open a window at all: a platform was chosen
// (QT_QPA_PLATFORM), or an X11 or Wayland display is named. Empty values
// count as unset. Arguments are the three environment values (nullptr when
// unset).
bool IsDisplayConfigured(const char* qpaPlatform, const char* display, const char* waylandDisplay);

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_WIN_APP_H_
