// Opening the plan job as the console opens it, without and with the recording's depth
// companion: the job's files, the shared cut store with the companion's depths joined, the
// check of the companion at open, the scene and the first painted map at 1920 x 1080. Both
// arms read the same recording file (the depth folder holds it as a hard link).
//   TIDRUN_PLAN_JOB        the work folder without a companion (scripts/gen_plan_job.py)
//   TIDRUN_PLAN_JOB_DEPTH  the same job with SOKUSEN_水深.csv (gen_plan_job.py --depth)
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdlib>

#include "bench/guimain.h"
#include "console/cutwriters.h"
#include "console/jobload.h"
#include "planview/chartview.h"
#include "planview/cutstore.h"
#include "planview/paintplan.h"
#include "planview/planscene.h"
#include "platform/messagesink.h"
#include "surveydata/config.h"
#include "surveydata/jobsettings.h"

namespace {

using namespace tidrun;

QString Folder(bool depth) {
    const char* dir = std::getenv(depth ? "TIDRUN_PLAN_JOB_DEPTH" : "TIDRUN_PLAN_JOB");
    return QString::fromLocal8Bit(
        dir ? dir : (depth ? "bench-data/planjob-depth" : "bench-data/planjob"));
}

void BM_OpenJob(benchmark::State& state) {
    const bool depth = state.range(0) != 0;
    for (auto _ : state) {
        RecordingSink sink;
        TJobSettings settings;
        settings.Load(TidrunCfgPath(Folder(depth)));
        TKijunColl kijun{sink};
        TTansaColl tansa{sink};
        TSokusenColl sokusen{sink};
        TIjoColl ijo{sink};
        TMisokuColl misoku{sink};
        LoadJobFiles(settings, {kijun, tansa, sokusen, ijo, misoku});
        TDepthCompanion companion;
        const auto cuts = LoadCutStore(settings, sokusen, sink, nullptr, &companion);
        const QString check = CheckDepthCompanion(sokusen, false, &companion);
        companion = TDepthCompanion();
        TChartView view;
        view.SetWidgetSize(QSize(1920, 1080));
        TPlanScene scene([] { return std::int64_t(0); });
        scene.Build({&kijun, &tansa, &ijo, &misoku, &sokusen, cuts}, false, view);
        scene.CreateBoat();
        TPlanLayerCache cache;
        QImage image(QSize(1920, 1080), QImage::Format_RGB32);
        {
            QPainter p(&image);
            TPlanPaintOptions o;
            o.Cache = &cache;
            o.Wall = MapColour(settings.MapColor);
            PaintPlan(p, view, scene, o);
        }
        state.PauseTiming();
        if (sokusen.Count() == 0 || cuts->HasDepths() != depth || !check.isEmpty() ||
            !sink.entries.empty())
            state.SkipWithError("the job did not open as generated");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenJob)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    return tidrun::RunGuiBenchmarks(argc, argv);
}
