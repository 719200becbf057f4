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
