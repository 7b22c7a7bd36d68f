// The console's cut pipeline: one position through the job session (offsets, recorder,
// guidance) and all four cut writers (line log, depth file, recording file, transfer text)
// with a sounder's depth before each position, every
// position a cut (全データ). BM_CutPipeline keeps the files in memory (TIDRUN_BENCH_MEMDIR,
// default /dev/shm), so the figure is the code's own cost; BM_AddCut puts them on the disk
// (TIDRUN_BENCH_DIR, default the current folder), syncs included. BM_LocalStamp is one
// receive time of the depth companion written in local time, beside QDateTime's own.
// BM_SeasonAddCut appends to the season's recording (TIDRUN_BENCH_SEASON).
#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdlib>

#include "console/jobsession.h"
#include "platform/messagesink.h"
#include "platform/seriallink.h"
#include "surveydata/depthfile.h"
#include "surveydata/localstamp.h"

namespace {

using namespace tidrun;

// A transfer port that takes every byte and keeps nothing.
class NullLink : public SerialLink {
  public:
    void SetBaudRate(int) override {}
    void SetStandardLineSettings() override {}
    bool Open() override { return true; }
    void Close() override {}
    bool IsOpen() const override { return true; }
    void FlushReceive() override {}
    qint64 FreeSendSpace() const override { return 4096; }
    bool Write(const QByteArray& data) override {
        sent += data.size();
        return true;
    }
    QString Source() const override { return {}; }
    QString ErrorText() const override { return {}; }
    qint64 sent = 0;
};

// Cuts appended to the recording file at path: a new one (removed after), or one there
// already (kept, longer by the run's cuts).
void RunCuts(benchmark::State& state, const QString& path, bool fresh) {
    const QDir folder = QFileInfo(path).absoluteDir();
    if (fresh) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot create the cut file");
            return;
        }
    } else if (!QFileInfo::exists(path)) {
        state.SkipWithError("no recording file to append to");
        return;
    }
    RecordingSink sink;  // any message makes the run an error
    sink.answer = false;
    NullLink link;
    std::uint32_t now = 0;
    QString logPath;
    {
        TJobSession session(sink, [&now] { return now; });
        session.Sokusen().Load(path);
        session.Recorder().SetRule(MakeCutRule(2, 10));
        session.SetOffsets({0.5, -0.25, 0.1, 1.2});
        session.SetLastSentence(3541.1234, 13945.5678, 12.5);
        session.SetLineLogFolder(folder.path());
        session.SetTransfer(&link, QByteArrayLiteral("MARK\r"));
        session.SetDepthRecording(true);
        if (!session.StartLine(QStringLiteral("測線0001"))) {
            state.SkipWithError("the line does not start");
            return;
        }
        logPath = session.LineLogPath();
        session.Recorder().RequestCut();
        const QDateTime t(QDate(2026, 12, 8), QTime(9, 0, 0));
        const std::string_view sentence =
            "$GPGGA,001234.00,3541.1234,N,13945.5678,E,4,12,0.8,12.500,M,39.0,M,1.0,0000*4B\r";
        double x = -145000.125;
        std::int64_t cuts = 0;
        const TDepthReading depth{TDepthKind::DPT, true, 12.34};
        qint64 receivedMs = QDateTime::currentMSecsSinceEpoch();
        for (auto _ : state) {
            x += 2.5;
            now += 1000;
            receivedMs += 100;
            session.OnDepth(depth, receivedMs - 40);
            const TPositionOutcome out = session.Position(x, 23000.5, 3.0, t, sentence, receivedMs);
            cuts += out.cutIndex >= 0;
            benchmark::DoNotOptimize(out);
        }
        session.StopLine();
        if (!sink.entries.empty() || cuts != std::int64_t(state.iterations()) ||
            link.sent != 5 * std::int64_t(state.iterations()))
            state.SkipWithError("a position was not recorded");
    }
    if (fresh) QFile::remove(path);
    QFile::remove(DepthFilePath(path));
    QFile::remove(logPath);
}

QString FolderFile(const char* folderVariable, const char* defaultFolder) {
    const char* env = std::getenv(folderVariable);
    const QDir folder(env ? QString::fromLocal8Bit(env) : QString::fromLatin1(defaultFolder));
    return folder.filePath(QStringLiteral("bench_cutpipeline.dat"));
}

void BM_CutPipeline(benchmark::State& state) {
    RunCuts(state, FolderFile("TIDRUN_BENCH_MEMDIR", "/dev/shm"), true);
}
BENCHMARK(BM_CutPipeline)->Unit(benchmark::kNanosecond)->MinTime(1.0)->UseRealTime();

void BM_AddCut(benchmark::State& state) {
    RunCuts(state, FolderFile("TIDRUN_BENCH_DIR", "."), true);
}
BENCHMARK(BM_AddCut)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// The same on a copy of the season's recording (TIDRUN_BENCH_SEASON: ten million cuts
// loaded first): what a cut costs must not grow with the file. A fixed count, so that
// the file is loaded once a run.
void BM_SeasonAddCut(benchmark::State& state) {
    const char* env = std::getenv("TIDRUN_BENCH_SEASON");
    if (!env) {
        state.SkipWithError("TIDRUN_BENCH_SEASON names no recording file");
        return;
    }
    RunCuts(state, QString::fromLocal8Bit(env), false);
}
BENCHMARK(BM_SeasonAddCut)->Unit(benchmark::kMillisecond)->Iterations(4000)->UseRealTime();

// A receive time every 100 ms, as a 10 Hz receiver gives them.
void BM_LocalStamp(benchmark::State& state) {
    TLocalStamp stamps;
    qint64 ms = QDateTime(QDate(2026, 12, 8), QTime(9, 0)).toMSecsSinceEpoch();
    QString text;
    for (auto _ : state) {
        text.clear();
        stamps.AppendTo(text, ms += 100);
        benchmark::DoNotOptimize(text.constData());
    }
}
BENCHMARK(BM_LocalStamp)->Unit(benchmark::kNanosecond)->MinTime(0.5)->UseRealTime();

void BM_QDateTimeStamp(benchmark::State& state) {
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
    qint64 ms = QDateTime(QDate(2026, 12, 8), QTime(9, 0)).toMSecsSinceEpoch();
    QString text;
    for (auto _ : state) {
        text.clear();
        text += QDateTime::fromMSecsSinceEpoch(ms += 100).toString(format);
        benchmark::DoNotOptimize(text.constData());
    }
}
BENCHMARK(BM_QDateTimeStamp)->Unit(benchmark::kNanosecond)->MinTime(0.5)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
