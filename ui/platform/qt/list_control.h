// The list box control on Qt (list_control.h of the seam) for a list view
// that is not a dialog's control: for code that places a CListBoxView
// itself.
#ifndef VELUNAR_UI_PLATFORM_QT_LIST_CONTROL_H_
#define VELUNAR_UI_PLATFORM_QT_LIST_CONTROL_H_

#include <memory>

#include "ui/platform/list_control.h"

class QWidget;

namespace velunar {

// The control that binds `list` to `pControl`; nothing when `pControl` is no
// CListBoxView or is bound already. Hand it to CListBox::Attach.
std::unique_ptr<IListControl> MakeListControl(QWidget* pControl, CListBox& list);

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_QT_LIST_CONTROL_H_
