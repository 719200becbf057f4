// Where a dialog opens: the rule, apart from any window.
//
// A dialog is centred over its owner when it has one that is visible and
// not minimised, otherwise in the work area (the screen less panels and
// docks). The centred position is then kept inside the work area, each axis
// on its own: a window that would start before the area's left (top) edge
// is moved to that edge; otherwise one that would end beyond the right
// (bottom) edge is moved back to end on it. A window larger than the work
// area therefore starts at the area's top-left corner.
#ifndef VELUNAR_UI_PLATFORM_QT_CENTRED_PLACEMENT_H_
#define VELUNAR_UI_PLATFORM_QT_CENTRED_PLACEMENT_H_

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace velunar {

// The top-left corner for a window frame of `frameSize`. `ownerFrame` is the
// owner's frame when the dialog is centred over it, nothing when it is
// centred in `workArea`.
QPoint PlaceDialog(const QSize& frameSize, const std::optional<QRect>& ownerFrame,
                   const QRect& workArea);

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_QT_CENTRED_PLACEMENT_H_
