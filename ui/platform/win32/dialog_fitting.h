// A dialog larger than the work area of its screen (a laptop's small screen
// at 125 %, say) is drawn smaller as a whole, so that every control stays
// within reach: its template is given a smaller font, and the dialog
// manager, which sizes everything in units of the font, makes the whole
// window smaller with it. The template's own size when it fits; otherwise
// the largest point size that fits, never below half the template's. A
// dialog that does not fit even then keeps the placement rule's last
// resort: its top-left corner at the work area's.
#ifndef VELUNAR_UI_PLATFORM_WIN32_DIALOG_FITTING_H_
#define VELUNAR_UI_PLATFORM_WIN32_DIALOG_FITTING_H_

#include <cstddef>
#include <functional>
#include <optional>
#include <span>

#include "ui/platform/win32/windows_api.h"

namespace velunar::win32 {

// Where the font's point size stands in an extended dialog template
// (DLGTEMPLATEEX) that names a font (DS_SETFONT), in bytes from its start;
// nullopt for any other template, or one cut short.
std::optional<std::size_t> PointSizeOffset(std::span<const std::byte> dialogTemplate);

// The point size, from `designed` down, at which the window fits `area`;
// `sizeAt` gives the window's size at a point size.
int FittingPointSize(int designed, SIZE area, const std::function<SIZE(int)>& sizeAt);

}  // namespace velunar::win32

#endif  // VELUNAR_UI_PLATFORM_WIN32_DIALOG_FITTING_H_
