// Where a dialog opens on Windows: the rule, apart from any window, and the
// work area it keeps to (dialog_fitting.h says how large the dialog is made).
//
// A dialog is centred over its owner when it has one that is visible and
// not minimised, otherwise in the work area of the main window's monitor
// (the screen less the task bar). The centred position is then kept inside
// the work area, each axis on its own: a window that would start before the
// area's left (top) edge is moved to that edge; otherwise one that would
// end beyond the right (bottom) edge is moved back to end on it. A window
// larger than the work area therefore starts at its top-left corner.
#ifndef VELUNAR_UI_PLATFORM_WIN32_DIALOG_PLACEMENT_H_
#define VELUNAR_UI_PLATFORM_WIN32_DIALOG_PLACEMENT_H_

#include "ui/platform/win32/windows_api.h"

namespace velunar::win32 {

// The top-left corner of a window of `size`, centred over `pCentreOver`
// (nullptr: over `workArea`) and kept inside `workArea`.
POINT CentredPosition(SIZE size, const RECT* pCentreOver, const RECT& workArea);

// The work area of the monitor of `hwnd`, or of the primary monitor when
// `hwnd` is nullptr; false when Windows gives none.
bool WorkAreaOf(HWND hwnd, RECT& area);

}  // namespace velunar::win32

#endif  // VELUNAR_UI_PLATFORM_WIN32_DIALOG_PLACEMENT_H_
