// The chart's state: equal scale, grid step, zoom rules, undo, resize and auto-follow.
#include "planview/chartview.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QStringList>

namespace tidrun {
namespace {

// A view whose plot area is exactly w x h pixels at the widget's top-left corner.
TChartView PlotView(int w, int h, TExtent axes) {
    TChartView v;
    v.SetPlotRect(QRect(0, 0, w, h));
    v.SetAxes(axes);
    return v;
}

TEST(ChartView, EqualScaleWidensTheShorterMetreAxis) {
    struct Case {
        int w, h;
        double aspect;
        TExtent in, out;
    } cases[] = {
        // twice as wide as high over a square extent: full vertical range, horizontal
        // range twice as wide, centred on its own range
        {200, 100, 1.0, {0, 100, 0, 100}, {0, 100, -50, 150}},
        // twice as high: the vertical axis widens instead
        {100, 200, 1.0, {0, 100, 0, 100}, {-50, 150, 0, 100}},
        // square window of pixels twice as wide as high: 200 mm across show 200 m
        {100, 100, 2.0, {0, 100, 0, 100}, {0, 100, -50, 150}},
    };
    for (const Case& c : cases) {
        TChartView v = PlotView(c.w, c.h, c.in);
        v.SetPixelAspect(c.aspect);
        v.RecalcAxis();
        const TExtent a = v.Axes();
        EXPECT_NEAR(a.XMin, c.out.XMin, 1e-9) << c.w << "x" << c.h;
        EXPECT_NEAR(a.XMax, c.out.XMax, 1e-9);
        EXPECT_NEAR(a.YMin, c.out.YMin, 1e-9);
        EXPECT_NEAR(a.YMax, c.out.YMax, 1e-9);
        EXPECT_EQ(v.Current(), a) << "RecalcAxis saves the current extent";
    }
    // Extents already at equal scale stay exactly as they are, so that a map window
    // restored from its saved state and closed again writes the same numbers.
    for (const QSize size : {QSize(1117, 683), QSize(1283, 811), QSize(640, 997)}) {
        TChartView v =
            PlotView(size.width(), size.height(), {-67712.34, -65790.17, 2499.9876543, 5600.12345});
        v.RecalcAxis();
        const TExtent once = v.Axes();
        v.RecalcAxis();
        EXPECT_EQ(v.Axes(), once) << size.width() << "x" << size.height();
    }
}

TEST(ChartView, GridStepFollowsMetresPerPixel) {
    struct Case {
        double u, step;
    } cases[] = {{0.3, 50},   {0.004, 1},  {0.025, 1}, {0.03, 5},  {0.051, 5},
                 {0.056, 10}, {0.26, 50},  {0.6, 100}, {2.6, 500}, {5.1, 1000},
                 {26, 5000},  {1e6, 5000}, {0, 1}};
    for (const Case& c : cases) EXPECT_EQ(GridStep(c.u), c.step) << c.u;
    // The view takes the step of the leading axis, with minor ticks only above 1 m.
    TChartView coarse = PlotView(1000, 1000, {0, 300, 0, 300});  // 0.3 m/pixel
    coarse.RecalcAxis();
    EXPECT_EQ(coarse.Increment(), 50);
    EXPECT_EQ(coarse.MinorCount(), 4);
    TChartView fine = PlotView(1000, 1000, {0, 4, 0, 4});  // 0.004 m/pixel
    fine.RecalcAxis();
    EXPECT_EQ(fine.Increment(), 1);
    EXPECT_EQ(fine.MinorCount(), 0);
}

// Labels are drawn only every so many grid lines, so that neighbouring labels, as the
// painter places them, keep a character's gap (a digit across, a line of text up), while
// the grid stays at its step and the labels no sparser than the 1-2-5 steps need.
TEST(ChartView, AxisLabelsKeepACharactersGapAtEveryZoom) {
    struct Case {
        const char* what;
        int w, h;
        double metresPerPixel, easting, northing;
    } cases[] = {
        {"0.0295 m/pixel near easting -123,000", 1600, 900, 0.0295, -123000, -67000},
        {"0.02 m/pixel: every metre, 50 pixels apart", 1600, 900, 0.02, 3500, -67000},
        {"0.3 m/pixel: the 50 m grid is labelled at every line", 800, 600, 0.3, 3500, -67000},
        {"200 m/pixel: the coarsest grid, 25 pixels apart", 800, 600, 200, -150000, 60000},
    };
    for (const Case& c : cases) {
        TChartView v = PlotView(
            c.w, c.h,
            {c.northing - c.h * c.metresPerPixel / 2, c.northing + c.h * c.metresPerPixel / 2,
             c.easting - c.w * c.metresPerPixel / 2, c.easting + c.w * c.metresPerPixel / 2});
        v.RecalcAxis();
        const QFontMetrics fm(v.LabelFont());
        const int digit = fm.horizontalAdvance(QLatin1Char('0'));
        for (const bool vertical : {false, true}) {
            const auto ticks = vertical ? v.VerticalTicks() : v.HorizontalTicks();
            std::vector<TAxisTick> major, labelled;
            for (const TAxisTick& t : ticks)
                if (t.Major) major.push_back(t);
            for (const TAxisTick& t : major)
                if (!t.Label.isEmpty()) labelled.push_back(t);
            const char* axis = vertical ? " (vertical)" : " (horizontal)";
            ASSERT_GE(labelled.size(), 3u) << c.what << axis;
            for (size_t i = 1; i < major.size(); ++i)  // the grid keeps its step
                EXPECT_DOUBLE_EQ(major[i].Value - major[i - 1].Value, v.Increment()) << c.what;
            for (const TAxisTick& t : labelled)
                EXPECT_EQ(t.Label, TChartView::AxisLabel(t.Value)) << c.what;
            int need = 0;  // the spacing two neighbours need
            for (size_t i = 1; i < labelled.size(); ++i) {
                const TAxisTick &a = labelled[i - 1], &b = labelled[i];
                if (vertical) {  // as the painter sets the text: baseline at y + ascent/2 - 1
                    const int topA = qRound(a.Pixel) + fm.ascent() / 2 - 1 - fm.ascent();
                    const int topB = qRound(b.Pixel) + fm.ascent() / 2 - 1 - fm.ascent();
                    EXPECT_GE(topA - (topB + fm.height()), fm.height()) << c.what << axis;
                    need = 2 * fm.height();
                } else {  // centred on its tick
                    const int wa = fm.horizontalAdvance(a.Label),
                              wb = fm.horizontalAdvance(b.Label);
                    const int rightA = qRound(a.Pixel) - wa / 2 + wa;
                    const int leftB = qRound(b.Pixel) - wb / 2;
                    EXPECT_GE(leftB - rightA, digit) << c.what << " " << a.Label.toStdString();
                    need = std::max(need, std::max(wa, wb) + digit);
                }
            }
            const double spacing = std::abs(labelled[1].Pixel - labelled[0].Pixel);
            const double step = labelled[1].Value - labelled[0].Value;
            EXPECT_TRUE(step == v.Increment() || spacing <= 2.5 * (need + 2))
                << c.what << axis << ": labels every " << step << " m, " << spacing << " px";
        }
    }
    // A plot too narrow for two labels, no multiple of ten grid steps in it, keeps one.
    TChartView narrow = PlotView(85, 300, {0, 60000, -246000, -229000});  // 200 m/pixel
    narrow.RecalcAxis();
    QStringList shown;
    for (const TAxisTick& t : narrow.HorizontalTicks())
        if (!t.Label.isEmpty()) shown << t.Label;
    EXPECT_EQ(shown, QStringList{QStringLiteral("-240,000")});
}

TEST(ChartView, ZoomRectangleRulesAndUndo) {
    TChartView v = PlotView(1000, 1000, {0, 100, 0, 100});  // 0.1 m per pixel
    v.SaveOriginAxisSize();
    v.RecalcAxis();
    const TExtent origin = v.Axes();
    // 0.9 m tall (9 pixels) is refused whatever the width; the axes stay.
    EXPECT_EQ(v.CalcZoomPoints(QPointF(100, 100), QPointF(900, 109)),
              TChartView::ZoomResult::Refused);
    EXPECT_EQ(v.Axes(), origin);
    EXPECT_FALSE(v.Zoomed());
    // The drag rule: 16 pixels or less in a direction does nothing, any direction but the
    // lower right undoes.
    EXPECT_EQ(v.FinishZoomDrag({100, 100}, {116, 400}), TChartView::ZoomResult::Ignored);
    EXPECT_EQ(v.FinishZoomDrag({100, 100}, {400, 116}), TChartView::ZoomResult::Ignored);
    EXPECT_EQ(v.FinishZoomDrag({100, 100}, {300, 300}), TChartView::ZoomResult::Zoomed);
    EXPECT_TRUE(v.Zoomed());
    EXPECT_NEAR(v.Axes().YMin, 10, 1e-9);
    EXPECT_NEAR(v.Axes().YMax, 30, 1e-9);
    EXPECT_NEAR(v.Axes().XMin, 70, 1e-9);
    EXPECT_NEAR(v.Axes().XMax, 90, 1e-9);
    // More zooms and pans, then undo returns exactly to the origin extent.
    v.ZoomPercent(120);
    v.RecalcAxis();
    v.ScrollHorizontal(37.25);
    v.ScrollVertical(-12.5);
    v.ZoomPercent(50);
    EXPECT_EQ(v.FinishZoomDrag({400, 400}, {100, 100}), TChartView::ZoomResult::Undone);
    EXPECT_EQ(v.Axes(), origin);
    EXPECT_FALSE(v.Zoomed());
    EXPECT_EQ(ZoomLimitWarning(), QStringLiteral("拡大の限度を超えています"));
}

TEST(ChartView, PercentZoomScalesBothSpans) {
    TChartView v = PlotView(100, 100, {0, 100, 1000, 1100});
    v.ZoomPercent(120);
    EXPECT_NEAR(v.Axes().XMin, 20, 1e-9);
    EXPECT_NEAR(v.Axes().XMax, 80, 1e-9);
    EXPECT_NEAR(v.Axes().YMax - v.Axes().YMin, 60, 1e-9);
    v.ZoomPercent(50);
    EXPECT_NEAR(v.Axes().XMax - v.Axes().XMin, 120, 1e-9);
    EXPECT_TRUE(v.Zoomed());
}

TEST(ChartView, ResizeKeepsZoomedAreaElseRecomputesFromOrigin) {
    for (const bool zoomed : {false, true}) {
        TChartView v;
        v.SetAxes({0, 1000, 0, 1000});
        v.SaveOriginAxisSize();
        v.Resize(QSize(800, 600));
        if (zoomed) {
            const QRect p = v.PlotRect();
            ASSERT_EQ(
                v.CalcZoomPoints(p.topLeft() + QPoint(100, 100), p.topLeft() + QPoint(300, 300)),
                TChartView::ZoomResult::Zoomed);
        }
        const TExtent before = v.Current();
        v.Resize(QSize(600, 800));
        const TExtent a = v.Axes();
        const TExtent want = zoomed ? before : TExtent{0, 1000, 0, 1000};
        // The wanted area stays in view, and the leading axis shows exactly it.
        EXPECT_LE(a.XMin, want.XMin + 1e-6);
        EXPECT_GE(a.XMax, want.XMax - 1e-6);
        EXPECT_LE(a.YMin, want.YMin + 1e-6);
        EXPECT_GE(a.YMax, want.YMax - 1e-6);
        const bool verticalExact = std::abs(a.XMin - want.XMin) < 1e-6;
        const bool horizontalExact = std::abs(a.YMin - want.YMin) < 1e-6;
        EXPECT_TRUE(verticalExact || horizontalExact) << zoomed;
        // Equal scale: metres per pixel agree across and up.
        const QRect p = v.PlotRect();
        EXPECT_NEAR((a.YMax - a.YMin) / p.width(), (a.XMax - a.XMin) / p.height(), 1e-9);
        EXPECT_EQ(v.Zoomed(), zoomed);
    }
}

TEST(ChartView, AutoFollowJumpsOnceWhenTheBoatLeavesTheMiddle) {
    TChartView v = PlotView(1000, 1000, {0, 1000, 0, 1000});
    struct Step {
        double x, y;
        bool moves;
        double yMin, xMin;
    } steps[] = {
        {500, 550, false, 0, 0},      // in the middle fifth
        {500, 600, false, 0, 0},      // on the 60 % line: still nothing
        {500, 601, true, 201, 0},     // past it: the boat now sits at 40 % of the width
        {500, 700, false, 201, 0},    // inside the new middle
        {300, 700, true, 201, -300},  // south below 40 %: three fifths of the span ahead
    };
    for (const Step& s : steps) {
        EXPECT_EQ(v.Follow(s.x, s.y), s.moves) << s.x << "," << s.y;
        EXPECT_NEAR(v.Axes().YMin, s.yMin, 1e-9);
        EXPECT_NEAR(v.Axes().XMin, s.xMin, 1e-9);
    }
    EXPECT_NEAR((601 - v.Axes().YMin) / 1000, 0.4, 1e-9);
    EXPECT_FALSE(v.Zoomed());
}

TEST(ChartView, TransformRoundTripsAndVerticalGrowsUp) {
    TChartView v = PlotView(200, 100, {1000, 1100, 2000, 2200});
    EXPECT_DOUBLE_EQ(v.HPixel(2000), 0);
    EXPECT_DOUBLE_EQ(v.HPixel(2200), 200);
    EXPECT_DOUBLE_EQ(v.VPixel(1100), 0);
    EXPECT_DOUBLE_EQ(v.VPixel(1000), 100);
    EXPECT_NEAR(v.HValue(v.HPixel(2123.4)), 2123.4, 1e-9);
    EXPECT_NEAR(v.VValue(v.VPixel(1033.3)), 1033.3, 1e-9);
}

}  // namespace
}  // namespace tidrun
