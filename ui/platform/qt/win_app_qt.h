// What the application on Qt needs beyond the CWinApp of every toolkit: the
// reason no window could be opened, and Qt's own texts in Russian.
#ifndef VELUNAR_UI_PLATFORM_QT_WIN_APP_QT_H_
#define VELUNAR_UI_PLATFORM_QT_WIN_APP_QT_H_

#include <QString>
#include <QStringList>

namespace velunar {

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

// Whether Qt can be asked to open a window at all: a platform was chosen
// (QT_QPA_PLATFORM), or an X11 or Wayland display is named. Empty values
// count as unset. Arguments are the three environment values (nullptr when
// unset).
bool IsDisplayConfigured(const char* qpaPlatform, const char* display, const char* waylandDisplay);

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_QT_WIN_APP_QT_H_
