// Every text the dialog layer shows or writes itself, exactly as it
// appears; UTF-8. The program's own texts live with the program (res/).
#ifndef VELUNAR_UI_PLATFORM_PLATFORM_TEXTS_H_
#define VELUNAR_UI_PLATFORM_PLATFORM_TEXTS_H_

namespace velunar::texts {

// The system menu's one standard item.
inline constexpr char kSysMenuClose[] = "&Закрыть\tAlt+F4";

// The buttons of a Yes/No message box.
inline constexpr char kYes[] = "Да";
inline constexpr char kNo[] = "Нет";

// The report of a command that ran out of memory.
inline constexpr char kOutOfMemory[] = "Out of memory.";

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

#endif  // VELUNAR_UI_PLATFORM_PLATFORM_TEXTS_H_
