// The command, notification and message-box values the window code uses,
// with the numbers the desktop's dialog services gave them, so that command
// tables and system-menu values read as they always have.
#ifndef VELUNAR_UI_PLATFORM_WIN_DEFS_H_
#define VELUNAR_UI_PLATFORM_WIN_DEFS_H_

namespace velunar {

// Results of a modal run and the ids of the two standard buttons.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
// The answers of a Yes/No message box.
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
// A control without an id of its own (labels, the About box's icon).
inline constexpr int IDC_STATIC = -1;

// Notifications a control sends with its id.
inline constexpr int BN_CLICKED = 0;     // a button was pressed
inline constexpr int LBN_SELCHANGE = 1;  // the user changed the list's selection

// Message-box types: the buttons in the low four bits, the icon in the next
// four, the default button in the four above those.
inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_YESNO = 0x04;
inline constexpr unsigned MB_TYPEMASK = 0x0F;
inline constexpr unsigned MB_ICONHAND = 0x10;
inline constexpr unsigned MB_ICONSTOP = MB_ICONHAND;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONASTERISK = 0x40;
inline constexpr unsigned MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr unsigned MB_ICONMASK = 0xF0;
inline constexpr unsigned MB_DEFBUTTON1 = 0x000;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;
inline constexpr unsigned MB_DEFMASK = 0xF00;

// System commands. The low four bits of a system-command value are the
// platform's own; compare (value & 0xFFF0).
inline constexpr unsigned SC_CLOSE = 0xF060;

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_WIN_DEFS_H_
