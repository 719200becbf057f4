#include "ui/platform/qt/centred_placement.h"

#include <gtest/gtest.h>

namespace velunar {
namespace {

TEST(DialogPlacement, CentresThenKeepsInsideTheWorkAreaPerAxis) {
  struct Row {
    const char* name;
    QSize frame;
    std::optional<QRect> owner;
    QRect workArea;
    QPoint want;
  };
  const QRect area(0, 0, 1024, 768);
  const QRect panelled(0, 30, 1280, 994);  // a panel of 30 px at the top
  const Row rows[] = {
      {"in the work area", QSize(1010, 700), std::nullopt, area, QPoint(7, 34)},
      {"odd difference truncates", QSize(101, 101), std::nullopt, QRect(0, 0, 200, 200),
       QPoint(49, 49)},
      {"below a top panel", QSize(400, 300), std::nullopt, panelled, QPoint(440, 377)},
      {"over the owner", QSize(280, 180), QRect(100, 50, 1010, 700), area, QPoint(465, 310)},
      {"owner near the left edge", QSize(300, 200), QRect(-200, 100, 200, 200), area,
       QPoint(0, 100)},
      {"owner near the bottom right", QSize(300, 200), QRect(900, 700, 200, 200), area,
       QPoint(724, 568)},
      {"wider and taller than the area", QSize(1100, 800), std::nullopt, area, QPoint(0, 0)},
      {"larger, owner far right", QSize(1100, 800), QRect(2000, 2000, 100, 100), area,
       QPoint(0, 0)},
      {"second screen", QSize(200, 100), std::nullopt, QRect(1024, 0, 800, 600), QPoint(1324, 250)},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(PlaceDialog(r.frame, r.owner, r.workArea), r.want);
  }
}

}  // namespace
}  // namespace velunar
