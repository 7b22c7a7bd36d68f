// Cost of one sentence through the receiver: from the bytes arriving on the link to the
// position listener returning, beside decoding and conversion alone.
#include "platform/seriallink.h"
#include "positioning/geodesy.h"
#include "positioning/gps.h"
#include "positioning/nmea.h"

#include "platform/messagesink.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace tidrun;

// A port that only delivers what the benchmark hands it.
class BenchLink : public SerialLink {
  public:
    void SetBaudRate(int) override {}
    void SetStandardLineSettings() override {}
    bool Open() override { return open_ = true; }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    void FlushReceive() override {}
    qint64 FreeSendSpace() const override { return 4096; }
    bool Write(const QByteArray&) override { return true; }
    QString Source() const override { return QStringLiteral("bench"); }
    QString ErrorText() const override { return {}; }
    void Deliver(const QByteArray& data) { emit BytesReceived(data); }

  private:
    bool open_ = false;
};

// Sixteen GGA fixes around Tokyo Bay, each with CR LF, as a receiver sends them.
std::vector<QByteArray> Sentences() {
    std::vector<QByteArray> out;
    for (int i = 0; i < 16; ++i) {
        char body[128];
        std::snprintf(body, sizeof body,
                      "GPGGA,1235%02d.%02d,3525.%04d,N,13945.%04d,E,%d,08,0.9,%d.5,M,39.0,M,,",
                      i * 3 % 60, i * 7 % 100, 1000 + i * 37, 6000 + i * 53, 1 + i % 2, i);
        unsigned char sum = 0;
        for (const char* p = body; *p; ++p) sum ^= static_cast<unsigned char>(*p);
        char line[160];
        std::snprintf(line, sizeof line, "$%s*%02X\r\n", body, sum);
        out.emplace_back(line);
    }
    return out;
}

constexpr int kSource = 0, kTarget = 1, kZone = 8;  // world datum onto Tokyo, zone 9

void BM_ReceiverGga(benchmark::State& state) {
    const auto sentences = Sentences();
    BenchLink link;
    TGPS gps;
    gps.SetInputPort(&link, kSource, kTarget, kZone);
    int monitors = 0;
    double sum = 0;
    QObject::connect(&gps, &TGPS::SentenceDecoded, [&](const TNMEA&, qint64) { ++monitors; });
    QObject::connect(&gps, &TGPS::PositionFixed, [&](const TGpsPosition& p) { sum += p.X + p.Y; });
    gps.Open();
    std::size_t i = 0;
    for (auto _ : state) {
        link.Deliver(sentences[i++ & 15]);
        benchmark::DoNotOptimize(sum);
    }
    if (monitors != state.iterations()) state.SkipWithError("sentences were lost");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReceiverGga);

void BM_DecodeConvertGga(benchmark::State& state) {
    std::vector<std::string> packets;
    for (const auto& s : Sentences()) packets.emplace_back(s.constData(), s.size() - 1);
    TNMEA nmea;
    TPos pos;
    std::size_t i = 0;
    double sum = 0;
    for (auto _ : state) {
        nmea.Decode(packets[i++ & 15]);
        const FixPosition fix = ConvertFix(pos, nmea, kSource, kTarget, kZone);
        sum += fix.X + fix.Y;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeConvertGga);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
