#include "ui/platform/qt/centred_placement.h"

namespace velunar {
namespace {

// One axis: centre `length` over [centreStart, centreStart + centreLength),
// then keep it inside [areaStart, areaStart + areaLength). The division
// truncates toward zero. The end is pulled back before the start is pushed
// forward, so that for a window longer than the area the start wins even
// when the owner lies far from the area; for a window that fits, the order
// makes no difference.
int PlaceAxis(int length, int centreStart, int centreLength, int areaStart, int areaLength) {
  int start = centreStart + (centreLength - length) / 2;
  if (start + length > areaStart + areaLength) start = areaStart + areaLength - length;
  if (start < areaStart) start = areaStart;
  return start;
}

}  // namespace

QPoint PlaceDialog(const QSize& frameSize, const std::optional<QRect>& ownerFrame,
                   const QRect& workArea) {
  const QRect centre = ownerFrame.value_or(workArea);
  return QPoint(
      PlaceAxis(frameSize.width(), centre.x(), centre.width(), workArea.x(), workArea.width()),
      PlaceAxis(frameSize.height(), centre.y(), centre.height(), workArea.y(), workArea.height()));
}

}  // namespace velunar
