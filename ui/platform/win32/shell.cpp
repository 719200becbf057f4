// The desktop's services on Windows.
#include "ui/platform/shell.h"

#include <objbase.h>

#include "ui/platform/win32/wide_text.h"

namespace velunar {

bool OpenWebAddress(const std::string& url) {
  // The shell's "open" of the address starts the user's default browser
  // with it, as a Unicode string: no command line is built, so nothing in
  // the address is read as an option or split at a space, and no ANSI code
  // page is involved (as it would be with WinExec("explorer.exe " + url),
  // which also leaves the choice of browser to Explorer's own rules). The
  // shell's extensions want COM on the calling thread.
  const HRESULT hrCom = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const auto hResult = ::ShellExecuteW(nullptr, L"open", win32::WideOfUtf8(url).c_str(), nullptr,
                                       nullptr, SW_SHOWNORMAL);
  if (SUCCEEDED(hrCom)) ::CoUninitialize();
  // Values above 32 mean success.
  return reinterpret_cast<INT_PTR>(hResult) > 32;
}

EHelpLaunch LaunchHelp(const std::string& /*helpFilePath*/, unsigned /*nContext*/) {
  // Windows has had no viewer for the help files this program would name
  // since Windows Vista (WinHelp), and the program ships none: F1 shows
  // nothing, as on Linux.
  return EHelpLaunch::noViewer;
}

}  // namespace velunar
