// Plan view: painting the generated job (1,000,000 cuts) at 1920 x 1080 offscreen through
// PaintPlan, beside a plain QPainter pass over the same data; a boat move with four map
// windows; the memory the cut store and the caches add per cut; opening the job to the
// first painted map.
//   TIDRUN_PLAN_JOB  the work folder (scripts/gen_plan_job.py makes it)
#include <benchmark/benchmark.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <vector>

#include "bench/guimain.h"
#include "planview/chartview.h"
#include "planview/cutstore.h"
#include "planview/paintplan.h"
#include "planview/planscene.h"
#include "platform/messagesink.h"
#include "surveydata/config.h"
#include "surveydata/jobsettings.h"
#include "surveydata/pointcoll.h"
#include "surveydata/sokusencoll.h"

namespace {

using namespace tidrun;

const QSize kSize(1920, 1080);

struct Job {
    NullSink sink;
    TJobSettings settings;
    TKijunColl kijun{sink};
    TTansaColl tansa{sink};
    TSokusenColl sokusen{sink};
    TIjoColl ijo{sink};
    TMisokuColl misoku{sink};
    std::shared_ptr<TCutStore> cuts = std::make_shared<TCutStore>();

    explicit Job(const QString& dir) {
        settings.Load(TidrunCfgPath(dir));
        auto path = [this](const QString& p) { return QDir::cleanPath(settings.Resolve(p)); };
        kijun.Load(path(settings.KijunPath()));
        tansa.Load(path(settings.TansaPath()));
        sokusen.Load(path(settings.SokusenPath()));
        ijo.Load(path(settings.IjoPath()));
        misoku.Load(path(settings.MisokuPath()));
    }
    TPlanSources Sources() { return {&kijun, &tansa, &ijo, &misoku, &sokusen, cuts}; }
};

QString JobDir() {
    const char* dir = std::getenv("TIDRUN_PLAN_JOB");
    return QString::fromLocal8Bit(dir ? dir : "bench-data/planjob");
}

Job& SharedJob() {
    static Job job(JobDir());
    return job;
}

// One map window over the shared job.
struct Window {
    std::int64_t now = 0;  // the trail's clock, moved on by the boat benchmark
    TChartView view;
    TPlanScene scene{[this] { return now; }};
    Window() {
        view.SetWidgetSize(kSize);
        scene.Build(SharedJob().Sources(), false, view);
        scene.CreateBoat();
    }
};

Window& SharedWindow() {
    static Window w;
    return w;
}

void Cold(benchmark::State& state, Window& w) {
    QImage target(kSize, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&target);
        PaintPlan(p, w.view, w.scene, TPlanPaintOptions{});  // no cache: every layer drawn
    }
    benchmark::DoNotOptimize(target.constBits());
}

// One paint of a window into image through its layer cache, as the screen paints: the
// whole window, or only region.
void PaintCached(QImage& image, const TChartView& view, const TPlanScene& scene,
                 TPlanLayerCache& cache, QRect region = {},
                 QColor wall = TPlanPaintOptions{}.Wall) {
    QPainter p(&image);
    TPlanPaintOptions o;
    o.Cache = &cache;
    o.Region = region;
    o.Wall = wall;
    PaintPlan(p, view, scene, o);
}

void BM_ChartFull(benchmark::State& state) {
    Window& w = SharedWindow();
    w.view.UnDoZoom();
    w.scene.SetRapid(true);
    Cold(state, w);
}
BENCHMARK(BM_ChartFull)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_ChartFullSymbols(benchmark::State& state) {
    Window& w = SharedWindow();
    w.view.UnDoZoom();
    w.scene.SetRapid(false);
    Cold(state, w);
}
BENCHMARK(BM_ChartFullSymbols)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_ChartTenth(benchmark::State& state) {
    Window& w = SharedWindow();
    w.view.UnDoZoom();
    w.scene.SetRapid(false);
    const TExtent a = w.view.Axes();
    const double cx = (a.XMin + a.XMax) / 2, cy = (a.YMin + a.YMax) / 2;
    const double hx = (a.XMax - a.XMin) / 20, hy = (a.YMax - a.YMin) / 20;
    w.view.SetAxes({cx - hx, cx + hx, cy - hy, cy + hy});
    w.view.RecalcAxis();
    Cold(state, w);
    w.view.UnDoZoom();
}
BENCHMARK(BM_ChartTenth)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// The box (horizontal = Y, vertical = X) of the first outline of the survey area.
TExtent FirstRegion(const TTansaColl& tansa) {
    const auto& items = tansa.Items();
    TExtent e{1e300, -1e300, 1e300, -1e300};
    for (size_t i = 0; i < items.size() && items[i].Region == items.front().Region; ++i) {
        e.XMin = std::min(e.XMin, items[i].Y), e.XMax = std::max(e.XMax, items[i].Y);
        e.YMin = std::min(e.YMin, items[i].X), e.YMax = std::max(e.YMax, items[i].X);
    }
    return e;
}

// One survey area filling the window, symbols shown.
void BM_ChartArea(benchmark::State& state) {
    Window& w = SharedWindow();
    if (SharedJob().tansa.Items().empty()) {
        state.SkipWithError("the job has no survey area");
        return;
    }
    w.scene.SetRapid(false);
    w.view.SetAxes(FirstRegion(SharedJob().tansa));
    w.view.RecalcAxis();
    Cold(state, w);
    w.view.UnDoZoom();
}
BENCHMARK(BM_ChartArea)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// A view the size of one area's inside the whole extent where no cut lies: the first of a
// grid of such views that no chunk of the cut store reaches.
void BM_ChartEmpty(benchmark::State& state) {
    Window& w = SharedWindow();
    const TCutStore& cuts = *SharedJob().cuts;
    w.view.UnDoZoom();
    const TExtent all = w.view.Axes();
    const double dh = (all.XMax - all.XMin) / 20, dv = (all.YMax - all.YMin) / 20;
    std::optional<TExtent> empty;
    for (int i = 0; i < 400 && !empty; ++i) {
        const TExtent e{all.XMin + (i % 20) * dh, all.XMin + (i % 20 + 1) * dh,
                        all.YMin + (i / 20) * dv, all.YMin + (i / 20 + 1) * dv};
        bool hit = false;
        for (int c = 0; c < cuts.ChunkCount() && !hit; ++c) {
            const TCutStore::Box& b = cuts.ChunkBox(c);
            // Chunk boxes are in world coordinates (the store's origin already added).
            hit = b.HMin <= e.XMax && b.HMax >= e.XMin && b.VMin <= e.YMax && b.VMax >= e.YMin;
        }
        if (!hit) empty = e;
    }
    if (!empty) {
        state.SkipWithError("no empty view in the extent");
        return;
    }
    w.scene.SetRapid(false);
    w.view.SetAxes(*empty);
    w.view.RecalcAxis();
    Cold(state, w);
    w.view.UnDoZoom();
}
BENCHMARK(BM_ChartEmpty)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

// The anchor: every point transformed, one drawPolyline per line (and per region).
void NaivePass(QPainter& p, const TChartView& view, const Job& job, bool crosses) {
    p.fillRect(QRect(QPoint(0, 0), kSize), QColor(0x00, 0x80, 0x80));
    p.setClipRect(view.PlotRect());
    const TCutStore& cuts = *job.cuts;
    std::vector<QPointF> pts;
    p.setPen(QPen(QColor(0, 255, 0), 0));
    const auto& area = job.tansa.Items();
    for (size_t i = 0; i < area.size();) {
        pts.clear();
        const int region = area[i].Region;
        for (; i < area.size() && area[i].Region == region; ++i)
            pts.push_back(view.ToPixel(area[i].Y, area[i].X));
        p.drawPolyline(pts.data(), static_cast<int>(pts.size()));
    }
    p.setPen(QPen(Qt::white, 0));
    const std::vector<int>& starts = cuts.LineStarts();
    for (size_t k = 0; k < starts.size(); ++k) {
        const int end = k + 1 < starts.size() ? starts[k + 1] : cuts.Count();
        pts.clear();
        for (int i = starts[k]; i < end; ++i) pts.push_back(view.ToPixel(cuts.Y(i), cuts.X(i)));
        p.drawPolyline(pts.data(), static_cast<int>(pts.size()));
        if (crosses)
            for (const QPointF& q : pts) {
                p.drawLine(q + QPointF(-3, -3), q + QPointF(3, 3));
                p.drawLine(q + QPointF(-3, 3), q + QPointF(3, -3));
            }
    }
}

void Naive(benchmark::State& state, bool crosses) {
    Window& w = SharedWindow();
    w.view.UnDoZoom();
    QImage target(kSize, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&target);
        NaivePass(p, w.view, SharedJob(), crosses);
    }
}
void BM_NaivePolyline(benchmark::State& state) {
    Naive(state, false);
}
void BM_NaiveSymbols(benchmark::State& state) {
    Naive(state, true);
}
BENCHMARK(BM_NaivePolyline)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_NaiveSymbols)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Four map windows over the job, caches warm; each iteration moves the boat once and
// repaints its rectangle in every window. Reported per window.
void BM_BoatUpdate(benchmark::State& state) {
    struct Screen {
        Window w;
        TPlanLayerCache cache;
        QImage image{kSize, QImage::Format_RGB32};
    };
    static std::vector<std::unique_ptr<Screen>> screens;
    while (screens.size() < 4) screens.push_back(std::make_unique<Screen>());
    for (auto& s : screens) PaintCached(s->image, s->w.view, s->w.scene, s->cache);
    const TExtent a = screens[0]->w.view.Axes();
    double x = (a.XMin + a.XMax) / 2, y = (a.YMin + a.YMax) / 2;
    for (auto _ : state) {
        x += 1.7;
        y += 2.1;
        for (auto& s : screens) {
            s->w.now += 1000;  // one fix a second: the trail keeps its last 15 s
            TMoveObjectSeries& boat = *s->w.scene.Boat();
            const QRect before = BoatRect(s->w.view, boat);
            boat.AddPosition(QStringLiteral("移動体"), y, x);
            PaintCached(s->image, s->w.view, s->w.scene, s->cache,
                        before | BoatRect(s->w.view, boat));
        }
    }
    state.counters["windows"] = 4;
}
BENCHMARK(BM_BoatUpdate)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// A cut recorded in 全データ, repainted in one window whose open line already has
// state.range(0) cuts 0.5 m apart: the rectangle the cut changed (range(1) = 1), or the
// whole window as a cut used to repaint (range(1) = 0). Per cut, per window.
void BM_CutAdded(benchmark::State& state) {
    const int before = static_cast<int>(state.range(0));
    const bool region = state.range(1) != 0;
    // A job of its own: the cuts added here stay out of the other benchmarks' job.
    static Job job(JobDir());
    static int run = 0;
    const QString line = QStringLiteral("BENCH%1").arg(++run);
    TChartView view;
    view.SetWidgetSize(kSize);
    TPlanScene scene([] { return std::int64_t(0); });
    const int firstRecord = job.sokusen.Count();
    scene.Build(job.Sources(), true, view);
    scene.CreateBoat();
    const TExtent a = view.Axes();
    double x = (a.XMin + a.XMax) / 2, y = (a.YMin + a.YMax) / 2;
    auto addCut = [&] {
        TSokusen r{};
        r.X = x += 0.4;
        r.Y = y += 0.3;
        r.CutNo = job.sokusen.Count() - firstRecord + 1;
        const TLineLineSeries* open = scene.OpenLine();
        const int shown = open ? open->Count() - 1 : 0;
        job.sokusen.Add(r, line);
        scene.AddCut(job.sokusen.Count() - 1);
        return GrowthRect(view, *scene.OpenLine(), shown, scene.OpenLine()->Count() - 1);
    };
    for (int i = 0; i < before; ++i) addCut();
    TPlanLayerCache cache;
    QImage image(kSize, QImage::Format_RGB32);
    PaintCached(image, view, scene, cache);
    for (auto _ : state) {
        const QRect changed = addCut();
        PaintCached(image, view, scene, cache, region ? changed : QRect());
    }
}
BENCHMARK(BM_CutAdded)
    ->Args({100, 1})
    ->Args({5000, 1})
    ->Args({5000, 0})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)
    ->UseRealTime();

// A mark added to the job and the window repainted through its warm cache, as the map
// window does on a change to the marks (range(0) = 1); or with the cache dropped first, the
// whole static picture redrawn (range(0) = 0). Per edit.
void BM_MarkEdit(benchmark::State& state) {
    const bool cached = state.range(0) != 0;
    Window& w = SharedWindow();
    Job& job = SharedJob();
    w.view.UnDoZoom();
    w.scene.SetRapid(false);
    TPlanLayerCache cache;
    QImage image(kSize, QImage::Format_RGB32);
    PaintCached(image, w.view, w.scene, cache);
    const TExtent a = w.view.Axes();
    const int before = job.misoku.Count();
    int added = 0;
    for (auto _ : state) {
        ++added;
        job.misoku.Add(a.XMin + (a.XMax - a.XMin) * (0.3 + 0.001 * (added % 400)),
                       a.YMin + (a.YMax - a.YMin) * 0.5, QStringLiteral("M%1").arg(added), 255);
        w.scene.ReloadMarks();
        if (!cached) cache.Drop();
        PaintCached(image, w.view, w.scene, cache);
    }
    while (job.misoku.Count() > before) job.misoku.Delete(job.misoku.Count() - 1);
    w.scene.ReloadMarks();
}
BENCHMARK(BM_MarkEdit)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

// What the shared cut store and one window's layer cache add per recorded cut: the cache
// with the job's lines less the cache without them, plus the store.
void BM_Memory(benchmark::State& state) {
    Job& job = SharedJob();
    std::size_t withCuts = 0, withoutCuts = 0;
    for (auto _ : state) {
        for (const bool cuts : {true, false}) {
            TChartView view;
            view.SetWidgetSize(kSize);
            TPlanScene scene([] { return std::int64_t(0); });
            TPlanSources src = job.Sources();
            if (!cuts) {
                src.Sokusen = nullptr;
                src.Cuts = nullptr;
            }
            scene.Build(src, false, view);
            TPlanLayerCache cache;
            QImage image(kSize, QImage::Format_RGB32);
            PaintCached(image, view, scene, cache);
            (cuts ? withCuts : withoutCuts) = cache.MemoryBytes();
        }
    }
    const double n = job.cuts->Count();
    state.counters["cuts"] = n;
    state.counters["store_bytes"] = static_cast<double>(job.cuts->MemoryBytes());
    state.counters["cache_bytes"] = static_cast<double>(withCuts);
    state.counters["bytes_per_cut"] =
        (static_cast<double>(job.cuts->MemoryBytes()) + double(withCuts) - double(withoutCuts)) / n;
}
BENCHMARK(BM_Memory)->Iterations(1);

// Resident memory of the process in bytes (Linux), 0 where it cannot be read.
double ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    double pages = 0, resident = 0;
    if (!(statm >> pages >> resident)) return 0;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE));
}

// From the start of opening the job (settings confirmed) to the end of the first paint of
// its map window. Also the resident memory the open job adds per cut, everything included:
// the collection, the cut store and the caches of four windows (the other three opened and
// painted after the time is taken).
void BM_OpenToMap(benchmark::State& state) {
    struct Open {
        TChartView view;
        TPlanScene scene{[] { return std::int64_t(0); }};
        TPlanLayerCache cache;
        QImage image{kSize, QImage::Format_RGB32};
        explicit Open(Job& job) {
            view.SetWidgetSize(kSize);
            scene.Build(job.Sources(), false, view);
            scene.CreateBoat();
            PaintCached(image, view, scene, cache, {}, MapColour(job.settings.MapColor));
        }
    };
    for (auto _ : state) {
        const double before = ResidentBytes();
        auto job = std::make_unique<Job>(JobDir());
        auto first = std::make_unique<Open>(*job);
        state.PauseTiming();
        {
            std::vector<std::unique_ptr<Open>> more;
            for (int w = 1; w < 4; ++w) more.push_back(std::make_unique<Open>(*job));
            state.counters["rss_bytes_per_cut"] =
                (ResidentBytes() - before) / std::max(1, job->sokusen.Count());
        }
        first.reset();  // closing the job is not part of the open
        job.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenToMap)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// The whole extent with symbols, every cut coloured by a depth (made up from its position,
// so that neighbouring cuts differ as a real bottom does). Last: the depths add to the
// shared store's memory, which BM_Memory must not count.
void BM_ChartFullSymbolsDepth(benchmark::State& state) {
    Window& w = SharedWindow();
    TCutStore& cuts = *SharedJob().cuts;
    if (!cuts.HasDepths())
        for (int i = 0; i < cuts.Count(); ++i)
            cuts.SetDepth(
                i, 5.0f + 10.0f * float(std::fmod(cuts.X(i) * 0.013 + cuts.Y(i) * 0.007, 1.0)));
    w.view.UnDoZoom();
    w.scene.SetRapid(false);
    w.scene.SetDepthColouring(true, std::nullopt);
    Cold(state, w);
    w.scene.SetDepthColouring(false, std::nullopt);
}
BENCHMARK(BM_ChartFullSymbolsDepth)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return tidrun::RunGuiBenchmarks(argc, argv);
}
