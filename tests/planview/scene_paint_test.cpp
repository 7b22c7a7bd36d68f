// The plan scene built from real collections, and PaintPlan: the fast path against the
// exact painter, and a boat move repainted over the cached layers.
#include "planview/planscene.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <array>
#include <functional>
#include <random>
#include <set>

#include "planview/chartview.h"
#include "planview/cutstore.h"
#include "planview/labelspace.h"
#include "planview/paintplan.h"
#include "planview/planraster.h"
#include "platform/messagesink.h"
#include "surveydata/pointcoll.h"
#include "surveydata/sokusencoll.h"
#include "tests/planview/planjob.h"

namespace tidrun {
namespace {

std::vector<const TChartSeries*> Order(const TPlanScene& scene) {
    std::vector<const TChartSeries*> out;
    for (const auto& s : scene.Series()) out.push_back(s.get());
    return out;
}

TEST(PlanScene, RegionsAxesAndOrder) {
    Job job;
    const int regions[] = {1, 1, 2, 2, 2};
    for (int i = 0; i < 5; ++i)
        job.tansa.Add(1234.5 + i * 10, -50 + i * 20, regions[i], 0, QStringLiteral("T%1").arg(i));
    job.kijun.Add(1300, 0, 1.5, QStringLiteral("K1"));
    job.misoku.Add(1300, 10, QStringLiteral("M"), 0x0000FF);  // red as the Windows value
    TPlanScene scene([] { return 0; });
    TChartView view;
    view.Resize(QSize(400, 300));
    scene.Build(job.Sources(), false, view);

    std::vector<const TRegionLineSeries*> found;
    for (const auto& s : scene.Series())
        if (s->Kind() == TSeriesKind::RegionLine)
            found.push_back(static_cast<const TRegionLineSeries*>(s.get()));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0]->Title, QStringLiteral("区域1"));
    EXPECT_EQ(found[1]->Title, QStringLiteral("区域2"));
    ASSERT_EQ(found[0]->Count(), 3);
    ASSERT_EQ(found[1]->Count(), 4);
    EXPECT_EQ(found[1]->H(3), found[1]->H(0));  // closed by a copy of its first point
    EXPECT_EQ(found[1]->V(3), found[1]->V(0));
    EXPECT_EQ(found[1]->Label(3), QStringLiteral("T2"));

    // X 1234.5..1274.5 -> 1100..1374.5; Y -50..30 -> -200..130 (before the equal scale).
    EXPECT_DOUBLE_EQ(view.Origin().XMin, 1100);
    EXPECT_DOUBLE_EQ(view.Origin().XMax, 1374.5);
    EXPECT_DOUBLE_EQ(view.Origin().YMin, -200);
    EXPECT_DOUBLE_EQ(view.Origin().YMax, 130);
    for (const auto& [m, want] : {std::pair{1234.5, 1100.0},
                                  {-50.0, -200.0},
                                  {0.0, -100.0},
                                  {-100.0, -300.0},
                                  {99.9, -100.0}})
        EXPECT_DOUBLE_EQ(AxisMinimum(m), want) << m;

    EXPECT_EQ(scene.Marks()->DrawColour(0), kClRed);
    scene.CreateBoat();
    const auto order = Order(scene);
    EXPECT_EQ(order.front(), scene.CircleRuler());
    EXPECT_EQ(order.back(), scene.Boat());
    EXPECT_LT(scene.IndexOf(scene.Reference()), scene.IndexOf(scene.Buoys()));
    EXPECT_LT(scene.IndexOf(scene.Marks()), scene.IndexOf(scene.PlannedLine()));
}

TEST(PlanScene, ReplayedLinesInsideAndOutsideARecording) {
    for (const bool recording : {false, true}) {
        Job job;
        job.AddCut("A", 10, 10, 1);
        job.AddCut("A", 11, 10, 2);
        job.AddCut("B", 20, 10, 1);
        TPlanScene scene([] { return 0; });
        TChartView view;
        view.Resize(QSize(400, 300));
        scene.Build(job.Sources(), recording, view);
        scene.CreateBoat();
        std::vector<const TLineLineSeries*> lines;
        for (const auto& s : scene.Series())
            if (s->Kind() == TSeriesKind::LineLine)
                lines.push_back(static_cast<const TLineLineSeries*>(s.get()));
        ASSERT_EQ(lines.size(), 2u) << recording;
        EXPECT_EQ(lines[0]->Title, QStringLiteral("0"));
        EXPECT_EQ(lines[0]->Count(), 2);
        EXPECT_EQ(lines[0]->Label(1), QStringLiteral("2"));
        EXPECT_EQ(lines[1]->Title, QStringLiteral("2"));
        EXPECT_EQ(lines[0]->Colour, kClWhite);
        EXPECT_FALSE(lines[0]->Marks.Visible);
        // Finished lines stack just above the circle ruler.
        EXPECT_EQ(scene.IndexOf(lines[0]), 1);
        if (recording) {
            EXPECT_EQ(scene.OpenLine(), lines[1]);
            EXPECT_EQ(lines[1]->Colour, kClYellow);
            EXPECT_TRUE(lines[1]->Marks.Visible);
            EXPECT_EQ(scene.FinishedPosition(), 1);
            // The recording goes on: B grows, C starts and B is finished under the rest.
            job.AddCut("B", 21, 10, 2);
            scene.AddCut(3);
            EXPECT_EQ(lines[1]->Count(), 2);
            job.AddCut("C", 30, 10, 1);
            scene.AddCut(4);
            EXPECT_EQ(scene.IndexOf(lines[1]), 2);
            EXPECT_EQ(scene.FinishedPosition(), 2);
            EXPECT_EQ(scene.OpenLine()->FirstRecord(), 4);
            EXPECT_EQ(Order(scene).back(), scene.Boat());
            // Rapid display converts the finished lines, not the open one.
            scene.SetRapid(true);
            EXPECT_TRUE(lines[0]->Fast());
            EXPECT_TRUE(lines[1]->Fast());
            EXPECT_FALSE(scene.OpenLine()->Fast());
            scene.SetRapid(false);
            EXPECT_FALSE(lines[1]->Fast());
            EXPECT_TRUE(lines[1]->Symbol.Visible);
        } else {
            EXPECT_EQ(scene.OpenLine(), nullptr);
            EXPECT_EQ(lines[1]->Colour, kClWhite);
            EXPECT_EQ(scene.IndexOf(lines[1]), 2);
        }
    }
}

// A job of a few thousand cuts in crossing lines, some of them far outside the area.
void FillJob(Job& job) {
    std::mt19937 rnd(7);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int r = 0; r < 2; ++r)
        for (int i = 0; i < 40; ++i) {
            const double a = i * 2 * M_PI / 40;
            job.tansa.Add(5000 + 300 * std::cos(a) + r * 200, 2000 + 400 * std::sin(a), r + 1, 0,
                          QStringLiteral("A%1").arg(i));
        }
    for (int i = 0; i < 60; ++i) {
        job.kijun.Add(5000 + 250 * u(rnd), 2000 + 350 * u(rnd), 0, QStringLiteral("K%1").arg(i));
        job.ijo.Add(5000 + 250 * u(rnd), 2000 + 350 * u(rnd), QStringLiteral("B%1").arg(i), {});
        job.misoku.Add(5000 + 250 * u(rnd), 2000 + 350 * u(rnd), QStringLiteral("M%1").arg(i),
                       i * 0x030507);
    }
    int record = 0;
    for (int line = 0; line < 30; ++line) {
        double x = 5000 + 300 * u(rnd), y = 2000 + 400 * u(rnd);
        const double heading = u(rnd) * M_PI;
        const double step = line == 3 ? 2000 : 0.7;  // one line leaps far out and back
        for (int c = 0; c < 400; ++c, ++record) {
            x += std::cos(heading) * step + 0.3 * u(rnd);
            y += std::sin(heading) * step + 0.3 * u(rnd);
            job.AddCut(QStringLiteral("L%1").arg(line), x, y, c + 1);
        }
    }
}

int CountColour(const QImage& img, QRgb c) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) == c;
    return n;
}

// The filled job's scene with a boat in a 640 x 480 view; the trail's clock is now.
// recording: the last line stays open (yellow, labelled).
struct FilledScene {
    Job job;
    std::int64_t now = 0;
    TPlanScene scene{[this] { return now; }};
    TChartView view;
    explicit FilledScene(bool recording) {
        FillJob(job);
        view.Resize(QSize(640, 480));
        scene.Build(job.Sources(), recording, view);
        scene.CreateBoat();
    }
};

// A target of the view's size on a screen of the given density.
QImage Screen(const TChartView& view, qreal ratio) {
    QImage img((QSizeF(view.WidgetSize()) * ratio).toSize(), QImage::Format_RGB32);
    img.setDevicePixelRatio(ratio);
    return img;
}

// Both painters agree on a normal screen and on one of twice the density, where the
// cached picture is kept at the device's resolution: the frame stays one device pixel.
TEST(PaintPlan, FastPathMatchesTheExactPainterWithinOnePixel) {
    for (const qreal ratio : {1.0, 2.0}) {
        FilledScene filled(true);
        TPlanScene& scene = filled.scene;
        TChartView& view = filled.view;
        for (int i = 0; i < 6; ++i) scene.Boat()->AddPosition({}, 2000 + 10 * i, 5000);
        const auto paint = [&](const TPlanScene& sc, TPlanPaintOptions::Mode mode,
                               TPlanLayerCache* cache = nullptr) {
            return Paint(view, sc, mode, cache, Screen(view, ratio));
        };
        scene.Buoys()->SetPointColour(3, kClRed);
        struct Case {
            const char* what;
            bool rapid, zoom;
        } cases[] = {{"normal, whole", false, false},
                     {"rapid, whole", true, false},
                     {"normal, zoomed (clipping)", false, true},
                     {"normal, zoomed again (steps of several pixels, symbols apart)", false, true},
                     {"rapid, zoomed in as before (the steps alone)", true, false}};
        for (const Case& c : cases) {
            scene.SetRapid(c.rapid);
            if (c.zoom) {
                const QRect p = view.PlotRect();
                ASSERT_EQ(
                    view.CalcZoomPoints(p.center() - QPoint(90, 60), p.center() + QPoint(90, 60)),
                    TChartView::ZoomResult::Zoomed);
            }
            const QImage exact = paint(scene, TPlanPaintOptions::Mode::Exact);
            TPlanLayerCache shown;
            const QImage fast = paint(scene, TPlanPaintOptions::Mode::Fast, &shown);
            const QImage direct = paint(scene, TPlanPaintOptions::Mode::Fast);
            const QImage bare = paint(TPlanScene({}), TPlanPaintOptions::Mode::Exact);
            // The bare chart (wall, dotted grid, axes, frame) is the same pixel for pixel, drawn
            // into the image directly or into the cached layer.
            TPlanLayerCache cache;
            EXPECT_EQ(paint(TPlanScene({}), TPlanPaintOptions::Mode::Fast), bare) << c.what;
            EXPECT_EQ(paint(TPlanScene({}), TPlanPaintOptions::Mode::Fast, &cache), bare) << c.what;
            for (const QImage* f : {&fast, &direct}) {
                EXPECT_EQ(FarPixels(*f, exact, bare), 0) << c.what << " at " << ratio;
                EXPECT_EQ(FarPixels(exact, *f, bare), 0) << c.what << " at " << ratio;
            }
            EXPECT_GT(CountColour(exact, qRgb(255, 255, 255)), 500) << c.what;
            EXPECT_GT(CountColour(exact, qRgb(0, 255, 0)), 100) << c.what;
            // The frame's top edge, crossed down the middle of the plot: one device pixel.
            const QRect plot = view.PlotRect();
            const int x = qRound(plot.center().x() * ratio) + 1;
            int ink = 0;
            for (int y = qRound((plot.top() - 3) * ratio); y < qRound((plot.top() + 1) * ratio);
                 ++y)
                ink += fast.pixel(x, y) == qRgb(0, 0, 0);
            EXPECT_EQ(ink, 1) << c.what << " at " << ratio;
        }
    }
}

// Labels of one paint never overlap: each yields to those drawn before it, but a recorded
// line's newest cut keeps its number. Both ways of painting draw the same labels.
TEST(PaintPlan, LabelsYieldToEarlierOnesButTheNewestCutShows) {
    struct Case {
        const char* what;
        bool recording;
        QSize size;
        std::function<void(Job&)> fill;
        std::function<void(TPlanScene&)> show;  // the labels switched on
    } cases[] = {
        {"77 cuts a metre apart, the newest under a mark's name, another mark amid them", true,
         QSize(800, 600),
         [](Job& job) {
             job.tansa.Add(4800, 1800, 1, 0, QStringLiteral("A"));
             job.tansa.Add(5200, 2300, 1, 0, QStringLiteral("B"));
             for (int i = 0; i < 77; ++i) job.AddCut(QStringLiteral("L"), 5000, 2000 + i, i + 1);
             job.misoku.Add(5000, 2076, QStringLiteral("M1"), 0x0000FF);
             job.misoku.Add(5000, 2040, QStringLiteral("M2"), 0x0000FF);  // cuts yield to it
         },
         [](TPlanScene& scene) { scene.Marks()->Marks.Visible = true; }},
        {"finished lines with their cut numbers shown", false, QSize(640, 480),
         [](Job& job) { FillJob(job); },
         [](TPlanScene& scene) {
             for (const auto& s : scene.Series())
                 if (s->Kind() == TSeriesKind::LineLine) {
                     s->Colour = kClYellow;
                     s->Marks.Visible = true;
                 }
         }},
        {"reference, buoy and mark names at 800 x 600", false, QSize(800, 600),
         [](Job& job) { FillJob(job); },
         [](TPlanScene& scene) {
             scene.Reference()->Marks.Visible = true;
             scene.Buoys()->Marks.Visible = true;
             scene.Marks()->Marks.Visible = true;
         }},
    };
    constexpr QRgb kLabelFill = qRgb(0xFF, 0xFF, 0xE1);
    for (const Case& c : cases) {
        Job job;
        c.fill(job);
        TPlanScene scene([] { return 0; });
        TChartView view;
        view.Resize(c.size);
        scene.Build(job.Sources(), c.recording, view);
        scene.CreateBoat();
        c.show(scene);
        scene.Touch();

        // The labels as one exact pass places them.
        TLabelSpace space(view.WidgetSize());
        {
            QImage scratch(view.WidgetSize(), QImage::Format_RGB32);
            QPainter p(&scratch);
            p.setFont(view.LabelFont());
            TPainterCanvas canvas(p, &space);
            for (const auto& s : scene.Series()) s->Draw(view, canvas);
        }
        const std::vector<QRect>& boxes = space.Taken();
        // Just above each labelled line's newest cut: inside its label.
        std::vector<QPoint> newest;
        int labelled = 0;
        for (const auto& s : scene.Series()) {
            if (!s->Marks.Visible || !s->Active) continue;
            labelled += s->Count();
            const int last = s->Count() - 1;
            const TExtent a = view.Axes();
            if (s->Kind() == TSeriesKind::LineLine && last >= 0 && s->H(last) >= a.YMin &&
                s->H(last) <= a.YMax && s->V(last) >= a.XMin && s->V(last) <= a.XMax)
                newest.push_back(view.ToPixelRounded(s->H(last), s->V(last)) -
                                 QPoint(0, s->Marks.ArrowLength + 1));
        }
        auto isNewest = [&](const QRect& b) {
            return std::any_of(newest.begin(), newest.end(),
                               [&](QPoint p) { return b.contains(p); });
        };
        EXPECT_GE(boxes.size(), 5u) << c.what;
        EXPECT_LT(boxes.size(), static_cast<size_t>(labelled)) << c.what << ": some yield";
        for (const QPoint p : newest)
            EXPECT_TRUE(std::any_of(boxes.begin(), boxes.end(),
                                    [&](const QRect& b) { return b.contains(p); }))
                << c.what << ": the newest cut's number at " << p.x() << "," << p.y();
        for (size_t i = 0; i < boxes.size(); ++i)
            for (size_t j = i + 1; j < boxes.size(); ++j)
                if (!isNewest(boxes[i]) && !isNewest(boxes[j])) {
                    EXPECT_FALSE(boxes[i].intersects(boxes[j])) << c.what << ": " << i << ", " << j;
                }

        // Both painters draw these labels and no others.
        TPlanLayerCache cache;
        int exactFill = -1;
        for (const QImage& img : {Paint(view, scene, TPlanPaintOptions::Mode::Exact),
                                  Paint(view, scene, TPlanPaintOptions::Mode::Fast),
                                  Paint(view, scene, TPlanPaintOptions::Mode::Fast, &cache)}) {
            int fill = 0, stray = 0;
            for (int y = 0; y < img.height(); ++y) {
                const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
                for (int x = 0; x < img.width(); ++x) {
                    if ((row[x] | 0xFF000000u) != kLabelFill) continue;
                    ++fill;
                    stray += std::none_of(boxes.begin(), boxes.end(),
                                          [&](const QRect& b) { return b.contains(x, y); });
                }
            }
            if (exactFill < 0) exactFill = fill;
            EXPECT_GT(fill, 100) << c.what;
            EXPECT_EQ(fill, exactFill) << c.what;
            EXPECT_EQ(stray, 0) << c.what;
        }
    }
}

// The north arrow in both ways of painting: its shaft, its head turned to the left of it
// and the bar across, yellow, at the plot's top-left corner.
TEST(PaintPlan, NorthArrowWithItsHeadAndBar) {
    TChartView view;
    view.Resize(QSize(400, 300));
    struct Spot {
        const char* what;
        int dx, dy;  // from the plot's top-left corner
        bool yellow;
    } spots[] = {
        {"shaft", 50, 70, true},
        {"shaft's top", 50, 22, true},
        {"head, outer stroke", 45, 40, true},
        {"head, inner stroke", 56, 68, true},
        {"bar, west end", 32, 95, true},
        {"bar, east end", 68, 95, true},
        {"head mirrored", 55, 40, false},
        {"below the shaft", 50, 126, false},
    };
    for (const auto mode : {TPlanPaintOptions::Mode::Exact, TPlanPaintOptions::Mode::Fast}) {
        const QImage img = Paint(view, TPlanScene({}), mode);
        const QPoint corner = view.PlotRect().topLeft();
        for (const Spot& s : spots)
            EXPECT_EQ(img.pixel(corner + QPoint(s.dx, s.dy)) == qRgb(0xFF, 0xFF, 0x00), s.yellow)
                << s.what;
    }
}

// Every series stays inside the plot in both ways of painting, also the last segments of a
// pass: here the planned line corner to corner, with no boat position drawn after it.
TEST(PaintPlan, NothingReachesPastThePlot) {
    FilledScene filled(false);
    const TExtent a = filled.view.Axes();
    const double d = 100, k = (a.XMax - a.XMin) / (a.YMax - a.YMin);
    TRulerSeries* ruler = filled.scene.PlannedLine();
    ruler->SetPoint(0, a.YMin - d, a.XMin - d * k);
    ruler->SetPoint(1, a.YMax + d, a.XMax + d * k);
    ruler->Active = true;
    const QImage bare = Paint(filled.view, TPlanScene({}), TPlanPaintOptions::Mode::Exact);
    const QRect plot = filled.view.PlotRect();
    for (const auto mode : {TPlanPaintOptions::Mode::Exact, TPlanPaintOptions::Mode::Fast}) {
        const QImage img = Paint(filled.view, filled.scene, mode);
        int past = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                past += !plot.contains(x, y) && img.pixel(x, y) != bare.pixel(x, y);
        EXPECT_EQ(past, 0) << (mode == TPlanPaintOptions::Mode::Exact ? "exact" : "fast");
        EXPECT_GT(CountColour(img, qRgb(255, 0, 0)), plot.width() / 2);  // the line is there
    }
}

// A survey area with absurd coordinates (a damaged file) still gives a view that can be
// drawn, in both ways of painting, with nothing written outside the image.
TEST(PaintPlan, AbsurdCoordinatesStillPaint) {
    for (const double far : {1e200, 1.7e308}) {
        Job job;
        job.tansa.Add(far, far, 1, 0, QStringLiteral("A"));
        job.tansa.Add(-far, -far, 1, 0, QStringLiteral("B"));
        job.ijo.Add(-67000, 3000, QStringLiteral("B1"), QStringLiteral("n1"));
        job.AddCut(QStringLiteral("L"), -67000, 3000, 1);
        job.AddCut(QStringLiteral("L"), -67010, 3010, 2);
        TPlanScene scene([] { return 0; });
        TChartView view;
        view.Resize(QSize(640, 480));
        scene.Build(job.Sources(), false, view);
        EXPECT_TRUE(std::isfinite(view.HScale()) && view.HScale() > 0) << far;
        EXPECT_TRUE(std::isfinite(view.VScale()) && view.VScale() < 0) << far;
        for (const auto mode : {TPlanPaintOptions::Mode::Exact, TPlanPaintOptions::Mode::Fast})
            EXPECT_FALSE(Paint(view, scene, mode).isNull()) << far;
    }
}

// The raster canvas sets exactly the pixels QPainter sets for a one-pixel line between two
// pixel points of the image, clipped to a rectangle: short and long, shallow and steep,
// either way round, on the diagonals, partly outside the clip.
TEST(RasterCanvas, LinesSetThePixelsQPainterSets) {
    const QRect image(0, 0, 200, 150), clip(20, 15, 160, 120);
    std::mt19937 rnd(11);
    for (const int reach : {1, 3, 16, 90}) {
        std::uniform_int_distribution<int> d(-reach, reach), x(0, 199), y(0, 149);
        struct Segment {
            QPoint a, b;
            TColour colour;
        };
        std::vector<Segment> segments;
        for (int i = 0; i < 300; ++i) {
            const QPoint a(x(rnd), y(rnd));
            QPoint b = a + QPoint(d(rnd), d(rnd));
            if (i % 10 == 0) b = a + QPoint(reach, i % 20 ? reach : -reach);  // diagonals
            if (!image.contains(b)) continue;
            segments.push_back({a, b, 0x010101u * static_cast<TColour>(1 + i % 250)});
        }
        QImage exact(image.size(), QImage::Format_RGB32), fast = exact;
        exact.fill(Qt::black);
        fast.fill(Qt::black);
        {
            QPainter p(&exact);
            p.setClipRect(clip);
            TPainterCanvas painted(p);
            for (const Segment& s : segments) painted.Line(s.a, s.b, s.colour);
        }
        TRasterCanvas raster(fast, clip, QFont());
        for (const Segment& s : segments) raster.Line(s.a, s.b, s.colour);
        raster.Flush();
        EXPECT_GT(segments.size(), 100u);
        EXPECT_EQ(fast, exact) << "segments up to " << reach << " pixels";
    }
}

TEST(PaintPlan, BoatMoveRepaintsOnlyItsRectangleOverTheCache) {
    FilledScene filled(false);
    TPlanScene& scene = filled.scene;
    TChartView& view = filled.view;
    scene.Boat()->AddPosition({}, 2000, 5000);
    TPlanLayerCache cache;
    QImage screen = Paint(view, scene, TPlanPaintOptions::Mode::Fast, &cache);
    EXPECT_GT(cache.MemoryBytes(), 0u);
    const QRect before = BoatRect(view, *scene.Boat());
    filled.now += 1000;
    scene.Boat()->AddPosition({}, 2030, 5010);
    const QRect dirty = before | BoatRect(view, *scene.Boat());
    EXPECT_LT(dirty.width(), 60);
    screen = Paint(view, scene, TPlanPaintOptions::Mode::Fast, &cache, screen, dirty);
    // Same as a fresh paint of the whole chart: the old boat is gone, the new one there.
    EXPECT_EQ(screen, Paint(view, scene, TPlanPaintOptions::Mode::Fast));
    // A series changed behind the scene's back (a highlighted buoy, reference labels
    // shown) still reaches the screen through the cache.
    scene.Buoys()->SetPointColour(0, kClRed);
    scene.Reference()->Marks.Visible = true;
    screen = Paint(view, scene, TPlanPaintOptions::Mode::Fast, &cache, screen);
    EXPECT_EQ(screen, Paint(view, scene, TPlanPaintOptions::Mode::Fast));
    // A mark added or a point changed redraws over the layers kept below; a change to the
    // lines redraws them.
    const std::function<void()> changes[] = {
        [&] {
            filled.job.misoku.Add(2010, 5010, QStringLiteral("new"), 0x00FF00);
            scene.ReloadMarks();
        },
        [&] { scene.Buoys()->SetPointColour(2, kClRed); }, [&] { scene.SetRapid(true); },
        [&] {
            scene.SetDepthColouring(true, TDepthRange{0, 5});
        },
        [&] {
            for (int i = 0; i < filled.job.cuts->Count(); i += 3) filled.job.cuts->SetDepth(i, 2);
            scene.SetDepthColouring(true, TDepthRange{0, 5});
        }};
    for (const auto& change : changes) {
        change();
        screen = Paint(view, scene, TPlanPaintOptions::Mode::Fast, &cache, screen);
        EXPECT_EQ(screen, Paint(view, scene, TPlanPaintOptions::Mode::Fast));
    }
}

}  // namespace
}  // namespace tidrun

namespace tidrun {
namespace {

// Cuts coloured by depth: the ramp's colour where a cut has a depth, the line's own where
// not, both painters alike, the legend in the corner; while recording, a cut outside the
// range widens it and every line takes the new colours.
TEST(PaintPlan, CutsColouredByDepthWithTheLegend) {
    for (const bool rapid : {false, true}) {
        FilledScene f(false);
        const int n = f.job.cuts->Count();
        for (int i = 0; i < n; i += 2) f.job.cuts->SetDepth(i, 2.0f + float(i % 100) * 0.1f);
        f.scene.SetRapid(rapid);
        const QImage plain = Paint(f.view, f.scene, TPlanPaintOptions::Mode::Exact);
        f.scene.SetDepthColouring(true, std::nullopt);
        ASSERT_TRUE(f.scene.DepthRange());
        EXPECT_FLOAT_EQ(f.scene.DepthRange()->shallow, 2.0f);
        EXPECT_FLOAT_EQ(f.scene.DepthRange()->deep, 11.8f);
        const auto* line = static_cast<const TLineLineSeries*>(f.scene.Series()[1].get());
        ASSERT_EQ(line->Kind(), TSeriesKind::LineLine);
        const int r = line->FirstRecord() % 2 == 0 ? 0 : 1;  // a cut with a depth
        const TDepthRange range = *f.scene.DepthRange();
        const float d = f.job.cuts->Depth(line->FirstRecord() + r);
        EXPECT_EQ(line->PointColour(r), DepthLevelColour(DepthLevel(d, range), range) & 0xFFFFFFu);
        EXPECT_EQ(line->PointColour(r + 1), kClDefault);

        const QImage exact = Paint(f.view, f.scene, TPlanPaintOptions::Mode::Exact);
        TPlanLayerCache cache;
        const QImage fast = Paint(f.view, f.scene, TPlanPaintOptions::Mode::Fast, &cache);
        const QImage bare = Paint(f.view, TPlanScene({}), TPlanPaintOptions::Mode::Exact);
        EXPECT_EQ(FarPixels(fast, exact, bare), 0) << rapid;
        EXPECT_EQ(FarPixels(exact, fast, bare), 0) << rapid;
        // Ramp colours on the plan outside the legend; none without the colouring.
        std::set<QRgb> ramp;
        for (int l = 0; l < kDepthLevels; ++l) ramp.insert(DepthLevelColour(l, range) & 0xFFFFFF);
        const QRect legend = DepthLegendRect(f.view.PlotRect(), f.view.LabelFont());
        auto rampPixels = [&](const QImage& img) {
            int count = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    count += !legend.contains(x, y) && ramp.count(img.pixel(x, y) & 0xFFFFFF);
            return count;
        };
        EXPECT_GT(rampPixels(exact), 200) << rapid;
        EXPECT_EQ(rampPixels(plain), 0) << rapid;
        EXPECT_GT(CountColour(exact, qRgb(255, 255, 255)), 300) << "cuts without depth";
        // The legend: white box, the ramp from its shallow end to its deep end.
        ASSERT_TRUE(f.view.PlotRect().contains(legend));
        EXPECT_EQ(exact.pixel(legend.left() + 2, legend.bottom() - 2), qRgb(255, 255, 255));
        const int rampY = legend.top() + 6 + QFontMetrics(f.view.LabelFont()).height() + 4;
        EXPECT_EQ(exact.pixel(legend.left() + 8, rampY),
                  DepthRampColour(2.0f, *f.scene.DepthRange()));
        EXPECT_EQ(exact.pixel(legend.right() - 8, rampY),
                  DepthRampColour(11.8f, *f.scene.DepthRange()));
        EXPECT_EQ(fast.pixel(legend.right() - 8, rampY), exact.pixel(legend.right() - 8, rampY));
        f.scene.SetDepthColouring(false, std::nullopt);
        EXPECT_EQ(Paint(f.view, f.scene, TPlanPaintOptions::Mode::Exact), plain) << rapid;
    }

    FilledScene rec(true);
    for (int i = 0; i < rec.job.cuts->Count(); ++i) rec.job.cuts->SetDepth(i, 3.0f + (i % 2));
    rec.scene.SetDepthColouring(true, std::nullopt);
    struct Step {
        float depth;
        bool widens;
    } steps[] = {{3.5f, false}, {20.0f, true}, {std::nanf(""), false}, {1.0f, true}};
    for (const Step& s : steps) {
        const std::uint64_t before = rec.scene.Revision();
        const int i = rec.job.sokusen.Count();
        rec.job.AddCut(QStringLiteral("L29"), 5000, 2000, i + 1);
        rec.job.cuts->SyncFrom(rec.job.sokusen);
        rec.job.cuts->SetDepth(i, s.depth);
        rec.scene.AddCut(i);
        EXPECT_EQ(rec.scene.Revision() != before, s.widens) << s.depth;
    }
    EXPECT_FLOAT_EQ(rec.scene.DepthRange()->shallow, 1.0f);
    EXPECT_FLOAT_EQ(rec.scene.DepthRange()->deep, 20.0f);
    // A typed range holds whatever the cuts are: deeper ones take its deep end.
    rec.scene.SetDepthColouring(true, TDepthRange{0, 3.5f});
    EXPECT_EQ(rec.scene.OpenLine()->PointColour(rec.scene.OpenLine()->Count() - 3),
              DepthRampColour(3.5f, {0, 3.5f}) & 0xFFFFFFu);
    EXPECT_EQ(rec.scene.OpenLine()->PointColour(rec.scene.OpenLine()->Count() - 2), kClDefault);
}

}  // namespace
}  // namespace tidrun

namespace tidrun {
namespace {

// The scene of the job's lines in a 480 x 360 window, with a survey area round them (x0, x1,
// y0, y1) that gives the whole extent.
void BuildInArea(Job& job, std::array<double, 4> area, TPlanScene& scene, TChartView& view) {
    const double corners[][2] = {
        {area[0], area[2]}, {area[1], area[2]}, {area[1], area[3]}, {area[0], area[3]}};
    for (int k = 0; k < 5; ++k)
        job.tansa.Add(corners[k % 4][0], corners[k % 4][1], 1, 0, QStringLiteral("A%1").arg(k));
    view.Resize(QSize(480, 360));
    scene.Build(job.Sources(), false, view);
}

// A long line whose records in view lie away from where its chunks begin (the tip of a
// narrow V, out along one side and back) is drawn as the exact painter draws it: the boxes
// that let the raster leave lines out of view hold every record, not only the chunks' first.
TEST(PaintPlan, LineSeenOnlyAtTheTipOfAVIsDrawn) {
    Job job;
    // 5 km out and back, two groups of chunks; the tip halfway between two chunks' starts,
    // 64 m from either.
    constexpr int kTip = 39 * TCutStore::kChunkCuts + TCutStore::kChunkCuts / 2;
    for (int c = 0; c <= 2 * kTip; ++c) {
        const int along = c < kTip ? c : 2 * kTip - c;
        job.AddCut(QStringLiteral("V"), 10000 + 0.5 * along, 20000 + (c < kTip ? 0 : 4), c + 1);
    }
    TPlanScene scene([] { return 0; });
    TChartView view;
    BuildInArea(job, {9000, 16000, 19000, 21000}, scene, view);
    const TCutStore& cuts = *job.cuts;
    const QPointF tip = view.ToPixelRounded(cuts.Y(kTip), cuts.X(kTip));
    for (const double reach : {30.0, 2.0}) {  // pixels of the whole view round the tip
        view.UnDoZoom();
        ASSERT_EQ(view.CalcZoomPoints(tip - QPointF(reach, reach), tip + QPointF(reach, reach)),
                  TChartView::ZoomResult::Zoomed);
        const QImage bare = Paint(view, TPlanScene({}), TPlanPaintOptions::Mode::Exact);
        const QImage exact = Paint(view, scene, TPlanPaintOptions::Mode::Exact);
        const QImage fast = Paint(view, scene, TPlanPaintOptions::Mode::Fast);
        EXPECT_GT(CountColour(exact, qRgb(255, 255, 255)), 50) << reach;
        EXPECT_EQ(FarPixels(exact, fast, bare), 0) << reach;
        EXPECT_EQ(FarPixels(fast, exact, bare), 0) << reach;
    }
}

// Seen from afar, recorded lines are drawn from a level of detail of the cut store; zoomed
// in, cut by cut. Either way the fast path agrees with the exact painter within one pixel:
// lines wholly inside, lines crossing the window's edge, symbols or none, one colour or
// coloured by a smooth bottom.
TEST(PaintPlan, LevelsOfDetailAgreeWithTheExactPainterWithinOnePixel) {
    Job job;
    std::mt19937 rnd(11);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int line = 0; line < 12; ++line) {
        // Parallel lines 40 m apart, bending slowly, cuts 0.3-0.8 m apart with GPS noise.
        double x = 10000 + 40 * line, y = 20000;
        for (int c = 0; c < 4000; ++c) {
            const double heading = 0.3 * std::sin(c / 700.0 + line);
            const double step = 0.55 + 0.25 * u(rnd);
            x += step * std::sin(heading) + 0.05 * u(rnd);
            y += step * std::cos(heading) + 0.05 * u(rnd);
            job.AddCut(QStringLiteral("L%1").arg(line), x, y, c + 1);
        }
    }
    TPlanScene scene([] { return 0; });
    TChartView view;
    BuildInArea(job, {9950, 10550, 19950, 22300}, scene, view);
    const TCutStore& cuts = *job.cuts;
    for (int i = 0; i < cuts.Count(); ++i)
        job.cuts->SetDepth(
            i, float(8 + 4 * std::sin(cuts.X(i) / 300) + 2 * std::cos(cuts.Y(i) / 200)));
    struct Case {
        const char* what;
        double zoom;  // the window's side over the whole view's (1: the whole extent)
        bool levels;  // drawn from a level of detail
    } cases[] = {{"whole extent", 1, true},
                 {"two thirds: lines cross the window's edge", 2.0 / 3, true},
                 {"a third: every cut", 1.0 / 3, false},
                 {"zoomed in far", 1.0 / 40, false}};
    for (const Case& c : cases) {
        view.UnDoZoom();
        if (c.zoom < 1) {
            const QRect p = view.PlotRect();
            const QPointF half(p.width() * c.zoom / 2, p.height() * c.zoom / 2);
            ASSERT_EQ(view.CalcZoomPoints(QPointF(p.center()) - half, QPointF(p.center()) + half),
                      TChartView::ZoomResult::Zoomed)
                << c.what;
        }
        const QImage bare = Paint(view, TPlanScene({}), TPlanPaintOptions::Mode::Exact);
        const double scale = std::max(std::abs(view.HScale()), std::abs(view.VScale()));
        EXPECT_EQ(cuts.LevelFor(scale) >= 0, c.levels) << c.what;
        if (c.zoom < 1) {  // some line runs out of the window
            const TExtent a = view.Axes();
            auto inside = [&](int i) {
                return cuts.Y(i) >= a.YMin && cuts.Y(i) <= a.YMax && cuts.X(i) >= a.XMin &&
                       cuts.X(i) <= a.XMax;
            };
            int crossings = 0;
            for (int i = 1; i < cuts.Count(); ++i) crossings += inside(i) != inside(i - 1);
            EXPECT_GT(crossings, 0) << c.what;
        }
        for (const bool rapid : {false, true})
            for (const bool depth : {false, true}) {
                scene.SetRapid(rapid);
                scene.SetDepthColouring(depth, std::nullopt);
                const QImage exact = Paint(view, scene, TPlanPaintOptions::Mode::Exact);
                TPlanLayerCache cache;
                const QImage cached = Paint(view, scene, TPlanPaintOptions::Mode::Fast, &cache);
                const QImage direct = Paint(view, scene, TPlanPaintOptions::Mode::Fast);
                EXPECT_GT(CountColour(exact, qRgb(0, 0x80, 0x80)), 1000) << c.what;
                for (const QImage* f : {&cached, &direct}) {
                    EXPECT_EQ(FarPixels(*f, exact, bare), 0)
                        << c.what << (rapid ? ", rapid" : "") << (depth ? ", depth" : "");
                    EXPECT_EQ(FarPixels(exact, *f, bare), 0)
                        << c.what << (rapid ? ", rapid" : "") << (depth ? ", depth" : "");
                }
            }
    }
}

}  // namespace
}  // namespace tidrun
