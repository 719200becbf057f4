// The help request: F1 without Shift, Ctrl or Alt, in any of the program's
// windows. The window where it was pressed asks the help viewer for its own
// topic in the help file named like the executable.
#ifndef VELUNAR_UI_PLATFORM_HELP_H_
#define VELUNAR_UI_PLATFORM_HELP_H_

namespace velunar {

class CDialog;

// A window's help topic is this plus its template id.
inline constexpr unsigned kHelpContextBase = 0x20000;

// Asks the help viewer for `dlg`'s topic. When the viewer cannot be started,
// "Failed to launch help." is shown over `dlg`; the window stays as it was.
// Where the system has no help viewer, nothing happens. The toolkit's window
// calls this through its dialog's Dispatch.
void RequestHelp(CDialog& dlg);

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_HELP_H_
