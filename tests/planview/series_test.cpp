// The safe drawing bases: clipping in world values, gaps, passes that start late, the boat
// trail and the circle ruler, through a canvas that records what it is asked to draw.
#include "planview/series.h"

#include <gtest/gtest.h>

#include "planview/chartview.h"
#include "planview/cutstore.h"

#include <memory>

namespace tidrun {
namespace {

struct Recorder : TCanvas {
    std::vector<std::tuple<QPoint, QPoint, TColour>> lines;
    std::vector<std::pair<QPoint, int>> symbols;  // centre, half-size
    std::vector<QString> labels;
    int ellipses = 0;
    QRectF ellipse;
    void Line(QPoint a, QPoint b, TColour c) override { lines.emplace_back(a, b, c); }
    void Symbol(QPoint p, const TSymbol& s, TColour) override { symbols.emplace_back(p, s.HSize); }
    void Label(QPoint, const QString& t, const TMarks&, TLabelRule) override {
        labels.push_back(t);
    }
    void Ellipse(const QRectF& r, TColour) override {
        ++ellipses;
        ellipse = r;
    }
};

// 0..100 m both ways on 100 x 100 pixels: pixel x = h, pixel y = 100 - v.
TChartView View100() {
    TChartView v;
    v.SetPlotRect(QRect(0, 0, 100, 100));
    v.SetAxes({0, 100, 0, 100});
    return v;
}

// What each kind looks like: title, colours, base, symbol, labels and cursor.
TEST(Series, EveryKindHasItsTitleColoursSymbolAndLabels) {
    const TCutStore store;
    auto fastLine = [&store] {
        auto s = std::make_unique<TLineLineSeries>(7, store, nullptr);
        s->SetFast(true);
        return s;
    };
    using S = TSymbolStyle;
    using B = TSeriesBase;
    struct Case {
        std::unique_ptr<TChartSeries> series;
        const char* title;
        B base;
        TColour colour;
        TSymbol symbol;  // style, sizes and colours only where it is visible
        TMarks marks;
        bool hand;
    } cases[] = {
        {std::make_unique<TMoveObjectSeries>(nullptr),
         "移動体",
         B::Point,
         kClRed,
         {true, S::Circle, 5, 5, kClAqua, kClRed},
         {false, 8, kClBlack},
         true},
        {std::make_unique<TRegionLineSeries>(12),
         "区域12",
         B::FastLine,
         kClLime,
         {},
         {false, 0, kClBlack},
         true},
        {std::make_unique<TGuideLineSeries>(),
         "誘導線",
         B::Line,
         kClRed,
         {true, S::Cross, 4, 4, kClBlack, kClDefault},
         {false, 8, kClBlack},
         true},
        {std::make_unique<TLineLineSeries>(7, store, nullptr),
         "7",
         B::Line,
         kClYellow,
         {true, S::DiagCross, 3, 3, kClBlack, kClDefault},
         {true, 0, kClBlack},
         true},
        {fastLine(), "7", B::FastLine, kClWhite, {}, {false, 0, kClBlack}, false},
        {std::make_unique<TOriginSeries>(),
         "基準点",
         B::Point,
         kClAqua,
         {true, S::Circle, 4, 4, kClBlack, kClDefault},
         {false, 8, kClBlack},
         true},
        {std::make_unique<TRulerSeries>(),
         "計画線",
         B::Line,
         kClRed,
         {},
         {false, 8, kClBlack},
         true},
        {std::make_unique<TMeasureSeries>(),
         "円定規",
         B::Bubble,
         kClAqua,
         {true, S::Circle, 0, 0, kClAqua, kClNone},
         {false, 8, kClBlack},
         false},
        {std::make_unique<THotSpotSeries>(),
         "未測点",
         B::Point,
         kClFuchsia,
         {true, S::Triangle, 4, 4, kClBlack, kClDefault},
         {false, 8, kClBlack},
         true},
        {std::make_unique<TRemPointSeries>(),
         "異常点",
         B::Point,
         kClLime,
         {true, S::Square, 4, 4, kClBlack, kClDefault},
         {false, 8, kClBlack},
         true},
    };
    for (const Case& c : cases) {
        const TChartSeries& s = *c.series;
        const QString title = QString::fromUtf8(c.title);
        EXPECT_EQ(s.Title, title);
        EXPECT_EQ(s.Base(), c.base) << c.title;
        EXPECT_EQ(s.Colour, c.colour) << c.title;
        EXPECT_EQ(s.Symbol.Visible, c.symbol.Visible) << c.title;
        if (c.symbol.Visible) {
            EXPECT_EQ(s.Symbol.Style, c.symbol.Style) << c.title;
            EXPECT_EQ(s.Symbol.HSize, c.symbol.HSize) << c.title;
            EXPECT_EQ(s.Symbol.VSize, c.symbol.VSize) << c.title;
            EXPECT_EQ(s.Symbol.Pen, c.symbol.Pen) << c.title;
            EXPECT_EQ(s.Symbol.Fill, c.symbol.Fill) << c.title;
        }
        EXPECT_EQ(s.Marks.Visible, c.marks.Visible) << c.title;
        EXPECT_EQ(s.Marks.ArrowLength, c.marks.ArrowLength) << c.title;
        EXPECT_EQ(s.Marks.ArrowColour, c.marks.ArrowColour) << c.title;
        EXPECT_EQ(s.HandCursor, c.hand) << c.title;
    }
}

TEST(Series, ClippingKeepsFarPointsOutOfThePainter) {
    struct Case {
        const char* what;
        double h0, v0, h1, v1;
        std::vector<std::pair<QPoint, QPoint>> want;
    } cases[] = {
        {"from far west to inside", -1e9, 50, 50, 50, {{{0, 50}, {50, 50}}}},
        {"from far north-east to inside", 1e7 + 50, 1e7 + 50, 50, 50, {{{100, 0}, {50, 50}}}},
        {"through the window", -1e6, 20, 1e6, 20, {{{0, 80}, {100, 80}}}},
        {"entirely outside", 200, 200, 300, 300, {}},
        {"outside, passing the corner", -10, 220, 220, -10, {}},
        {"on the border", 0, 0, 100, 0, {{{0, 100}, {100, 100}}}},
    };
    const TChartView view = View100();
    for (const Case& c : cases) {
        TRegionLineSeries s(1);
        s.Add(c.h0, c.v0, {});
        s.Add(c.h1, c.v1, {});
        Recorder r;
        s.Draw(view, r);
        ASSERT_EQ(r.lines.size(), c.want.size()) << c.what;
        for (size_t i = 0; i < c.want.size(); ++i) {
            EXPECT_EQ(std::get<0>(r.lines[i]), c.want[i].first) << c.what;
            EXPECT_EQ(std::get<1>(r.lines[i]), c.want[i].second) << c.what;
            EXPECT_EQ(std::get<2>(r.lines[i]), kClLime);
        }
    }
}

TEST(Series, GapsSegmentColoursAndLatePasses) {
    const TChartView view = View100();
    TGuideLineSeries s;  // red, cross symbols
    s.Add(10, 10, "a");
    s.Add(20, 10, "b", kClYellow);
    s.Add(30, 10, "c", kClNone);
    s.Add(40, 10, "d");
    s.Add(50, 10, "e");
    s.Add(500, 10, "far");  // outside: the segment to it is clipped, no symbol

    Recorder all;
    s.Draw(view, all);
    // 0->1 in point 1's colour; nothing to or from the no-colour point; 3->4; 4->far clipped.
    ASSERT_EQ(all.lines.size(), 3u);
    EXPECT_EQ(all.lines[0], std::make_tuple(QPoint(10, 90), QPoint(20, 90), kClYellow));
    EXPECT_EQ(all.lines[1], std::make_tuple(QPoint(40, 90), QPoint(50, 90), kClRed));
    EXPECT_EQ(all.lines[2], std::make_tuple(QPoint(50, 90), QPoint(100, 90), kClRed));
    std::vector<int> xs;
    for (const auto& sym : all.symbols) xs.push_back(sym.first.x());
    EXPECT_EQ(xs, (std::vector<int>{10, 20, 40, 50}));

    // A pass starting at point 4 still draws the segment from point 3, without its symbol.
    Recorder late;
    s.Draw(view, late, 4);
    ASSERT_EQ(late.lines.size(), 2u);
    EXPECT_EQ(std::get<0>(late.lines[0]), QPoint(40, 90));
    EXPECT_EQ(late.symbols.size(), 1u);
    EXPECT_EQ(late.symbols[0].first, QPoint(50, 90));

    // A series of one point shows its symbol.
    TOriginSeries one;
    one.Add(5, 5, "K1");
    Recorder single;
    one.Draw(view, single);
    EXPECT_EQ(single.symbols.size(), 1u);
}

TEST(Series, BoatTrailSizesAndExpiry) {
    std::int64_t now = 100000;
    TMoveObjectSeries boat([&now] { return now; });
    for (int i = 0; i < 8; ++i) {
        boat.AddPosition(QStringLiteral("移動体"), 10 + i, 20);
        now += 1000;
    }
    EXPECT_EQ(boat.Count(), 8);
    EXPECT_EQ(boat.LastH(), 17);
    EXPECT_EQ(boat.LastV(), 20);
    Recorder r;
    boat.Draw(View100(), r);
    std::vector<int> sizes;
    for (const auto& s : r.symbols) sizes.push_back(s.second);
    EXPECT_EQ(sizes, (std::vector<int>{1, 1, 1, 1, 2, 3, 4, 5}));

    now += 7000;  // the oldest is 15 s old now: kept (only older points go)
    boat.RemoveOldPoints();
    EXPECT_EQ(boat.Count(), 8);
    now += 1;
    boat.RemoveOldPoints();
    EXPECT_EQ(boat.Count(), 7);
    now += 15000;
    boat.RemoveOldPoints();
    EXPECT_EQ(boat.Count(), 0);

    // Each new position trims the trail itself: one a second for a minute keeps 16.
    for (int i = 0; i < 60; ++i, now += 1000) boat.AddPosition(QStringLiteral("移動体"), i, 20);
    EXPECT_EQ(boat.Count(), 16);
    EXPECT_EQ(boat.H(0), 44);
}

// The circle ruler is round on the glass: the equal scale follows the screen's pixel
// aspect, taken from its physical size.
TEST(Series, CircleRulerIsRoundOnTheScreen) {
    struct Case {
        QSizeF mm;
        QSize pixels;
        double aspect;
    } cases[] = {
        {{400, 300}, {1600, 900}, 0.75},  // pixels 0.25 mm wide and 0.333 mm high
        {{300, 300}, {1000, 2000}, 2.0},
        {{520, 290}, {1920, 1080}, (520.0 / 1920) / (290.0 / 1080)},
        {{0, 0}, {1024, 768}, 1.0},  // no physical size reported: square pixels
    };
    for (const Case& c : cases) {
        const double k = PixelAspect(c.mm, c.pixels);
        EXPECT_NEAR(k, c.aspect, 1e-12) << c.mm.width() << "x" << c.mm.height();
        TChartView view;
        view.SetPlotRect(QRect(0, 0, 400, 300));
        view.SetAxes({0, 100, 0, 100});
        view.SetPixelAspect(k);
        view.RecalcAxis();
        TMeasureSeries m;
        m.SetCentre(50, 50);
        m.SetRadius(20);
        Recorder r;
        m.Draw(view, r);
        ASSERT_EQ(r.ellipses, 1);
        const double hPitch = c.mm.isEmpty() ? 1 : c.mm.width() / c.pixels.width();
        const double vPitch = c.mm.isEmpty() ? 1 : c.mm.height() / c.pixels.height();
        EXPECT_NEAR(r.ellipse.width() * hPitch / (r.ellipse.height() * vPitch), 1.0, 1e-9)
            << c.mm.width() << "x" << c.mm.height();
    }
}

TEST(Series, CircleRulerOnlyWhenSmallerThanTheView) {
    TChartView view;
    view.SetPlotRect(QRect(0, 0, 250, 200));
    view.SetAxes({0, 200, 0, 250});
    for (const auto& [diameter, drawn] : {std::pair{600.0, 0}, {500.0, 0}, {498.0, 1}, {2.0, 1}}) {
        TMeasureSeries m;
        m.SetCentre(100, 100);
        m.SetRadius(diameter / 2);
        Recorder r;
        m.Draw(view, r);
        EXPECT_EQ(r.ellipses, drawn) << diameter;
    }
}

}  // namespace
}  // namespace tidrun

namespace tidrun {
namespace {

// The same points as a series that is walked whole, point by point.
struct WholeWalk : TChartSeries {
    explicit WholeWalk(const TPointListSeries& s)
        : TChartSeries(TSeriesKind::RegionLine, s.Base()), s_(s) {
        Symbol = s.Symbol;
        Marks = s.Marks;
        Colour = s.Colour;
    }
    int Count() const override { return s_.Count(); }
    double H(int i) const override { return s_.H(i); }
    double V(int i) const override { return s_.V(i); }
    QString Label(int i) const override { return s_.Label(i); }
    TColour PointColour(int i) const override { return s_.PointColour(i); }
    void SetPointColour(int, TColour) override {}
    const TPointListSeries& s_;
};

// A long outline drawn chunk by chunk asks the canvas for exactly what a walk of every
// point asks for, in the same order: wherever the window lies, also where a long segment
// crosses it with both ends outside, with gaps, symbols and labels.
TEST(Series, ALongListLeavesOutOnlyWhatLiesOutsideTheWindow) {
    TRegionLineSeries line(1);
    // A spiral of 5,000 points from the middle outwards, one long jump across the view,
    // a gap (no colour) and a point that is no number.
    for (int i = 0; i < 5000; ++i) {
        const double a = i * 0.01, r = 2 + i * 0.02;
        const TColour c = (i >= 3000 && i < 3010) ? kClNone : kClDefault;
        line.Add(50 + r * std::cos(a), 50 + r * std::sin(a), QString::number(i), c);
    }
    line.SetPoint(4000, -500, 50);
    line.SetPoint(4001, 600, 50);
    line.SetPoint(4500, std::nan(""), 10);
    struct Case {
        const char* what;
        TExtent axes;
        bool symbols, labels;
    } cases[] = {
        {"the whole spiral", {-100, 200, -100, 200}, true, false},
        {"its middle", {45, 55, 45, 55}, true, true},
        {"a corner far out", {140, 150, 140, 150}, false, true},
        {"a strip the long jump crosses", {0, 100, 49.9, 50.1}, true, false},
        {"nothing at all", {1000, 1010, 1000, 1010}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        line.Symbol.Visible = c.symbols;
        line.Marks.Visible = c.labels;
        TChartView view = View100();
        view.SetAxes(c.axes);
        Recorder chunked, whole;
        line.Draw(view, chunked);
        WholeWalk(line).Draw(view, whole);
        EXPECT_EQ(chunked.lines, whole.lines);
        EXPECT_EQ(chunked.symbols, whole.symbols);
        EXPECT_EQ(chunked.labels, whole.labels);
        // Drawing from a later point on leaves out the same.
        Recorder late, lateWhole;
        line.Draw(view, late, 1234, 4321);
        WholeWalk(line).Draw(view, lateWhole, 1234, 4321);
        EXPECT_EQ(late.lines, lateWhole.lines);
        EXPECT_EQ(late.symbols, lateWhole.symbols);
    }
    // A chunk lying far outside whose first segment starts inside the window: that segment
    // is drawn.
    TRegionLineSeries away(2);
    for (int i = 0; i < 1100; ++i)
        away.Add(i < TPointListSeries::kChunk ? 10 + i * 0.1 : 1000 + i, i < 256 ? 10 : 1000,
                 QString());
    Recorder chunked, whole;
    away.Draw(View100(), chunked);
    WholeWalk(away).Draw(View100(), whole);
    EXPECT_EQ(chunked.lines, whole.lines);
    ASSERT_FALSE(whole.lines.empty());  // the last one leaves through the window's edge
    EXPECT_GE(std::get<1>(whole.lines.back()).x(), 99);
}

}  // namespace
}  // namespace tidrun
