// The application on Windows: the error mode, the common controls, the
// application title from the executable's path, and the program's start
// and end.
#include <string>

#include "ui/platform/win32/wide_text.h"
#include "ui/platform/win_app.h"

namespace velunar {

int CWinApp::Run(const char* /*argv0*/) {
  // The title comes from the module's own path: argv[0] on Windows is in
  // the ANSI code page, and is whatever the starter typed.
  m_strAppTitle = AppTitleFromPath(ExecutablePath());
  // No system box for a missing disk or a file that cannot be opened: the
  // program reports its file's failures itself.
  ::SetErrorMode(::SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);

  if (InitInstance()) {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  return ExitInstance();
}

std::string ExecutablePath() {
  // The path can be longer than MAX_PATH; the buffer grows until it fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return win32::Utf8OfWide(path);
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace velunar
