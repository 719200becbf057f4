// Dialog units: the measure window templates are drawn in.
//
// A horizontal dialog unit is a quarter of the dialog font's average
// character width, a vertical one an eighth of its character height, so a
// template keeps its proportions in any font. The average width is that of
// the 52 Latin letters, rounded as the desktop's dialog services round it.
#ifndef VELUNAR_UI_PLATFORM_QT_DIALOG_UNITS_H_
#define VELUNAR_UI_PLATFORM_QT_DIALOG_UNITS_H_

#include <QFont>
#include <QRect>
#include <QSize>

namespace velunar {

// a * b / c, rounded half away from zero, without overflow in between.
// REQUIRES: c != 0.
int MulDiv(int a, int b, int c);

class CDialogUnits {
 public:
  // `nBaseX`: the font's average character width in pixels; `nBaseY`: its
  // character height in pixels.
  CDialogUnits(int nBaseX, int nBaseY) : m_nBaseX(nBaseX), m_nBaseY(nBaseY) {}
  // The units of `font` on the screen's resolution.
  static CDialogUnits ForFont(const QFont& font);

  int BaseX() const { return m_nBaseX; }
  int BaseY() const { return m_nBaseY; }
  int ToPixelsX(int x) const { return MulDiv(x, m_nBaseX, 4); }
  int ToPixelsY(int y) const { return MulDiv(y, m_nBaseY, 8); }
  // Each of x, y, width and height is converted on its own, as the controls
  // of a template are placed.
  QRect ToPixels(const QRect& rcDlgUnits) const;
  QSize ToPixels(const QSize& sizeDlgUnits) const;

 private:
  int m_nBaseX;
  int m_nBaseY;
};

// The face that stands in for the one a template names: DejaVu Sans
// Condensed where it is installed (it measures as the template's face does),
// otherwise the desktop's general sans-serif face.
QString DialogFontFamily();

// The font a dialog is drawn in: DialogFontFamily at the template's size,
// weight and slant. The dialog units come from this same font.
QFont DialogFont(int nPoints, int nWeight, bool bItalic);

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_QT_DIALOG_UNITS_H_
