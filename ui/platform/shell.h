// What the program asks of the desktop besides its windows: opening a web
// address in the user's browser, and the help viewer.
#ifndef VELUNAR_UI_PLATFORM_SHELL_H_
#define VELUNAR_UI_PLATFORM_SHELL_H_

#include <string>

namespace velunar {

// Opens `url` (UTF-8) in the desktop's default browser, never through a
// command line of a shell. Returns false when the desktop could not.
bool OpenWebAddress(const std::string& url);

// What became of a help request.
enum class EHelpLaunch {
  launched,  // the viewer was started (a missing help file is its to report)
  noViewer,  // the system has no help viewer: nothing is shown
  failed,    // the viewer could not be started
};

// Asks the system's help viewer for topic `nContext` of the help file
// `helpFilePath` (UTF-8).
EHelpLaunch LaunchHelp(const std::string& helpFilePath, unsigned nContext);

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_SHELL_H_
