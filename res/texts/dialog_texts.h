// The texts of the dialog layer itself (ui/platform/), exactly as they
// appear: its system menu, the buttons of its message boxes, its report of
// memory running out and what it says when no window can be opened. UTF-8.
#ifndef VELUNAR_RES_TEXTS_DIALOG_TEXTS_H_
#define VELUNAR_RES_TEXTS_DIALOG_TEXTS_H_

namespace velunar::texts {

// The system menu's one standard item.
inline constexpr char kSysMenuClose[] = "&Закрыть\tAlt+F4";

// The buttons of a Yes/No message box.
inline constexpr char kYes[] = "Да";
inline constexpr char kNo[] = "Нет";

// The report of a command that ran out of memory.
inline constexpr char kOutOfMemory[] = "Out of memory.";

// When the help viewer cannot be started (F1).
inline constexpr char kFailedToLaunchHelp[] = "Failed to launch help.";

// On stderr when no window can be opened: "<title>: cannot open the window:
// <reason>." with one of the reasons below.
inline constexpr char kCannotOpenWindow[] = "%1: cannot open the window: %2.";
inline constexpr char kNoDisplay[] = "no graphical display is available";
inline constexpr char kWaylandPluginMissing[] =
    "the Wayland plugin is missing: install qt6-wayland, or run under X11";
inline constexpr char kXcbPluginUnloadable[] =
    "the X11 plugin (xcb) cannot be loaded: reinstall qt6-base";
// %1: the plugin's name.
inline constexpr char kPlatformPluginMissing[] = "the Qt platform plugin \"%1\" is not installed";

}  // namespace velunar::texts

#endif  // VELUNAR_RES_TEXTS_DIALOG_TEXTS_H_
