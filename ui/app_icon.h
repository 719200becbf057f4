// The program's icon from the compiled-in resources.
#ifndef VELUNAR_UI_APP_ICON_H_
#define VELUNAR_UI_APP_ICON_H_

#include <QIcon>

namespace velunar {

// The icon at 16, 32 and 48 pixels, drawn for those sizes; Qt scales the
// nearest one for any other size. Null when the resources lack it.
QIcon LoadAppIcon();

}  // namespace velunar

#endif  // VELUNAR_UI_APP_ICON_H_
