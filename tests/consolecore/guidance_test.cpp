// Guidance math: packed angles, the entry fields, the buoy displays, the planned line's
// offset and arrows, its segment and the parallel move.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "console/guidance.h"
#include "console/recorder.h"

namespace tidrun {
namespace {

TEST(PackedAngle, ConvertsBothWaysAndReads) {
    struct Case {
        double typed;      // as in the angle field
        int packed;        // DDDMMSS
        double degrees;    // decimal
        const char* text;  // label
    };
    const Case cases[] = {
        {45.3, 453000, 45.5, "45ﾟ30'00\""},
        {-45.3, -453000, -45.5, "314ﾟ30'00\""},
        {-30.3, -303000, -30.5, "329ﾟ30'00\""},  // a buoy to port
        {-0.3, -3000, -0.5, "359ﾟ30'00\""},      // not 0ﾟ30', which reads as starboard
        {-360, -3600000, -360, "0ﾟ00'00\""},
        {10.153, 101530, 10 + 15 / 60.0 + 30 / 3600.0, "10ﾟ15'30\""},
        {359.5959, 3595959, 359 + 59 / 60.0 + 59 / 3600.0, "359ﾟ59'59\""},
        {360, 3600000, 360, "0ﾟ00'00\""},
        {0.0001, 1, 1 / 3600.0, "0ﾟ00'01\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const TFieldValue f = ParseRulerAngle(QString::number(c.typed, 'f', 4));
        EXPECT_EQ(f, (TFieldValue{c.packed, false}));
        EXPECT_NEAR(PackedToDegrees(c.packed), c.degrees, 1e-12);
        EXPECT_EQ(AngleText(c.packed), QString::fromUtf8(c.text));
    }
    // Back from decimal degrees (whole seconds only come through the 4-decimal fraction).
    for (const auto& [deg, packed] :
         {std::pair{45.5, 453000}, std::pair{-45.5, -453000}, std::pair{10.25, 101500},
          std::pair{359.75, 3594500}, std::pair{0.0, 0}})
        EXPECT_EQ(DegreesToPacked(deg), packed) << deg;
}

TEST(EntryFields, ClampOrFallBackAndTurnBad) {
    struct Case {
        TFieldValue (*parse)(const QString&);
        const char* text;
        TFieldValue want;
    };
    const Case cases[] = {
        {ParseDiameter, "25", {25, false}},        {ParseDiameter, "0", {1, true}},
        {ParseDiameter, "1000", {999, true}},      {ParseDiameter, "", {1, true}},
        {ParseRulerWidth, "0", {0, false}},        {ParseRulerWidth, "abc", {0, true}},
        {ParseRulerWidth, "1200", {999, true}},    {ParseRulerAngle, "360", {3600000, false}},
        {ParseRulerAngle, "-360.0001", {0, true}}, {ParseRulerAngle, "x", {0, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.parse(QString::fromUtf8(c.text)), c.want);
    }
}

TEST(Guidance, BuoyDisplaysAndCompassStep) {
    TGuidance g;
    // No buoy: nothing for the buoy displays, the planned line still counts.
    g.SetPivot({0, 0});
    TGuideView v = g.Update({0, 0}, {10, 3});
    EXPECT_FALSE(v.hasBuoy);
    EXPECT_DOUBLE_EQ(v.rulerOffset, 3);

    g.SetBuoy(TPoint2{100, -50});
    // A boat that did not move has heading 0: the compass shows the bearing itself.
    v = g.Update({0, 0}, {0, 0});
    ASSERT_TRUE(v.hasBuoy);
    EXPECT_DOUBLE_EQ(v.dX, 100);
    EXPECT_DOUBLE_EQ(v.dY, -50);
    EXPECT_DOUBLE_EQ(v.distance, std::hypot(100.0, 50.0));
    EXPECT_TRUE(v.compassChanged);
    EXPECT_DOUBLE_EQ(v.compassAngle, std::atan2(-50.0, 100.0));
    EXPECT_EQ(v.news, (TNewsView{true, false, 100, 50}));
    // Heading north-east now: relative angle = bearing - 45 deg.
    v = g.Update({0, 0}, {1, 1});
    EXPECT_TRUE(v.compassChanged);
    EXPECT_NEAR(v.compassAngle, std::atan2(-51.0, 99.0) - std::numbers::pi / 4, 1e-12);
    // Less than 5 degrees of change keeps the drawn compass.
    const double drawn = v.compassAngle;
    v = g.Update({1, 1}, {2, 2.05});
    EXPECT_FALSE(v.compassChanged);
    EXPECT_DOUBLE_EQ(v.compassAngle, drawn);
    EXPECT_EQ(NewsFor(-0.0, -2.5), (TNewsView{false, true, 2.5, 0}));
}

TEST(Guidance, PlannedLineArrowsAndCap) {
    struct Case {
        double angle;  // packed degrees typed
        TPoint2 p0, p1;
        bool left;
        const char* text;
    };
    const Case cases[] = {
        // theta 0: the line runs north through the pivot (0, 0); +Y is its right-hand side
        {0, {0, 5}, {1, 5}, true, "   5.0"},     // with the line, +Y side
        {0, {0, -5}, {1, -5}, false, "   5.0"},  // with the line, -Y side
        {0, {0, 5}, {-1, 5}, false, "   5.0"},   // against the line, +Y side
        {0, {0, -5}, {-1, -5}, true, "   5.0"},  // against the line, -Y side
        {90, {5, 0}, {5, 1}, false, "   5.0"},   // theta 90: the line runs east
        {0, {0, 12345.6}, {1, 12345.6}, true, "9999.9"},
        {0, {0, -10000}, {1, -10000}, false, "9999.9"},
        {0, {0, 9999.94}, {1, 9999.94}, true, "9999.9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.angle << " " << c.p1.X << "," << c.p1.Y);
        TGuidance g;
        g.SetAnglePacked(static_cast<int>(c.angle * 10000));
        const TGuideView v = g.Update(c.p0, c.p1);
        EXPECT_EQ(v.leftArrow, c.left);
        EXPECT_EQ(RulerDistanceText(v.rulerOffset), QString::fromUtf8(c.text));
    }
}

TEST(PlannedLine, SegmentsAndParallelMoves) {
    const TRulerRect box{-100, -100, 100, 100};
    struct Case {
        double theta, k;
        TRulerRect want;
    };
    const Case cases[] = {
        {0, 0, {-100, 0, 100, 0}},        {0, 10, {-100, 10, 100, 10}},
        {180, 10, {-100, -10, 100, -10}}, {90, 10, {-10, -100, -10, 100}},
        {270, 10, {10, -100, 10, 100}},   {45, 0, {-100, -100, 100, 100}},
        {135, 0, {-100, 100, 100, -100}}, {-45, 0, {-100, 100, 100, -100}},
        {0, 150, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.theta << " k " << c.k);
        TGuidance g;
        g.SetExtent(box);
        g.SetAnglePacked(DegreesToPacked(c.theta));
        const TRulerRect s = c.k == 0 ? g.Recompute() : g.Move(c.k);
        EXPECT_NEAR(s.X0, c.want.X0, 1e-9);
        EXPECT_NEAR(s.Y0, c.want.Y0, 1e-9);
        EXPECT_NEAR(s.X1, c.want.X1, 1e-9);
        EXPECT_NEAR(s.Y1, c.want.Y1, 1e-9);
    }
    // A step moves the line toward where the boat's offset counts positive, at any angle.
    for (double theta : {0.0, 30.0, 100.0, 180.0, 200.0, 270.0, 330.0}) {
        TGuidance g;
        g.SetExtent(box);
        g.SetAnglePacked(DegreesToPacked(theta));
        g.Move(10);
        g.SetPivot(g.Pivot());
        const TGuideView v = g.Update({0, 0}, {0, 0});
        EXPECT_NEAR(v.rulerOffset, -10, 1e-6) << theta;
    }
}

TEST(PlannedLine, MoveRecentresThePivotAndComesBackFromOutside) {
    TGuidance g;
    g.SetExtent({-100, -100, 100, 100});
    g.SetPivot({30, 0});
    g.Move(10);
    EXPECT_EQ(g.Segment(), (TRulerRect{-100, 10, 100, 10}));
    EXPECT_DOUBLE_EQ(g.Pivot().X, 0);  // the middle of the new segment
    EXPECT_DOUBLE_EQ(g.Pivot().Y, 10);
    // Out of the extent: no segment, but the pivot stays near the survey area...
    g.Move(150);
    EXPECT_EQ(g.Segment(), TRulerRect{});
    EXPECT_DOUBLE_EQ(g.Pivot().X, 0);
    EXPECT_DOUBLE_EQ(g.Pivot().Y, 160);
    // ...so moving back brings the line back where it was.
    g.Move(-150);
    EXPECT_EQ(g.Segment(), (TRulerRect{-100, 10, 100, 10}));
}

TEST(PlannedLine, ExtentAtOpenIsTheSurveyAreaGrownAndKeptOnceSet) {
    TGuidance g;
    g.InitExtent(1000, 2000, 3000, 5000);
    EXPECT_EQ(g.Extent(), (TRulerRect{-99000, -98000, 103000, 105000}));
    EXPECT_DOUBLE_EQ(g.Pivot().X, 2000);
    EXPECT_DOUBLE_EQ(g.Pivot().Y, 3500);
    EXPECT_EQ(g.Segment(), (TRulerRect{-99000, 3500, 103000, 3500}));
    g.InitExtent(0, 0, 1, 1);  // a saved extent stays
    EXPECT_EQ(g.Extent(), (TRulerRect{-99000, -98000, 103000, 105000}));
}

TEST(CutPanel, LineNameIsCutAtTenBytesOfTheFileEncoding) {
    const struct {
        const char* name;
        const char* shown;
    } cases[] = {
        {"ABCDEFGHIJKL", "ABCDEFGHIJ"},
        {"測線ABCDEFGH", "測線ABCDEF"},
        {"A測線測線測", "A測線測線"},   // the fifth character would take bytes 10 and 11
        {"ｱｲｳｴｵｶｷｸｹｺｻ", "ｱｲｳｴｵｶｷｸｹｺ"},  // half-width kana are one byte each
    };
    for (const auto& c : cases)
        EXPECT_EQ(LeadingBytesOf(QString::fromUtf8(c.name), 10), QString::fromUtf8(c.shown));
}

}  // namespace
}  // namespace tidrun
