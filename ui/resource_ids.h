// Ids of the program's resources: its window templates and their controls,
// each written once here. The templates in res/dialogs/ name them by these
// identifiers, and kResourceNames is the table that turns one into the
// other; IDOK and IDCANCEL are the dialog layer's own.
#ifndef VELUNAR_UI_RESOURCE_IDS_H_
#define VELUNAR_UI_RESOURCE_IDS_H_

#include "ui/platform/resource_name.h"

namespace velunar {

// X(identifier, number) for every template and control.
#define VELUNAR_RESOURCE_IDS(X)      \
  /* Window templates. */            \
  X(IDD_ABOUTBOX, 100)               \
  X(IDD_VELUNAR_DIALOG, 102)         \
  /* Controls of the main window. */ \
  X(IDC_ENTRY_EDIT, 1000)            \
  X(IDC_SAVE, 1003)                  \
  X(IDC_FIND, 1004)                  \
  X(IDC_CHANGE, 1006)                \
  X(IDC_DELETE, 1007)                \
  X(IDC_ENTRY_LIST, 1009)            \
  X(IDC_SHOW_ALL, 1010)              \
  /* Controls of the About box. */   \
  X(IDC_SITE_LINK, 1011)

#define VELUNAR_RESOURCE_ID_CONSTANT(name, number) inline constexpr int name = number;
VELUNAR_RESOURCE_IDS(VELUNAR_RESOURCE_ID_CONSTANT)
#undef VELUNAR_RESOURCE_ID_CONSTANT

#define VELUNAR_RESOURCE_ID_NAME(name, number) {#name, number},
inline constexpr CResourceName kResourceNames[] = {VELUNAR_RESOURCE_IDS(VELUNAR_RESOURCE_ID_NAME)};
#undef VELUNAR_RESOURCE_ID_NAME

// The About item of the system menu. Its low four bits are zero, as every
// system-command value of the program's own must be.
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;

}  // namespace velunar

#endif  // VELUNAR_UI_RESOURCE_IDS_H_
