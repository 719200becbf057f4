// The window's size and where it opens: the template's size, made smaller
// where it would not fit the work area (dialog_units.h), centred
// (centred_placement.h) over its owner or in the work area of its screen;
// both again once the window manager has put its frame around it.
#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

#include "ui/platform/qt/centred_placement.h"
#include "ui/platform/qt/dialog_window.h"
#include "ui/platform/win_app.h"

namespace velunar {
namespace {

// What the window manager's frame adds around `window`'s inside.
QMargins FrameOf(const QWidget& window) {
  const QRect frame = window.frameGeometry();
  const QRect inside = window.geometry();
  return QMargins(inside.left() - frame.left(), inside.top() - frame.top(),
                  frame.right() - inside.right(), frame.bottom() - inside.bottom());
}

}  // namespace

QScreen* CDialogWindow::PlacementScreen() const {
  QScreen* pScreen = nullptr;
  if (QWidget* pOwner = parentWidget()) {
    pScreen = pOwner->screen();
  } else if (QWidget* pMain = QtWindowOf(AfxGetMainWnd()); pMain != nullptr && pMain != this) {
    pScreen = pMain->screen();
  }
  return pScreen != nullptr ? pScreen : QGuiApplication::primaryScreen();
}

QMargins CDialogWindow::ExpectedFrame() const {
  // Another window of the program that is up has the frame this one will
  // get; before the first, a title bar of about two lines of the desktop's
  // font and thin edges. A wrong guess is mended once the frame is known.
  for (QWidget* pWindow : QApplication::topLevelWidgets()) {
    if (pWindow == this || !pWindow->isVisible() || qobject_cast<CDialogWindow*>(pWindow) == nullptr) {
      continue;
    }
    return FrameOf(*pWindow);
  }
  const int nLine = QFontMetrics(QApplication::font()).height();
  return QMargins(4, 2 * nLine, 4, 4);
}

void CDialogWindow::FitToWorkArea(const QMargins& frame) {
  const CDialogTemplate& t = m_template;
  QScreen* pScreen = PlacementScreen();
  const QFont font = DialogFont(t.nFontPoints, t.nFontWeight, t.bFontItalic);
  const CDialogUnits units = CDialogUnits::ForFont(font);
  const int nScale =
      pScreen != nullptr
          ? FittingScale(units, t.sizeDlgUnits, frame, pScreen->availableGeometry().size())
          : CDialogUnits::kFullScale;
  if (m_units.BaseX() == units.BaseX() && m_units.BaseY() == units.BaseY() &&
      m_units.Scale() == nScale) {
    return;
  }
  setFont(ScaledFont(font, nScale));
  m_units = units.Scaled(nScale);
  setFixedSize(m_units.ToPixels(t.sizeDlgUnits));
  // The controls, once made, move and resize with the units; an icon keeps
  // its own size.
  for (std::size_t i = 0; i < m_inTemplateOrder.size() && i < t.items.size(); ++i) {
    const QRect rect = m_units.ToPixels(t.items[i].rcDlgUnits);
    QWidget* pControl = m_inTemplateOrder[i];
    if (t.items[i].eKind == EControlKind::staticIcon) {
      pControl->move(rect.topLeft());
    } else {
      pControl->setGeometry(rect);
    }
  }
}

void CDialogWindow::PlaceWindow() {
  QWidget* pOwner = parentWidget();
  const bool bOverOwner = pOwner != nullptr && pOwner->isVisible() && !pOwner->isMinimized();
  QScreen* pScreen = PlacementScreen();
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
  if (frame.size() != m_placedFrameSize && bUnmoved) {
    FitToWorkArea(FrameOf(*this));
    PlaceWindow();
  }
}

}  // namespace velunar
