#include "ui/platform/qt/dialog_units.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace velunar {

int MulDiv(int a, int b, int c) {
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const std::int64_t half = (c < 0 ? -static_cast<std::int64_t>(c) : c) / 2;
  // Round half away from zero: move the product away from zero by half the
  // divisor, then let the division truncate toward zero.
  const bool bNegative = (product < 0) != (c < 0);
  const std::int64_t adjusted =
      bNegative ? product - (c < 0 ? -half : half) : product + (c < 0 ? -half : half);
  return static_cast<int>(adjusted / c);
}

CDialogUnits CDialogUnits::ForFont(const QFont& font) {
  const QFontMetrics fm(font);
  const int nWidth =
      fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  // The width of the 26 letter pairs, halved and rounded up, as the
  // desktop's dialog services compute it.
  return CDialogUnits((nWidth / 26 + 1) / 2, fm.height());
}

QRect CDialogUnits::ToPixels(const QRect& rcDlgUnits) const {
  return QRect(ToPixelsX(rcDlgUnits.x()), ToPixelsY(rcDlgUnits.y()), ToPixelsX(rcDlgUnits.width()),
               ToPixelsY(rcDlgUnits.height()));
}

QSize CDialogUnits::ToPixels(const QSize& sizeDlgUnits) const {
  return QSize(ToPixelsX(sizeDlgUnits.width()), ToPixelsY(sizeDlgUnits.height()));
}

QString DialogFontFamily() {
  // DejaVu Sans Condensed has the template font's metrics: at 8 points and
  // 96 DPI its base units are 6 x 13 px, so the windows come out at the
  // size they were drawn for (the main window fits a 1024 x 768 screen).
  // Without it, the desktop's sans stands in, with units of its own.
  const QString kStandIn = QStringLiteral("DejaVu Sans Condensed");
  if (QFontDatabase::hasFamily(kStandIn)) {
    const QFont font(kStandIn);
    // A family that only aliases another face would not measure the same.
    if (QFontInfo(font).family().compare(kStandIn, Qt::CaseInsensitive) == 0) return kStandIn;
  }
  return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

int FittingScale(const CDialogUnits& units, const QSize& sizeDlgUnits, const QMargins& frame,
                 const QSize& workArea) {
  const auto fits = [&](int nScale) {
    const QSize size = units.Scaled(nScale).ToPixels(sizeDlgUnits).grownBy(frame);
    return size.width() <= workArea.width() && size.height() <= workArea.height();
  };
  if (fits(CDialogUnits::kFullScale)) return CDialogUnits::kFullScale;
  // Sizes grow with the scale, each coordinate rounded on its own: from a
  // little above the proportional guess down to the first that fits.
  const QSize inside = units.ToPixels(sizeDlgUnits);
  if (inside.isEmpty()) return CDialogUnits::kFullScale;
  const double room = std::min(
      static_cast<double>(workArea.width() - frame.left() - frame.right()) / inside.width(),
      static_cast<double>(workArea.height() - frame.top() - frame.bottom()) / inside.height());
  int nScale = std::min(CDialogUnits::kFullScale - 1,
                        static_cast<int>(std::floor(room * CDialogUnits::kFullScale)) + 8);
  while (nScale > kSmallestDialogScale && !fits(nScale)) --nScale;
  return std::max(nScale, kSmallestDialogScale);
}

QFont ScaledFont(const QFont& font, int nScale) {
  if (nScale >= CDialogUnits::kFullScale || font.pointSizeF() <= 0) return font;
  QFont scaled = font;
  scaled.setPointSizeF(std::floor(font.pointSizeF() * nScale / CDialogUnits::kFullScale * 4) / 4);
  return scaled;
}

QFont DialogFont(int nPoints, int nWeight, bool bItalic) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setFamily(DialogFontFamily());
  font.setPointSize(nPoints);
  // Template weights run 1-1000 like Qt 6's; 400 is normal.
  font.setWeight(static_cast<QFont::Weight>(qBound(1, nWeight, 1000)));
  font.setItalic(bItalic);
  return font;
}

}  // namespace velunar
