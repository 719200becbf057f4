#include "ui/platform/qt/multi_line_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace velunar {

void CMultiLineButton::paintEvent(QPaintEvent* /*pEvent*/) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  const QString caption = option.text;
  // The style draws the face, frame and focus; the caption is drawn here,
  // since the style's own label never wraps.
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButton, option);

  QRect face = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
  if (isDown()) {
    face.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                   style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
  }
  int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
  if (!style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this)) {
    flags |= Qt::TextHideMnemonic;
  }
  painter.drawItemText(face, flags, option.palette, isEnabled(), caption, QPalette::ButtonText);
}

}  // namespace velunar
