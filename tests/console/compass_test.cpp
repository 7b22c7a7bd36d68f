// The compass of the buoy guidance as the crew sees it: the arrow points the way to the
// buoy point, turned from straight up by its bearing relative to the boat's heading.
#include "console/gui/compass.h"

#include <gtest/gtest.h>

#include <cmath>

#include "console/guidance.h"

namespace tidrun {
namespace {

TEST(Compass, ArrowPointsToTheBuoyFromTheBoatsHeading) {
    struct Case {
        const char* what;
        TPoint2 from, to, buoy;  // the boat's last move and the buoy point (X north, Y east)
        double tipX, tipY;       // where the arrow points in the image, x right, y down
    } cases[] = {
        {"heading north, buoy ahead", {0, 0}, {10, 0}, {100, 0}, 0, -1},
        {"heading north, buoy to starboard", {0, 0}, {10, 0}, {10, 100}, 1, 0},
        {"heading north, buoy to port", {0, 0}, {10, 0}, {10, -100}, -1, 0},
        {"heading north, buoy astern", {0, 0}, {10, 0}, {-100, 0}, 0, 1},
        {"heading east, buoy due south: to starboard", {0, 0}, {0, 10}, {-100, 10}, 1, 0},
        {"heading north, buoy to the north-west",
         {0, 0},
         {10, 0},
         {110, -100},
         -M_SQRT1_2,
         -M_SQRT1_2},
    };
    const QColor face(0xF0, 0xF0, 0xF0);
    const QRgb yellow = qRgb(0xFF, 0xFF, 0x00), blue = qRgb(0x00, 0x00, 0xFF);
    for (const Case& c : cases) {
        TGuidance g;
        g.SetBuoy(c.buoy);
        const QImage img = CompassImage(g.Update(c.from, c.to).compassAngle, face);
        ASSERT_EQ(img.size(), QSize(100, 100));
        EXPECT_EQ(img.pixel(0, 0), face.rgb()) << c.what;
        EXPECT_EQ(img.pixel(99, 99), face.rgb()) << c.what;
        // 25 pixels from the centre towards the tip lies on the arrow; the same point
        // mirrored across the vertical lies on the blue disc where the arrow points aside.
        const int x = 50 + static_cast<int>(std::lround(25 * c.tipX));
        const int y = 50 + static_cast<int>(std::lround(25 * c.tipY));
        EXPECT_EQ(img.pixel(x, y), yellow) << c.what;
        if (c.tipX != 0) {
            const int mx = 50 - static_cast<int>(std::lround(25 * c.tipX));
            EXPECT_NE(img.pixel(mx, y), yellow) << c.what << ": mirrored";
        }
        // Beside the tip, inside the disc, is the blue of the disc.
        EXPECT_EQ(img.pixel(50 + static_cast<int>(std::lround(40 * c.tipY)),
                            50 - static_cast<int>(std::lround(40 * c.tipX))),
                  blue)
            << c.what;
    }
}

}  // namespace
}  // namespace tidrun
