// The map session without a window: messages, mouse rules, popup commands and the window's
// section of the configuration file.
#include <gtest/gtest.h>

#include <QFile>
#include <QFontMetrics>
#include <QTemporaryDir>

#include <functional>

#include "fakehost.h"
#include "planview/angles.h"
#include "planview/mapsession.h"
#include "planview/paintplan.h"
#include "planview/plannedline.h"
#include "surveydata/codec.h"
#include "surveydata/config.h"

using namespace tidrun;
using namespace tidrun::test;

namespace {

struct Fixture {
    explicit Fixture(bool recording = false, bool lineHasCut = true) {
        host.recording = recording;
        host.lineHasCut = lineHasCut;
        session = std::make_unique<TMapSession>(host, sink, job.Sources(), [this] { return now; });
        session->View().Resize(QSize(800, 600));
    }
    QPoint PixelOf(double x, double y) const { return session->View().ToPixelRounded(y, x); }
    std::vector<const TChartSeries*> Lines() const {
        std::vector<const TChartSeries*> out;
        for (const auto& s : session->Scene().Series())
            if (s->Kind() == TSeriesKind::LineLine) out.push_back(s.get());
        return out;
    }
    FakeJob job;
    FakeHost host;
    RecordingSink sink;
    std::int64_t now = 0;
    std::unique_ptr<TMapSession> session;
};

using B = TMapSession::TButton;
using W = TMapSession::TRelease::What;

}  // namespace

TEST(MapSession, LinesReplayedInsideAndOutsideARecording) {
    {
        Fixture f(false);
        const auto lines = f.Lines();
        ASSERT_EQ(lines.size(), 2u);
        for (const TChartSeries* s : lines) EXPECT_EQ(s->Colour, kClWhite);
        EXPECT_EQ(f.session->Scene().OpenLine(), nullptr);
    }
    {
        // Recording a line that has no cut yet: the file's last line is an earlier one and
        // is finished; the new line's first cut starts a line of its own, whatever its name.
        Fixture f(true, false);
        EXPECT_EQ(f.session->Scene().OpenLine(), nullptr);
        f.job.AddCut(1310, 2210, "B");
        f.session->CutAdded(3);
        ASSERT_EQ(f.Lines().size(), 3u);
        EXPECT_EQ(f.session->Scene().OpenLine()->FirstRecord(), 3);
    }
    Fixture f(true);
    ASSERT_EQ(f.Lines().size(), 2u);
    const TLineLineSeries* open = f.session->Scene().OpenLine();
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->FirstRecord(), 2);
    EXPECT_EQ(open->Colour, kClYellow);
    // The next cut of line B joins the open line; the line end finishes it white.
    f.job.AddCut(1310, 2210, "B");
    f.session->CutAdded(3);
    EXPECT_EQ(f.session->Scene().OpenLine()->Count(), 2);
    f.session->LineEnd();
    EXPECT_EQ(f.session->Scene().OpenLine(), nullptr);
    for (const TChartSeries* s : f.Lines()) EXPECT_EQ(s->Colour, kClWhite);
}

TEST(MapSession, MouseRules) {
    struct Case {
        const char* name;
        B button;
        double x, y;  // where the press happens (world)
        int dragPx;   // movement before the release, pixels in both directions
        W what;
        TPopupKind popup;
        int guide = -1;              // the highlighted guide point (a reference point)
        const char* info = nullptr;  // how the information text ends
    } cases[] = {
        {"left on a mark", B::Left, 1150, 2250, 0, W::Info, {}, -1, "\r\nＹ＝ 2250.000000"},
        {"left on a buoy, guide point K1 south of it",
         B::Left,
         1200,
         2100,
         0,
         W::Info,
         {},
         0,
         "( n1 )\r\n\n誘導点「K1」から\r\n0ﾟ00'00\"\r\n100.000000 ｍ"},
        {"left on a mark, guide point K1",
         B::Left,
         1150,
         2250,
         0,
         W::Info,
         {},
         0,
         "\r\n\n誘導点「K1」から\r\n71ﾟ33'54\"\r\n158.113883 ｍ"},
        {"left on a buoy, no guide point", B::Left, 1250, 2350, 0, W::Info, {}, -1, "( n2 )"},
        {"left on a reference point: never from the guide",
         B::Left,
         1300,
         2300,
         0,
         W::Info,
         {},
         0,
         "Ｚ＝ 6.000000"},
        {"left drag from a mark", B::Left, 1150, 2250, 3, W::Nothing, {}},
        {"left on empty area", B::Left, 1350, 2050, 0, W::Nothing, {}},
        {"right on a buoy", B::Right, 1200, 2100, 0, W::Popup, TPopupKind::Buoy},
        {"right on a reference point", B::Right, 1100, 2100, 0, W::Popup, TPopupKind::Reference},
        {"right on a cut", B::Right, 1300, 2200, 0, W::Popup, TPopupKind::SurveyLine},
        {"right on empty area", B::Right, 1350, 2050, 0, W::Popup, TPopupKind::Chart},
        {"right drag", B::Right, 1200, 2100, 30, W::Panned, {}},
        {"left drag to the lower right", B::Left, 1350, 2050, 40, W::Zoomed, {}},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.session->RefPoint(c.guide);
        const QPoint at = f.PixelOf(c.x, c.y);
        f.session->Press(c.button, at);
        if (c.dragPx) f.session->Move(at + QPoint(c.dragPx, c.dragPx));
        const auto r = f.session->Release(c.button, at + QPoint(c.dragPx, c.dragPx));
        EXPECT_EQ(r.what, c.what) << c.name;
        if (c.what == W::Popup) {
            EXPECT_EQ(r.popup, c.popup) << c.name;
        }
        EXPECT_EQ(f.session->Pressed(), B::None) << c.name;
        if (r.what == W::Info) {
            f.session->ShowPendingInfo();
            ASSERT_EQ(f.host.infos.size(), 1) << c.name;
            EXPECT_TRUE(f.host.infos[0].endsWith(QString::fromUtf8(c.info)))
                << c.name << ": " << f.host.infos[0].toStdString();
        }
    }
    // The pause before a left click's text: a press meanwhile does not change its point.
    {
        Fixture f;
        f.session->Press(B::Left, f.PixelOf(1150, 2250));
        ASSERT_EQ(f.session->Release(B::Left, f.PixelOf(1150, 2250)).what, W::Info);
        f.session->Press(B::Left, f.PixelOf(1350, 2050));  // empty area, still held
        f.session->ShowPendingInfo();
        ASSERT_EQ(f.host.infos.size(), 1);
        EXPECT_TRUE(f.host.infos[0].contains(QStringLiteral("M1")))
            << f.host.infos[0].toStdString();
    }

    // A zoom rectangle dragged far enough but under a metre is refused with the warning.
    Fixture f;
    f.session->View().SetAxes({1000, 1000.5, 2000, 2000.5});
    f.session->View().RecalcAxis();
    f.session->Press(B::Left, QPoint(100, 100));
    f.session->Move(QPoint(130, 130));
    f.session->Release(B::Left, QPoint(130, 130));
    EXPECT_EQ(f.sink.Texts(), QStringList{QStringLiteral("拡大の限度を超えています")});

    // Enter takes a cut only while recording.
    Fixture idle(false), busy(true);
    idle.session->EnterKey();
    busy.session->EnterKey();
    EXPECT_TRUE(idle.host.calls.isEmpty());
    EXPECT_EQ(busy.host.calls, QStringList{QStringLiteral("Cut")});
}

TEST(MapSession, PopupCommandsReachTheHost) {
    Fixture f;
    auto rightClick = [&](double x, double y) {
        const QPoint at = f.PixelOf(x, y);
        f.session->Press(B::Right, at);
        return f.session->Release(B::Right, at);
    };
    f.session->SetMarkDialog([](const QString& caption, const TMarkProps& initial) {
        return std::optional<TMarkProps>({caption + "/" + initial.name, initial.colour});
    });

    // Joining needs the planned-line switch and a guide point.
    rightClick(1200, 2100);
    f.session->RunCommand(TPopupCommand::JoinGuide);
    EXPECT_TRUE(f.host.calls.isEmpty());
    f.session->SetPlannedLine(true);
    f.session->RunCommand(TPopupCommand::JoinGuide);
    EXPECT_EQ(f.sink.Texts(), QStringList{QStringLiteral("誘導点と結ぶことができません")});
    f.session->RefPoint(0);  // K1 at (1100, 2100): B1 lies due north of it
    f.session->RunCommand(TPopupCommand::JoinGuide);
    f.session->RunCommand(TPopupCommand::MarkBoat);  // no boat position yet
    EXPECT_EQ(f.sink.Texts().last(), QStringLiteral("移動体をマークすることができません"));
    f.session->RunCommand(TPopupCommand::JoinBoat);
    f.session->BoatPos(1200000, 2200000);  // due west of B1
    f.session->RunCommand(TPopupCommand::JoinBoat);
    f.session->RunCommand(TPopupCommand::MoveRuler);
    EXPECT_EQ(f.host.calls, (QStringList{"PivotAngle 1200 2100 0", "PivotAngle 1200 2100 2700000",
                                         "Pivot 1200 2100"}));
    EXPECT_EQ(f.sink.Texts().last(), QStringLiteral("移動体と結ぶことができません"));

    f.host.calls.clear();
    f.session->RunCommand(TPopupCommand::MarkBoat);
    EXPECT_EQ(f.host.calls, QStringList{"AddMark 移動体をマーク/ #ff00ff 1200 2200"});

    f.host.calls.clear();
    rightClick(1150, 2250);  // the mark: its text waits for the pause, as after a left click
    f.session->RunCommand(TPopupCommand::MarkInfo);
    EXPECT_TRUE(f.host.infos.isEmpty());
    ASSERT_TRUE(f.session->InfoPending());
    f.session->ShowPendingInfo();
    EXPECT_EQ(f.host.infos.size(), 1);
    f.session->RunCommand(TPopupCommand::MarkChange);
    f.session->RunCommand(TPopupCommand::MarkDelete);
    const auto r = rightClick(1350, 2050);
    ASSERT_EQ(r.popup, TPopupKind::Chart);
    f.session->RunCommand(TPopupCommand::MarkHere);
    EXPECT_EQ(f.host.calls.size(), 3);
    EXPECT_EQ(f.host.calls[0], QStringLiteral("ChangeMark 0 マークの変更/M1 #ff0000"));
    EXPECT_EQ(f.host.calls[1], QStringLiteral("DeleteMark 0"));
    EXPECT_TRUE(f.host.calls[2].startsWith(QStringLiteral("AddMark この位置をマーク/ #ff00ff 13")))
        << f.host.calls[2].toStdString();

    // Label and cut-number toggles show as check marks the next time the menu opens.
    rightClick(1200, 2100);
    f.session->RunCommand(TPopupCommand::BuoyNames);
    EXPECT_TRUE(f.session->Popup(TPopupKind::Buoy)[1].checked);
    rightClick(1300, 2200);
    EXPECT_FALSE(f.session->Popup(TPopupKind::SurveyLine)[1].checked);
    f.session->RunCommand(TPopupCommand::CutNumbers);
    EXPECT_TRUE(f.session->Popup(TPopupKind::SurveyLine)[1].checked);

    // Colouring by depth shows as a check mark; the range dialog's answer is taken, a
    // cancel keeps the range, and the job's range can be chosen again.
    auto depthChecked = [&] {
        for (const TPopupItem& it : f.session->Popup(TPopupKind::Chart))
            if (it.command == TPopupCommand::DepthColours) return it.checked;
        ADD_FAILURE() << "no depth item";
        return false;
    };
    EXPECT_FALSE(depthChecked());
    f.session->RunCommand(TPopupCommand::DepthColours);
    EXPECT_TRUE(depthChecked());
    std::optional<std::optional<TDepthRange>> answer;  // nothing: cancelled
    f.session->SetDepthRangeDialog([&](const std::optional<TDepthRange>&,
                                       const std::optional<TDepthRange>&) { return answer; });
    answer = std::optional<TDepthRange>(TDepthRange{2, 8});
    f.session->RunCommand(TPopupCommand::DepthRange);
    ASSERT_TRUE(f.session->TypedDepths());
    EXPECT_FLOAT_EQ(f.session->TypedDepths()->deep, 8);
    answer.reset();
    f.session->RunCommand(TPopupCommand::DepthRange);
    EXPECT_TRUE(f.session->TypedDepths());
    answer = std::optional<TDepthRange>();
    f.session->RunCommand(TPopupCommand::DepthRange);
    EXPECT_FALSE(f.session->TypedDepths());
    f.session->RunCommand(TPopupCommand::DepthColours);
    EXPECT_FALSE(depthChecked());
}

TEST(MapSession, HighlightsRulerAndZoomToBuoy) {
    Fixture f;
    const TChartSeries* buoys = f.session->Scene().Buoys();
    const TChartSeries* refs = f.session->Scene().Reference();
    // Each message highlights the point of its own series red; the one before gets its
    // colour back, and the other series keeps its own.
    struct Highlight {
        TRepaint (TMapSession::*message)(int);
        const TChartSeries *own, *other;
        TColour normal;
    } highlights[] = {{&TMapSession::RemPoint, buoys, refs, kClLime},
                      {&TMapSession::RefPoint, refs, buoys, kClAqua}};
    for (const Highlight& h : highlights) {
        (f.session.get()->*h.message)(0);
        (f.session.get()->*h.message)(1);
        EXPECT_EQ(h.own->DrawColour(0), h.normal) << h.own->Title.toStdString();
        EXPECT_EQ(h.own->DrawColour(1), kClRed) << h.own->Title.toStdString();
        for (int i = 0; i < h.other->Count(); ++i)
            EXPECT_EQ(h.other->DrawColour(i), h.other->Colour) << h.own->Title.toStdString();
        (f.session.get()->*h.message)(7);  // outside: only the previous one goes back
        EXPECT_EQ(h.own->DrawColour(1), h.normal) << h.own->Title.toStdString();
    }
    f.session->RefPoint(1);
    EXPECT_EQ(f.session->HighlightedGuide(), 1);

    // Zoom to boat and buoy needs both.
    const TExtent before = f.session->View().Axes();
    f.session->RemPoint(1);
    EXPECT_EQ(f.session->ZoomRem(), TRepaint::None);
    f.session->BoatPos(1150000, 2150000);
    f.session->ZoomRem();
    const TExtent a = f.session->View().Axes();
    EXPECT_TRUE(f.session->View().Zoomed());
    EXPECT_LT(a.YMax - a.YMin, before.YMax - before.YMin);
    EXPECT_LE(a.YMin, 2150 - 20 + 1e-6);
    EXPECT_GE(a.YMax, 2350 + 20 - 1e-6);
    // Boat and buoy under a metre apart: the warning, and the view stays.
    f.session->BoatPos(1250400, 2350400);
    EXPECT_TRUE(f.sink.Texts().isEmpty());
    EXPECT_EQ(f.session->ZoomRem(), TRepaint::All);
    EXPECT_EQ(f.sink.Texts(), QStringList{QStringLiteral("拡大の限度を超えています")});
    EXPECT_EQ(f.session->View().Axes(), a);

    // The planned line and its offsets follow the switch, the host's width and its packed
    // angle (45.3 typed is 45 degrees 30 minutes).
    struct Ruler {
        int packed, width;
        bool on, offsets;
    } rulers[] = {
        {0, 10, false, false},      {0, 10, true, true},      {453000, 10, true, true},
        {453000, 10, false, false}, {900000, 25, true, true}, {453000, 0, true, false},
    };
    const TRulerRect extent{1000, 2000, 1400, 2400};
    const TPlanScene& scene = f.session->Scene();
    for (const Ruler& r : rulers) {
        const QString what =
            QStringLiteral("%1 width %2 switch %3").arg(r.packed).arg(r.width).arg(r.on);
        f.host.angle = r.packed;
        f.host.width = r.width;
        f.session->SetPlannedLine(r.on);
        const double degrees = PackedToDegrees(r.packed);
        f.session->Ruler(PlannedLineSegment(1200, 2200, degrees, extent, 0), extent);
        EXPECT_EQ(scene.PlannedLine()->Active, r.on) << what.toStdString();
        EXPECT_EQ(scene.LeftLine()->Active, r.offsets) << what.toStdString();
        EXPECT_EQ(scene.RightLine()->Active, r.offsets) << what.toStdString();
        if (!r.offsets) continue;
        // Both offset lines run at the planned line's azimuth, width metres to either side.
        const double a = degrees * M_PI / 180;
        for (const auto& [line, side] : {std::pair{scene.LeftLine(), -1}, {scene.RightLine(), 1}}) {
            const double dy = line->H(1) - line->H(0), dx = line->V(1) - line->V(0);
            EXPECT_NEAR(std::sin(a) * dx - std::cos(a) * dy, 0, 1e-6 * std::hypot(dx, dy))
                << what.toStdString();
            const double across =
                std::cos(a) * (line->H(0) - 2200) - std::sin(a) * (line->V(0) - 1200);
            EXPECT_NEAR(across, side * r.width, 1e-6) << what.toStdString();
        }
    }
}

TEST(MapSession, WindowStateRoundTripThroughTheConfigurationFile) {
    QTemporaryDir dir;
    const QString cfg = dir.filePath(QStringLiteral("Tidrun.CFG"));
    Fixture a;
    a.session->ZoomIn();
    a.session->View().ScrollHorizontal(12.5);
    a.session->SetAutoMove(true);
    a.session->SetRapidMode(true);
    a.session->SetPlannedLine(true);
    a.session->SetCircleRuler(true);
    EXPECT_EQ(a.session->CircleDiameter(), 50);  // the main window's, once shown
    const QPoint at = a.PixelOf(1200, 2100);
    a.session->Press(B::Right, at);
    a.session->Release(B::Right, at);
    a.session->RunCommand(TPopupCommand::BuoyNames);
    a.session->SetDepthColours(true, TDepthRange{1.5f, 12.25f});
    MapWindowConfig out;
    a.session->SaveState(out);
    ASSERT_TRUE(out.Store(cfg, 3));
    // A window that never coloured by depth leaves its section as it always was.
    Fixture plain;
    MapWindowConfig plainOut;
    plain.session->SaveState(plainOut);
    ASSERT_TRUE(plainOut.Store(cfg, 4));
    QFile file(cfg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList sections = DecodeCp932(file.readAll()).split(QStringLiteral("平面図"));
    ASSERT_EQ(sections.size(), 3);
    EXPECT_EQ(sections[1].count(QStringLiteral("水深")), 3);
    EXPECT_EQ(sections[2].count(QStringLiteral("水深")), 0);

    Fixture b;
    MapWindowConfig in;
    in.Load(cfg, 3);
    b.session->LoadState(in);
    const TChartView& va = a.session->View();
    const TChartView& vb = b.session->View();
    EXPECT_EQ(vb.Origin(), va.Origin());
    EXPECT_TRUE(vb.Zoomed());
    // The same view, panned as it was; the current extent is taken from it again.
    for (const TExtent& e : {vb.Axes(), vb.Current()}) {
        EXPECT_NEAR(e.XMin, va.Axes().XMin, 1e-6);
        EXPECT_NEAR(e.XMax, va.Axes().XMax, 1e-6);
        EXPECT_NEAR(e.YMin, va.Axes().YMin, 1e-6);
        EXPECT_NEAR(e.YMax, va.Axes().YMax, 1e-6);
    }
    EXPECT_TRUE(b.session->AutoMove());
    EXPECT_TRUE(b.session->RapidMode());
    EXPECT_TRUE(b.session->PlannedLine());
    EXPECT_TRUE(b.session->CircleRuler());
    EXPECT_EQ(b.session->CircleDiameter(), 50);
    EXPECT_TRUE(b.session->Scene().Buoys()->Marks.Visible);
    EXPECT_TRUE(b.session->DepthColours());
    ASSERT_TRUE(b.session->TypedDepths());
    EXPECT_FLOAT_EQ(b.session->TypedDepths()->shallow, 1.5f);
    EXPECT_FLOAT_EQ(b.session->TypedDepths()->deep, 12.25f);
    for (const TChartSeries* s : b.Lines())
        EXPECT_TRUE(static_cast<const TLineLineSeries*>(s)->Fast());
}

TEST(MapSession, ClicksFindCutsOfALongLineInEveryChunk) {
    // 600 cuts of one line, 12 m apart on a grid (about 12 pixels): more than two chunks of
    // the cut store, which the search passes over by their boxes.
    Fixture f;
    for (int k = 0; k < 600; ++k) f.job.AddCut(1021.5 + 12 * (k / 30), 2023.5 + 12 * (k % 30), "C");
    f.session->Rebuild();
    const std::vector<const TChartSeries*> lines = f.Lines();
    ASSERT_EQ(lines.size(), 3u);
    const TChartSeries* c = lines.back();
    ASSERT_EQ(c->Count(), 600);
    // Each side of the chunks' seams (records 256 and 512), the ends, and one between.
    const int kc = TCutStore::kChunkCuts,
              r0 = static_cast<const TLineLineSeries*>(c)->FirstRecord();
    for (int k : {0, 1, kc - 1 - r0, kc - r0, 300, 2 * kc - 1 - r0, 2 * kc - r0, 599}) {
        const TMapSession::THit hit = f.session->HitTest(f.PixelOf(c->V(k), c->H(k)));
        EXPECT_EQ(hit.series, c) << k;
        EXPECT_EQ(hit.index, k) << k;
    }
    // Three pixels beside the last cut, which lies on its chunk's box: still within reach.
    const QPoint last = f.PixelOf(c->V(599), c->H(599));
    EXPECT_EQ(f.session->HitTest(last + QPoint(3, 0)).index, 599);
    EXPECT_EQ(f.session->HitTest(last + QPoint(0, -3)).index, 599);
    // Half way between two rows and two columns no cut is within reach.
    EXPECT_EQ(f.session->HitTest(f.PixelOf(1021.5 + 12 * 5 + 6, 2023.5 + 12 * 5 + 6)).series,
              nullptr);
}

TEST(MapSession, DamagedExtentsStillGiveAViewThatCanBeDrawn) {
    // A damaged or hand-edited section, one extent at a time. Spans beyond the largest
    // number leave the window's own extents; equal ends far from zero give a tiny view.
    using Opt = std::optional<double> MapWindowConfig::*;
    struct Case {
        Opt lo, hi;
        double a, b;
        bool own;
    } cases[] = {
        {&MapWindowConfig::X0, &MapWindowConfig::X1, -1.7e308, 1.7e308, true},
        {&MapWindowConfig::Y0, &MapWindowConfig::Y1, 1.7e308, -1.7e308, true},
        {&MapWindowConfig::OX0, &MapWindowConfig::OX1, -1.7e308, 1.7e308, true},
        {&MapWindowConfig::OY0, &MapWindowConfig::OY1, -1.7e308, 1.7e308, true},
        {&MapWindowConfig::X0, &MapWindowConfig::X1, 5e6, 5e6, false},
        {&MapWindowConfig::Y0, &MapWindowConfig::Y1, 1e300, 1e300, false},
        {&MapWindowConfig::X0, &MapWindowConfig::X1, 1e20, 1e20 + 1e6, false},
    };
    Fixture fresh;
    for (const Case& k : cases) {
        Fixture f;
        MapWindowConfig c;
        c.*k.lo = k.a;
        c.*k.hi = k.b;
        f.session->LoadState(c);
        const TChartView& v = f.session->View();
        if (k.own) {
            EXPECT_EQ(v.Axes(), fresh.session->View().Axes()) << k.a;
            EXPECT_EQ(v.Origin(), fresh.session->View().Origin()) << k.a;
        }
        for (double scale : {v.HScale(), v.VScale()})
            EXPECT_TRUE(std::isfinite(scale) && scale != 0) << k.a << " " << scale;
        // Axis labels for it come to an end (far from zero: none at all).
        EXPECT_LE(v.VerticalTicks().size() + v.HorizontalTicks().size(), 2000u) << k.a;
    }
}

static int WidestLabel(const TChartView& v) {
    const QFontMetrics fm(v.LabelFont());
    int widest = 0;
    for (const TAxisTick& t : v.VerticalTicks())
        if (t.Major) widest = std::max(widest, fm.horizontalAdvance(t.Label));
    return widest;
}

TEST(MapSession, AxisLabelsKeepTheirRoomAsTheViewChanges) {
    // Each way of changing the view, from where it changes the widest axis label: the plot
    // leaves that label its room at equal scale, and a pan or follow keeps the scale.
    using Step = std::function<void(Fixture&)>;
    const Step zoomOut = [](Fixture& f) {
        for (int i = 0; i < 4; ++i) f.session->ZoomOut();
    };
    struct Case {
        const char* what;
        Step prep, step;
        bool keepsScale;
    } cases[] = {
        {"zoom out", {}, zoomOut, false},
        {"fit all", zoomOut, [](Fixture& f) { f.session->FitAll(); }, false},
        {"drag zoom", zoomOut,
         [](Fixture& f) {
             const QPoint a = f.PixelOf(1450, 1950), b = f.PixelOf(950, 2450);
             f.session->Press(B::Left, a);
             f.session->Move(b);
             f.session->Release(B::Left, b);
         },
         false},
        {"zoom to buoy",
         [&](Fixture& f) {
             zoomOut(f);
             f.session->BoatPos(1300000, 2300000);
             f.session->RemPoint(0);
         },
         [](Fixture& f) { f.session->ZoomRem(); }, false},
        {"pan",
         {},
         [](Fixture& f) {
             const QPoint a = f.session->View().PlotRect().center();
             f.session->Press(B::Right, a);
             f.session->Move(a + QPoint(0, 9000));  // up to the tens of thousands
             f.session->Release(B::Right, a + QPoint(0, 9000));
         },
         true},
        {"follow", [](Fixture& f) { f.session->SetAutoMove(true); },
         [](Fixture& f) { f.session->BoatPos(20000000, 2200000); }, true},
    };
    for (const Case& c : cases) {
        Fixture f;
        if (c.prep) c.prep(f);
        const TChartView& v = f.session->View();
        const int before = WidestLabel(v);
        const double hx = v.HScale(), vy = v.VScale();
        c.step(f);
        const int after = WidestLabel(v);
        EXPECT_NE(after, before) << c.what;  // the step does reach other label widths
        EXPECT_EQ(v.PlotRect().left(), after + kTickLength + kLabelGap + 1) << c.what;
        EXPECT_NEAR(v.HScale() * v.PixelAspectValue() / -v.VScale(), 1.0, 1e-9) << c.what;
        if (c.keepsScale) {
            EXPECT_DOUBLE_EQ(v.HScale(), hx) << c.what;
            EXPECT_DOUBLE_EQ(v.VScale(), vy) << c.what;
        }
    }
    // Fitting all gives the origin for the window's shape, the same each time (here a
    // narrow window, where the equal scale widens the vertical axis).
    Fixture f;
    f.session->View().Resize(QSize(300, 600));
    zoomOut(f);
    f.session->FitAll();
    const TExtent once = f.session->View().Axes();
    f.session->FitAll();
    EXPECT_EQ(f.session->View().Axes(), once);
}

TEST(MapSession, StoredFrameStaysWhereItCanBeSeen) {
    struct Case {
        int left, top, width, height;
        QRect expected;
    } cases[] = {
        {10, 20, 910, 622, QRect(10, 20, 910, 622)},                    // as stored
        {0, 0, -5, 99999999, QRect(0, 0, 40, 1000)},                    // damaged sizes
        {2147483647, -2147483647, 300, 200, QRect(1560, 0, 300, 200)},  // far away
        {-1000, 5000, 300, 200, QRect(-260, 970, 300, 200)},            // 40 x 30 of it still seen
    };
    for (const Case& k : cases) {
        MapWindowConfig c;
        c.Left = k.left;
        c.Top = k.top;
        c.Width = k.width;
        c.Height = k.height;
        EXPECT_EQ(StoredFrameRect(c, QSize(1600, 1000)), k.expected) << k.left << " " << k.height;
    }
}

// A cut added to the open line repaints only the rectangle it changed, and the window then
// shows what a whole repaint shows: the line's end, the new and the former newest labels,
// whatever the spacing of the cuts, also where the line leaves the window.
TEST(MapSession, ACutAddedRepaintsOnlyWhatItChanged) {
    struct Case {
        const char* what;
        double dx, dy;  // metres from one cut to the next (line B starts at 1300, 2200)
        int cuts;
        TRepaint first;  // what the first of them asks for
    } cases[] = {
        {"cuts far apart, every label shown", 4, 3, 12, TRepaint::Region},
        {"cuts 0.3 m apart, labels crowding each other", 0.3, 0.2, 40, TRepaint::Region},
        {"a line that runs out of the window", 0, 40, 12, TRepaint::Region},
    };
    auto paint = [](TMapSession& s, TPlanLayerCache& cache, QImage& image, QRect region) {
        QPainter p(&image);
        TPlanPaintOptions o;
        o.Cache = &cache;
        o.Region = region;
        PaintPlan(p, s.View(), s.Scene(), o);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f(true);
        TPlanLayerCache cache;
        QImage screen(f.session->View().WidgetSize(), QImage::Format_RGB32);
        paint(*f.session, cache, screen, {});
        double x = 1300, y = 2200;
        int regions = 0;
        for (int i = 0; i < c.cuts; ++i) {
            x += c.dx;
            y += c.dy;
            f.job.AddCut(x, y, "B");
            const TRepaint r = f.session->CutAdded(f.job.sokusen.Count() - 1);
            if (i == 0) {
                EXPECT_EQ(r, c.first);
            }
            if (r == TRepaint::All) paint(*f.session, cache, screen, {});
            if (r == TRepaint::Region) {
                ++regions;
                EXPECT_LT(f.session->RepaintRect().width() * f.session->RepaintRect().height(),
                          screen.width() * screen.height() / 8);
                paint(*f.session, cache, screen, f.session->RepaintRect());
            }
            TPlanLayerCache fresh;
            QImage whole(screen.size(), QImage::Format_RGB32);
            paint(*f.session, fresh, whole, {});
            ASSERT_EQ(screen, whole) << "after cut " << i + 1;
        }
        EXPECT_GT(regions, 0);
    }
}
