// The console's cut pipeline: one position through the job session (offsets, recorder,
// guidance) and the recording-file writer, every position a cut (全データ). The file lies
// in memory (TIDRUN_BENCH_MEMDIR, default /dev/shm), so the figure is the code's own cost
// and not the disk's.
#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>

#include "console/jobsession.h"
#include "platform/messagesink.h"

namespace {

using namespace tidrun;

class CountingSink : public MessageSink {
  public:
    void Show(Kind, const QString&) override { ++shown; }
    bool Confirm(const QString&) override { return false; }
    int shown = 0;
};

void BM_CutPipeline(benchmark::State& state) {
    const char* env = std::getenv("TIDRUN_BENCH_MEMDIR");
    const QString path = QDir(env ? QString::fromLocal8Bit(env) : QStringLiteral("/dev/shm"))
                             .filePath(QStringLiteral("bench_cutpipeline.dat"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot create the cut file");
            return;
        }
    }
    CountingSink sink;
    std::uint32_t now = 0;
    {
        TJobSession session(sink, [&now] { return now; });
        session.Sokusen().Load(path);
        session.Recorder().SetRule(MakeCutRule(2, 10));
        session.SetOffsets({0.5, -0.25, 0.1, 1.2});
        session.SetLastSentence(3541.1234, 13945.5678, 12.5);
        if (!session.StartLine(QStringLiteral("測線0001"))) {
            state.SkipWithError("the line does not start");
            return;
        }
        session.Recorder().RequestCut();
        const QDateTime t(QDate(2026, 12, 8), QTime(9, 0, 0));
        double x = -145000.125;
        std::int64_t cuts = 0;
        for (auto _ : state) {
            x += 2.5;
            now += 1000;
            const TPositionOutcome out = session.Position(x, 23000.5, 3.0, t);
            cuts += out.cutIndex >= 0;
            benchmark::DoNotOptimize(out);
        }
        session.StopLine();
        if (sink.shown || cuts != std::int64_t(state.iterations()))
            state.SkipWithError("a position was not recorded");
    }
    QFile::remove(path);
}
BENCHMARK(BM_CutPipeline)->Unit(benchmark::kNanosecond)->MinTime(1.0)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
