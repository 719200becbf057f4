#include "ui/platform/dialog_placement.h"

#include <QGuiApplication>
#include <QScreen>

#include "ui/platform/dialog.h"
#include "ui/platform/win_app.h"

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

void CDialog::PlaceWindow() {
  QWidget* pOwner = parentWidget();
  const bool bOverOwner = pOwner != nullptr && pOwner->isVisible() && !pOwner->isMinimized();
  QScreen* pScreen = nullptr;
  if (pOwner != nullptr) {
    pScreen = pOwner->screen();
  } else if (QWidget* pMain = AfxGetMainWnd(); pMain != nullptr && pMain != this) {
    pScreen = pMain->screen();
  }
  if (pScreen == nullptr) pScreen = QGuiApplication::primaryScreen();
  if (pScreen == nullptr) return;
  // Before the first showing the frame is not known yet; the window itself
  // stands in for it, and the window is placed again once the frame shows
  // (see event()).
  m_placedFrameSize = frameGeometry().size();
  m_placedPos = PlaceDialog(
      m_placedFrameSize, bOverOwner ? std::optional<QRect>(pOwner->frameGeometry()) : std::nullopt,
      pScreen->availableGeometry());
  move(m_placedPos);
}

void CDialog::PlaceAgainForFrame() {
  // The frame comes with the native window, or later from the window
  // manager, after the window was placed. While the window still stands
  // where it was put (its frame there, or its inside there when the frame
  // was added around it), it is placed again with the real frame; once
  // moved by anyone else it stays where it is.
  if (!m_placedFrameSize.isValid() || !isVisible()) return;
  const QRect frame = frameGeometry();
  const bool bUnmoved = frame.topLeft() == m_placedPos || geometry().topLeft() == m_placedPos;
  if (frame.size() != m_placedFrameSize && bUnmoved) PlaceWindow();
}

}  // namespace velunar
