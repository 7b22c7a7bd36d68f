// Survey data: loading a large recording file (time and memory per cut) and the cost of
// one cut written and synced to disk.
//   TIDRUN_RECORDING  the recording file to load (scripts/gen_recording.py makes one)
//   TIDRUN_BENCH_DIR  a folder on the disk the console would write to (default ".")
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/messagesink.h"
#include "surveydata/sokusencoll.h"

namespace {

using namespace tidrun;

// Resident set size of this process in bytes.
long ResidentBytes() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::strtol(line + 6, nullptr, 10);
    }
    std::fclose(f);
    return kb * 1024;
}

// Bytes the allocator has handed out (heap and mapped blocks).
double HeapBytes() {
    const struct mallinfo2 mi = mallinfo2();
    return static_cast<double>(mi.uordblks + mi.hblkhd);
}

void BM_RecordingLoad(benchmark::State& state) {
    const char* path = std::getenv("TIDRUN_RECORDING");
    if (!path) {
        state.SkipWithError("TIDRUN_RECORDING is not set");
        return;
    }
    RecordingSink sink;  // any message makes the run an error
    sink.answer = false;
    double cuts = 0, rssPerCut = 0, heapPerCut = 0;
    for (auto _ : state) {
        state.PauseTiming();
        malloc_trim(0);
        const long rss0 = ResidentBytes();
        const double heap0 = HeapBytes();
        auto coll = std::make_unique<TSokusenColl>(sink);
        state.ResumeTiming();
        const bool ok = coll->Load(QString::fromLocal8Bit(path));
        state.PauseTiming();
        if (!ok || !sink.entries.empty())
            state.SkipWithError("the recording file did not load cleanly");
        cuts = coll->Count();
        rssPerCut = static_cast<double>(ResidentBytes() - rss0) / cuts;
        heapPerCut = (HeapBytes() - heap0) / cuts;
        coll.reset();
        state.ResumeTiming();
    }
    state.counters["cuts"] = cuts;
    state.counters["rss_bytes_per_cut"] = rssPerCut;
    state.counters["heap_bytes_per_cut"] = heapPerCut;
}
BENCHMARK(BM_RecordingLoad)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

void BM_AddCut(benchmark::State& state) {
    const char* env = std::getenv("TIDRUN_BENCH_DIR");
    const QString path = QDir(env ? QString::fromLocal8Bit(env) : QStringLiteral("."))
                             .filePath(QStringLiteral("bench_addcut.dat"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot create the cut file");
            return;
        }
    }
    RecordingSink sink;  // any message makes the run an error
    sink.answer = false;
    TSokusenColl coll(sink);
    coll.Load(path);
    coll.BeginLine();
    TCutInput cut;
    cut.LineName = QStringLiteral("測線0001 第1区");
    cut.X = -145000.125;
    cut.Y = 23000.5;
    cut.Time = QDateTime(QDate(2026, 12, 8), QTime(9, 0, 0));
    for (auto _ : state) {
        cut.X += 2.5;
        coll.AddCut(cut);
    }
    coll.EndLine();
    if (!sink.entries.empty()) state.SkipWithError("a cut was not written");
    QFile::remove(path);
}
BENCHMARK(BM_AddCut)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
