// Dialog units: the measure window templates are drawn in.
//
// A horizontal dialog unit is a quarter of the dialog font's average
// character width, a vertical one an eighth of its character height, so a
// template keeps its proportions in any font. The average width is that of
// the 52 Latin letters, rounded as the desktop's dialog services round it.
#ifndef VELUNAR_UI_PLATFORM_QT_DIALOG_UNITS_H_
#define VELUNAR_UI_PLATFORM_QT_DIALOG_UNITS_H_

#include <QFont>
#include <QMargins>
#include <QRect>
#include <QSize>

namespace velunar {

// a * b / c, rounded half away from zero, without overflow in between.
// REQUIRES: c != 0.
int MulDiv(int a, int b, int c);

class CDialogUnits {
 public:
  // A scale of kFullScale leaves the units as the font gives them.
  static constexpr int kFullScale = 1024;

  // `nBaseX`: the font's average character width in pixels; `nBaseY`: its
  // character height in pixels; both taken at nScale / kFullScale.
  CDialogUnits(int nBaseX, int nBaseY, int nScale = kFullScale)
      : m_nBaseX(nBaseX), m_nBaseY(nBaseY), m_nScale(nScale) {}
  // The units of `font` on the screen's resolution.
  static CDialogUnits ForFont(const QFont& font);
  // These units at nScale / kFullScale of their size.
  CDialogUnits Scaled(int nScale) const {
    return CDialogUnits(m_nBaseX, m_nBaseY, MulDiv(m_nScale, nScale, kFullScale));
  }

  int BaseX() const { return m_nBaseX; }
  int BaseY() const { return m_nBaseY; }
  int Scale() const { return m_nScale; }
  int ToPixelsX(int x) const { return MulDiv(x, m_nBaseX * m_nScale, 4 * kFullScale); }
  int ToPixelsY(int y) const { return MulDiv(y, m_nBaseY * m_nScale, 8 * kFullScale); }
  // Each of x, y, width and height is converted on its own, as the controls
  // of a template are placed.
  QRect ToPixels(const QRect& rcDlgUnits) const;
  QSize ToPixels(const QSize& sizeDlgUnits) const;

 private:
  int m_nBaseX;
  int m_nBaseY;
  int m_nScale;
};

// The face that stands in for the one a template names: DejaVu Sans
// Condensed where it is installed (it measures as the template's face does),
// otherwise the desktop's general sans-serif face.
QString DialogFontFamily();

// The font a dialog is drawn in: DialogFontFamily at the template's size,
// weight and slant. The dialog units come from this same font.
QFont DialogFont(int nPoints, int nWeight, bool bItalic);

// A window that would not fit the screen is drawn smaller as a whole: its
// units and its font shrink by one scale, so the template keeps its
// proportions, order and alignments, and every text its room.
//
// The scale (of CDialogUnits::kFullScale) at which a window whose inside is
// `sizeDlgUnits` in `units`, with a frame that adds `frame`, fits
// `workArea`: kFullScale where it fits as it is, else the largest that fits,
// but never below kSmallestDialogScale.
int FittingScale(const CDialogUnits& units, const QSize& sizeDlgUnits, const QMargins& frame,
                 const QSize& workArea);
inline constexpr int kSmallestDialogScale = CDialogUnits::kFullScale / 4;
// `font` at nScale / kFullScale of its size, rounded down to a quarter
// point, so that no text grows beyond its scaled room.
QFont ScaledFont(const QFont& font, int nScale);

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_QT_DIALOG_UNITS_H_
