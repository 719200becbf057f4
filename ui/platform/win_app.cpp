// The application object's registration and the application title, the
// same for every toolkit; Run is the toolkit's.
#include "ui/platform/win_app.h"

#include <algorithm>
#include <utility>

namespace velunar {

namespace {

// The registered application object. The one global of the window layer:
// AfxGetApp must find the object without anyone handing it around, and the
// object itself is constructed before main.
CWinApp* g_pApp = nullptr;

}  // namespace

CWinApp::CWinApp() { g_pApp = this; }

CWinApp::~CWinApp() {
  if (g_pApp == this) g_pApp = nullptr;
}

bool CWinApp::InitInstance() { return true; }

int CWinApp::ExitInstance() { return m_nExitCode; }

CWinApp* AfxGetApp() { return g_pApp; }

CDialog* AfxGetMainWnd() { return g_pApp != nullptr ? g_pApp->m_pMainWnd : nullptr; }

std::string AppTitle() {
  if (g_pApp != nullptr && !g_pApp->AppTitle().empty()) return g_pApp->AppTitle();
  return AppTitleFromPath(ExecutablePath());
}

namespace {

// Where the file name of `path` starts and where its extension does
// (npos when it has none; a leading dot does not start one). Both
// separators: a name is cut at the last one either way.
std::pair<std::size_t, std::size_t> NameAndExtension(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = path.rfind('.');
  return {name, dot != std::string::npos && dot > name ? dot : std::string::npos};
}

}  // namespace

std::string AppTitleFromPath(const std::string& executablePath) {
  const auto [name, dot] = NameAndExtension(executablePath);
  return executablePath.substr(name, dot == std::string::npos ? std::string::npos : dot - name);
}

std::string HelpFilePathFromPath(const std::string& executablePath) {
  return executablePath.substr(0, NameAndExtension(executablePath).second) + ".HLP";
}

}  // namespace velunar
