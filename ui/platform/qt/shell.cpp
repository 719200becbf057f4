// The desktop's services on Qt.
#include "ui/platform/shell.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace velunar {

bool OpenWebAddress(const std::string& url) {
  // The desktop's own way (xdg-open and its like), never a shell's command
  // line.
  return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

EHelpLaunch LaunchHelp(const std::string& /*helpFilePath*/, unsigned /*nContext*/) {
  // A Linux desktop has no viewer for the help files this program would
  // name, and the program ships none: F1 shows nothing.
  return EHelpLaunch::noViewer;
}

}  // namespace velunar
