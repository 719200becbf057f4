// The ids of the dialog layer's test templates (dialogs/), and the table
// that names them, as a program hands its own to the layer.
#ifndef VELUNAR_TESTS_UI_PLATFORM_QT_TEST_DIALOG_IDS_H_
#define VELUNAR_TESTS_UI_PLATFORM_QT_TEST_DIALOG_IDS_H_

#include "ui/platform/qt/dialog_template.h"

namespace velunar::testing {

inline constexpr int IDD_TEST_DIALOG = 200;  // every kind, style and key rule
inline constexpr int IDD_TEST_BOX = 201;     // a small box for the modal run
inline constexpr int IDC_TEST_EDIT = 300;
inline constexpr int IDC_TEST_LIST = 301;
inline constexpr int IDC_TEST_BARE_LIST = 302;
inline constexpr int IDC_TEST_PLAIN_EDIT = 303;
inline constexpr int IDC_TEST_FIND = 304;
inline constexpr int IDC_TEST_TINY = 305;
inline constexpr int IDC_TEST_OFF = 306;
inline constexpr int IDC_TEST_HIDDEN = 307;
inline constexpr int IDC_TEST_NO_TAB = 308;
inline constexpr int IDC_TEST_WRAP = 309;
// Named in the table, but no template has this name.
inline constexpr int IDD_TEST_MISSING = 210;

inline constexpr CResourceName kTestNames[] = {
    {"IDD_TEST_DIALOG", IDD_TEST_DIALOG},
    {"IDD_TEST_BOX", IDD_TEST_BOX},
    {"IDD_TEST_MISSING", IDD_TEST_MISSING},
    {"IDC_TEST_EDIT", IDC_TEST_EDIT},
    {"IDC_TEST_LIST", IDC_TEST_LIST},
    {"IDC_TEST_BARE_LIST", IDC_TEST_BARE_LIST},
    {"IDC_TEST_PLAIN_EDIT", IDC_TEST_PLAIN_EDIT},
    {"IDC_TEST_FIND", IDC_TEST_FIND},
    {"IDC_TEST_TINY", IDC_TEST_TINY},
    {"IDC_TEST_OFF", IDC_TEST_OFF},
    {"IDC_TEST_HIDDEN", IDC_TEST_HIDDEN},
    {"IDC_TEST_NO_TAB", IDC_TEST_NO_TAB},
    {"IDC_TEST_WRAP", IDC_TEST_WRAP},
};

}  // namespace velunar::testing

#endif  // VELUNAR_TESTS_UI_PLATFORM_QT_TEST_DIALOG_IDS_H_
