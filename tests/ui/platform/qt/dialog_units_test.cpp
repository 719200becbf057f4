#include "ui/platform/qt/dialog_units.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>

namespace velunar {
namespace {

TEST(DialogUnits, MulDivRoundsHalfAwayFromZero) {
  struct Row {
    int a, b, c, want;
  };
  const Row rows[] = {
      {7, 6, 4, 11},    // 10.5 -> 11
      {5, 6, 4, 8},     // 7.5 -> 8
      {1, 1, 4, 0},     // 0.25 -> 0
      {3, 1, 2, 2},     // 1.5 -> 2
      {-7, 6, 4, -11},  // -10.5 -> -11
      {7, -6, 4, -11},   {7, 6, -4, -11},
      {-7, -6, 4, 11},   {673, 6, 4, 1010},               // 1009.5
      {423, 13, 8, 687},                                  // 687.375
      {0, 9, 4, 0},      {2000000000, 3, 4, 1500000000},  // the product does not fit an int
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.a << "*" << r.b << "/" << r.c);
    EXPECT_EQ(MulDiv(r.a, r.b, r.c), r.want);
  }
}

TEST(DialogUnits, ConvertsEachCoordinateOnItsOwn) {
  const CDialogUnits units(6, 13);
  // x: quarters of 6 px; y: eighths of 13 px.
  EXPECT_EQ(units.ToPixels(QRect(7, 382, 659, 12)), QRect(11, 621, 989, 20));
  EXPECT_EQ(units.ToPixels(QRect(457, 410, 6, 7)), QRect(686, 666, 9, 11));
  EXPECT_EQ(units.ToPixels(QSize(673, 423)), QSize(1010, 687));
  EXPECT_EQ(units.ToPixels(QSize(0, 0)), QSize(0, 0));
}

TEST(DialogUnits, AWindowTooLargeForTheWorkAreaShrinksAsAWholeJustEnough) {
  const CDialogUnits units(6, 13);
  const QSize inside(673, 423);           // 1010 x 687 px at full scale
  const QMargins frame(1, 22, 1, 1);      // a title bar and thin edges
  struct Row {
    QSize area;
    bool bFull;
  };
  const Row rows[] = {
      {{1024, 768}, true},  {{1012, 710}, true},   // fits as it is, if only just
      {{1011, 710}, false}, {{1012, 709}, false},  // a pixel short either way
      {{800, 600}, false},  {{1093, 614}, false},  // 800x600; 1366x768 at 125 %
      {{100, 60}, false},                          // below the smallest scale
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.area.width() * 10000 + r.area.height());
    const int nScale = FittingScale(units, inside, frame, r.area);
    const auto outside = [&](int n) { return units.Scaled(n).ToPixels(inside).grownBy(frame); };
    const auto fits = [&](int n) {
      return outside(n).width() <= r.area.width() && outside(n).height() <= r.area.height();
    };
    EXPECT_EQ(nScale == CDialogUnits::kFullScale, r.bFull);
    if (nScale == kSmallestDialogScale) {
      EXPECT_FALSE(fits(nScale));
      continue;
    }
    EXPECT_TRUE(fits(nScale));
    // The largest that fits: one step more would not.
    if (!r.bFull) {
      EXPECT_FALSE(fits(nScale + 1));
    }
    // Uniform: the proportions stay within a pixel's rounding.
    const QSize size = units.Scaled(nScale).ToPixels(inside);
    EXPECT_NEAR(static_cast<double>(size.width()) / size.height(), 1010.0 / 687.0, 0.005);
  }
  // The font shrinks by the same scale, to a quarter point below.
  QFont font("DejaVu Sans");
  font.setPointSizeF(8);
  EXPECT_EQ(ScaledFont(font, CDialogUnits::kFullScale).pointSizeF(), 8.0);
  EXPECT_EQ(ScaledFont(font, CDialogUnits::kFullScale * 3 / 4).pointSizeF(), 6.0);
  EXPECT_EQ(ScaledFont(font, 800).pointSizeF(), 6.25);
}

TEST(DialogUnits, FontGivesAverageLetterWidthAndLineHeight) {
  QFont font("DejaVu Sans");
  font.setPixelSize(11);
  const CDialogUnits units = CDialogUnits::ForFont(font);
  const QFontMetrics fm(font);
  // The letters are between a narrow 'i' and a wide 'W' on average, and
  // the vertical base is the line height.
  EXPECT_GT(units.BaseX(), fm.horizontalAdvance(u'i'));
  EXPECT_LT(units.BaseX(), fm.horizontalAdvance(u'W'));
  EXPECT_EQ(units.BaseY(), fm.height());

  QFont bigger = font;
  bigger.setPixelSize(22);
  const CDialogUnits big = CDialogUnits::ForFont(bigger);
  EXPECT_GT(big.BaseX(), units.BaseX());
  EXPECT_GT(big.BaseY(), units.BaseY());
}

TEST(DialogUnits, DialogFontIsTheGeneralFontAtTheTemplateSize) {
  const QFont font = DialogFont(8, 400, false);
  EXPECT_EQ(font.pointSize(), 8);
  EXPECT_EQ(font.weight(), QFont::Normal);
  EXPECT_FALSE(font.italic());
  const QFont bold = DialogFont(10, 700, true);
  EXPECT_EQ(bold.pointSize(), 10);
  EXPECT_EQ(bold.weight(), QFont::Bold);
  EXPECT_TRUE(bold.italic());
}

}  // namespace
}  // namespace velunar
