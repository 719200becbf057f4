// The application object's registration and the application title, the
// same for every toolkit; Run is the toolkit's.
#include "ui/platform/win_app.h"

#include <algorithm>

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

std::string AppTitleFromPath(const std::string& executablePath) {
  // Both separators: a name is cut at the last one either way.
  const std::size_t slash = executablePath.find_last_of("/\\");
  const std::string name =
      slash == std::string::npos ? executablePath : executablePath.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  return dot != std::string::npos && dot > 0 ? name.substr(0, dot) : name;
}

}  // namespace velunar
