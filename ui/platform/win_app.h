// The application object: the program's one instance of a CWinApp subclass.
//
// It is constructed before the toolkit exists (a static object is fine) and
// does nothing until Run, which starts the toolkit, runs InitInstance, then
// ExitInstance, and returns the exit status. The object holds a reference
// to the main window while it is up (m_pMainWnd) and owns nothing.
#ifndef VELUNAR_UI_PLATFORM_WIN_APP_H_
#define VELUNAR_UI_PLATFORM_WIN_APP_H_

#include <string>

namespace velunar {

class CDialog;

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
  // without its extension; the running executable's when argv0 is empty,
  // and always on Windows, whose argv[0] is in the ANSI code page),
  // starts the toolkit with the program's name, version and icon and no
  // option of the command line, and runs InitInstance and ExitInstance.
  // Returns the exit status. Where no window can be opened it writes one
  // sentence to stderr, naming the reason, and returns 1 without running
  // InitInstance.
  int Run(const char* argv0);

  // The application title (UTF-8): the caption of every report of a
  // failure.
  const std::string& AppTitle() const { return m_strAppTitle; }

  // The main window while it is up; the dialog clears it when it goes.
  CDialog* m_pMainWnd = nullptr;
  // The exit status ExitInstance gives by default; 0 unless start-up sets it.
  int m_nExitCode = 0;

 protected:
  std::string m_strAppTitle;
};

// The registered application object, or nullptr.
CWinApp* AfxGetApp();
// Its main window, or nullptr.
CDialog* AfxGetMainWnd();

// The application title: the application object's, or, without one, the
// running executable's file name without its extension.
std::string AppTitle();

// The file name of `executablePath` without its last extension:
// "/usr/bin/velunar" -> "velunar", "C:\x\velunar.exe" -> "velunar".
std::string AppTitleFromPath(const std::string& executablePath);

// The running executable's full path (UTF-8); the toolkit's own.
std::string ExecutablePath();

// The help file's path: `executablePath` with its last extension, if any,
// replaced by ".HLP".
std::string HelpFilePathFromPath(const std::string& executablePath);

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_WIN_APP_H_
