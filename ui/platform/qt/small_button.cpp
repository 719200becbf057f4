#include "ui/platform/qt/small_button.h"

#include <QPainter>

namespace velunar {

void CSmallButton::paintEvent(QPaintEvent* /*pEvent*/) {
  QPainter painter(this);
  const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
  QPalette::ColorRole face = QPalette::Button;
  if (isDown()) {
    face = QPalette::Mid;
  } else if (hasFocus()) {
    face = QPalette::Highlight;
  }
  painter.fillRect(rect(), palette().color(group, face));
  painter.setPen(palette().color(group, QPalette::ButtonText));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace velunar
