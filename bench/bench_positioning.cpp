// Speed of the positioning core: conversion per point (against PROJ on the same points and
// pipeline) and decoding per sentence.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "positioning/depth.h"
#include "positioning/geodesy.h"
#include "positioning/nmea.h"

#ifdef TIDRUN_HAVE_PROJ
#include <proj.h>
#endif

namespace {

using namespace tidrun;

constexpr int kZone9 = 8;
constexpr double kDeg = std::numbers::pi / 180.0;

struct Point {
    double latDeg, lonDeg, h;
};

// Points inside zone 9: within 1 degree of latitude and 1.5 of longitude of its origin.
const std::vector<Point>& Points() {
    static const std::vector<Point> points = [] {
        std::mt19937_64 rng(42);
        std::uniform_real_distribution<double> dlat(-1.0, 1.0), dlon(-1.5, 1.5), h(0.0, 100.0);
        const ZoneOrigin& o = ZoneAt(kZone9);
        std::vector<Point> v(4096);
        for (Point& p : v) p = {o.latDeg + dlat(rng), o.lonDeg + dlon(rng), h(rng)};
        return v;
    }();
    return points;
}

void Convert(benchmark::State& state, int src, int dst) {
    const auto& pts = Points();
    TPos pos;
    std::size_t i = 0;
    for (auto _ : state) {
        const Point& p = pts[i];
        i = (i + 1) & (pts.size() - 1);
        double X, Y, h;
        ConvertGeodetic(pos, src, dst, kZone9, p.latDeg * kDeg, p.lonDeg * kDeg, p.h, X, Y, h);
        benchmark::DoNotOptimize(X);
        benchmark::DoNotOptimize(Y);
        benchmark::DoNotOptimize(h);
    }
    state.SetItemsProcessed(state.iterations());
}
void BM_Convert_0_0(benchmark::State& s) {
    Convert(s, 0, 0);
}
void BM_Convert_0_1(benchmark::State& s) {
    Convert(s, 0, 1);
}
BENCHMARK(BM_Convert_0_0);
BENCHMARK(BM_Convert_0_1);

#ifdef TIDRUN_HAVE_PROJ
// The same chain as ConvertGeodetic, written as an explicit PROJ pipeline.
std::string Pipeline(int src, int dst) {
    auto ellps = [](int d) {
        return d == 0 ? std::string("+a=6378137.0 +rf=298.257223563")
                      : std::string("+a=6377397.155 +rf=299.1528128");
    };
    auto helmert = [](int d) {  // the datum's shift to the world frame (PROJ's towgs84)
        const Datum& t = DatumAt(d);
        char buf[128];
        std::snprintf(buf, sizeof buf, "+x=%.2f +y=%.2f +z=%.2f", -t.dX, -t.dY, -t.dZ);
        return std::string(buf);
    };
    const ZoneOrigin& o = ZoneAt(kZone9);
    char origin[128];
    std::snprintf(origin, sizeof origin, "+lat_0=%.12g +lon_0=%.15g", o.latDeg, o.lonDeg);
    return "+proj=pipeline "
           "+step +proj=unitconvert +xy_in=deg +z_in=m +xy_out=rad +z_out=m "
           "+step +proj=cart " +
           ellps(src) + " +step +proj=helmert " + helmert(src) + " +step +inv +proj=helmert " +
           helmert(dst) + " +step +inv +proj=cart " + ellps(dst) +
           " +step +proj=tmerc +algo=poder_engsager " + origin + " +k=0.9999 +x_0=0 +y_0=0 " +
           ellps(dst);
}

struct ProjRun {
    PJ_CONTEXT* ctx = nullptr;
    PJ* pj = nullptr;
    ProjRun(int src, int dst) {
        ctx = proj_context_create();
        pj = proj_create(ctx, Pipeline(src, dst).c_str());
        if (pj == nullptr) {
            std::fprintf(stderr, "PROJ cannot build the pipeline: %s\n",
                         proj_context_errno_string(ctx, proj_context_errno(ctx)));
            std::abort();
        }
    }
    ~ProjRun() {
        proj_destroy(pj);
        proj_context_destroy(ctx);
    }
    // Converts in place: x = longitude, y = latitude, z = height in; x = Y, y = X, z = h out.
    void Run(std::vector<double>& x, std::vector<double>& y, std::vector<double>& z) {
        const std::size_t n = x.size();
        proj_trans_generic(pj, PJ_FWD, x.data(), sizeof(double), n, y.data(), sizeof(double), n,
                           z.data(), sizeof(double), n, nullptr, 0, 0);
    }
};

void Fill(std::vector<double>& x, std::vector<double>& y, std::vector<double>& z) {
    const auto& pts = Points();
    x.resize(pts.size());
    y.resize(pts.size());
    z.resize(pts.size());
    for (std::size_t i = 0; i < pts.size(); ++i) {
        x[i] = pts[i].lonDeg;
        y[i] = pts[i].latDeg;
        z[i] = pts[i].h;
    }
}

// Both must agree within 0.1 mm on every point, or the comparison means nothing.
void CheckAgreement(int src, int dst) {
    ProjRun proj(src, dst);
    std::vector<double> x, y, z;
    Fill(x, y, z);
    proj.Run(x, y, z);
    const auto& pts = Points();
    TPos pos;
    double worst = 0;
    for (std::size_t i = 0; i < pts.size(); ++i) {
        double X, Y, h;
        if (!ConvertGeodetic(pos, src, dst, kZone9, pts[i].latDeg * kDeg, pts[i].lonDeg * kDeg,
                             pts[i].h, X, Y, h)) {
            std::fprintf(stderr, "conversion failed at point %zu\n", i);
            std::abort();
        }
        worst = std::max({worst, std::fabs(X - y[i]), std::fabs(Y - x[i]), std::fabs(h - z[i])});
    }
    if (!(worst <= 1e-4)) {
        std::fprintf(
            stderr, "DISAGREEMENT WITH PROJ: datums %d->%d differ by up to %.6g m (limit 1e-4 m)\n",
            src, dst, worst);
        std::abort();
    }
    std::fprintf(stderr, "agreement with PROJ, datums %d->%d: worst difference %.3g m\n", src, dst,
                 worst);
}

void Proj(benchmark::State& state, int src, int dst) {
    ProjRun proj(src, dst);
    std::vector<double> x0, y0, z0;
    Fill(x0, y0, z0);
    std::vector<double> x, y, z;
    for (auto _ : state) {
        state.PauseTiming();
        x = x0;
        y = y0;
        z = z0;
        state.ResumeTiming();
        proj.Run(x, y, z);
        benchmark::DoNotOptimize(x.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(x0.size()));
}
void BM_Proj_0_0(benchmark::State& s) {
    Proj(s, 0, 0);
}
void BM_Proj_0_1(benchmark::State& s) {
    Proj(s, 0, 1);
}
BENCHMARK(BM_Proj_0_0);
BENCHMARK(BM_Proj_0_1);
#endif

std::string WithChecksum(const std::string& body) {
    unsigned x = 0;
    for (unsigned char c : body) x ^= c;
    char cs[8];
    std::snprintf(cs, sizeof cs, "*%02X\r", x);
    return "$" + body + cs;
}

// A handful of sentences of one kind with varying numbers, decoded in turn.
std::vector<std::string> Sentences(const char* kind) {
    std::vector<std::string> v;
    char body[200];
    for (int i = 0; i < 16; ++i) {
        const double lat = 3526.99992248 + i * 0.00013, lon = 13946.80003129 + i * 0.00021;
        const std::string k = kind;
        if (k == "GGA") {
            std::snprintf(body, sizeof body,
                          "GPGGA,0300%02d.%02d,%.8f,N,%.8f,E,4,%02d,1.%d,%.3f,M,36.700,M,%.1f,0133",
                          i, i * 5, lat, lon, 8 + i % 5, i % 10, 2.5 + i * 0.01, i * 0.3);
        } else if (k == "GGK") {
            std::snprintf(body, sizeof body,
                          "PTNL,GGK,0300%02d.%02d,060124,%.8f,N,%.8f,E,3,%02d,1.%d,EHT%.3f,M", i,
                          i * 5, lat, lon, 8 + i % 5, i % 10, 39.2 + i * 0.01);
        } else {
            std::snprintf(body, sizeof body,
                          "GPRMC,0300%02d.%02d,A,%.8f,N,%.8f,E,%.3f,%.2f,010624,,,D", i, i * 5, lat,
                          lon, 3.0 + i * 0.1, 27.6 + i);
        }
        v.push_back(WithChecksum(body));
    }
    return v;
}

void Decode(benchmark::State& state, const char* kind) {
    const std::vector<std::string> sentences = Sentences(kind);
    TNMEA nmea;
    nmea.Decode(sentences[0]);
    if (nmea.errorFlag != 0) {
        std::fprintf(stderr, "benchmark sentence does not decode: %s\n", sentences[0].c_str());
        std::abort();
    }
    std::size_t i = 0;
    for (auto _ : state) {
        nmea.Decode(sentences[i]);
        i = (i + 1) & 15;
        benchmark::DoNotOptimize(nmea.latitude);
        benchmark::DoNotOptimize(nmea.speed);
    }
    state.SetItemsProcessed(state.iterations());
}
void BM_Decode_GGA(benchmark::State& s) {
    Decode(s, "GGA");
}
void BM_Decode_GGK(benchmark::State& s) {
    Decode(s, "GGK");
}
void BM_Decode_RMC(benchmark::State& s) {
    Decode(s, "RMC");
}
BENCHMARK(BM_Decode_GGA);
BENCHMARK(BM_Decode_GGK);
BENCHMARK(BM_Decode_RMC);

// A sounder's DPT with offset, as most send it: depth and offset varying, a checksum.
void BM_Decode_DPT(benchmark::State& state) {
    std::vector<std::string> sentences;
    char body[64];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(body, sizeof body, "SDDPT,%.2f,0.60,100", 8.4 + i * 0.07);
        sentences.push_back(WithChecksum(body));
    }
    if (!DecodeDepth(sentences[0], 0.5)) {
        std::fprintf(stderr, "benchmark sentence does not decode: %s\n", sentences[0].c_str());
        std::abort();
    }
    std::size_t i = 0;
    for (auto _ : state) {
        auto r = DecodeDepth(sentences[i], 0.5);
        i = (i + 1) & 15;
        benchmark::DoNotOptimize(r);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Decode_DPT);

}  // namespace

int main(int argc, char** argv) {
#ifdef TIDRUN_HAVE_PROJ
    CheckAgreement(0, 0);
    CheckAgreement(0, 1);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
