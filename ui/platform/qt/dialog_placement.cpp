// Where the window opens: centred (centred_placement.h) over its owner or in
// the work area of its screen, and placed again once the window manager has
// put its frame around it.
#include <QGuiApplication>
#include <QScreen>

#include "ui/platform/qt/centred_placement.h"
#include "ui/platform/qt/dialog_window.h"
#include "ui/platform/win_app.h"

namespace velunar {

void CDialogWindow::PlaceWindow() {
  QWidget* pOwner = parentWidget();
  const bool bOverOwner = pOwner != nullptr && pOwner->isVisible() && !pOwner->isMinimized();
  QScreen* pScreen = nullptr;
  if (pOwner != nullptr) {
    pScreen = pOwner->screen();
  } else if (QWidget* pMain = QtWindowOf(AfxGetMainWnd()); pMain != nullptr && pMain != this) {
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

void CDialogWindow::PlaceAgainForFrame() {
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
