// Places of the map windows inside the main window.
#include "console/windowlayout.h"

#include <gtest/gtest.h>

namespace tidrun {
namespace {

TEST(WindowLayout, SideBySideTilingSharesTheWidthAndKeepsTheHeight) {
    const QList<QRect> three = TileSideBySide(QSize(1000, 600), 3);
    ASSERT_EQ(three.size(), 3);
    EXPECT_EQ(three[0], QRect(0, 0, 333, 600));
    EXPECT_EQ(three[1], QRect(333, 0, 333, 600));
    EXPECT_EQ(three[2], QRect(666, 0, 334, 600));
    EXPECT_EQ(TileSideBySide(QSize(1000, 600), 1), QList<QRect>{QRect(0, 0, 1000, 600)});
    EXPECT_TRUE(TileSideBySide(QSize(1000, 600), 0).isEmpty());
}

TEST(WindowLayout, CascadeStepsDownFromTheTopLeftAndStaysInTheArea) {
    const QSize area(1000, 600);
    EXPECT_EQ(
        CascadeFromTopLeft(area, 3, 20),
        (QList<QRect>{QRect(0, 0, 960, 560), QRect(20, 20, 960, 560), QRect(40, 40, 960, 560)}));
    // Many windows: half the area each, starting again at the top left when the next one
    // would reach past the bottom.
    const QList<QRect> many = CascadeFromTopLeft(area, 30, 20);
    ASSERT_EQ(many.size(), 30);
    EXPECT_EQ(many[0], QRect(0, 0, 500, 300));
    EXPECT_EQ(many[15], QRect(300, 300, 500, 300));
    EXPECT_EQ(many[16], QRect(0, 0, 500, 300));
    for (const QRect& r : many) EXPECT_TRUE(QRect(QPoint(0, 0), area).contains(r)) << r.x();
    EXPECT_TRUE(CascadeFromTopLeft(area, 0, 20).isEmpty());
}

}  // namespace
}  // namespace tidrun
