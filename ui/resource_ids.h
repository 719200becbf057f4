// Ids of the program's resources: window templates, controls, the icon, the
// About item's string and its system-menu command. The window templates in
// res/dialogs/ carry the same numbers.
#ifndef VELUNAR_UI_RESOURCE_IDS_H_
#define VELUNAR_UI_RESOURCE_IDS_H_

namespace velunar {

// Window templates.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_VELUNAR_DIALOG = 102;

// The string "&О программе" and the icon.
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDR_MAINFRAME = 128;

// The About item of the system menu. Its low four bits are zero, as every
// system-command value of the program's own must be.
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;

// Controls of the main window.
inline constexpr int IDC_ENTRY_EDIT = 1000;
inline constexpr int IDC_SAVE = 1003;
inline constexpr int IDC_FIND = 1004;
inline constexpr int IDC_CHANGE = 1006;
inline constexpr int IDC_DELETE = 1007;
inline constexpr int IDC_ENTRY_LIST = 1009;
inline constexpr int IDC_SHOW_ALL = 1010;

// Controls of the About box.
inline constexpr int IDC_SITE_LINK = 1011;

}  // namespace velunar

#endif  // VELUNAR_UI_RESOURCE_IDS_H_
