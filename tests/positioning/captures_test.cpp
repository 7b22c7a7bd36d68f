// The decoder and framer over real receiver captures.
#include <gtest/gtest.h>

#include <cmath>

#include "positioning/framer.h"
#include "positioning/geodesy.h"
#include "positioning/nmea.h"
#include "tests/positioning/test_util.h"

namespace tidrun {
namespace {

struct Tally {
    int sentences = 0, gga = 0, rmc = 0, ggk = 0, positions = 0;
    double latMin = 1e9, latMax = -1e9, lonMin = 1e9, lonMax = -1e9;  // degrees of valid GGA
};

double Degrees(double nmea) {
    const double d = std::trunc(nmea / 100);
    return d + (nmea - d * 100) / 60;
}

Tally Replay(const char* file) {
    const std::string bytes = test::ReadAll(test::kNmeaData + QLatin1String(file));
    EXPECT_FALSE(bytes.empty()) << file;
    Tally t;
    SentenceFramer framer;
    TNMEA nmea;
    TPos pos;
    framer.Feed(bytes, [&](std::string_view packet) {
        nmea.Decode(packet);
        ++t.sentences;
        if (nmea.ChecksumMatched()) {
            t.gga += nmea.kind == kKindGGA;
            t.rmc += nmea.kind == kKindRMC;
            t.ggk += nmea.kind == kKindGGK;
            if (nmea.kind == kKindGGA && nmea.latitude != 0) {
                t.latMin = std::min(t.latMin, Degrees(nmea.latitude));
                t.latMax = std::max(t.latMax, Degrees(nmea.latitude));
                t.lonMin = std::min(t.lonMin, Degrees(nmea.longitude));
                t.lonMax = std::max(t.lonMax, Degrees(nmea.longitude));
            }
        }
        t.positions += ConvertFix(pos, nmea, 0, 0, 8).valid;
    });
    return t;
}

TEST(Captures, SentenceCountsOfReceiversThatEndLinesWithCarriageReturn) {
    // file, GGA, RMC, GGK with a good checksum, framed as the receiver frames them
    const struct {
        const char* file;
        int gga, rmc, ggk;
    } cases[] = {
        {"gpsd/ac12_binary.log", 5, 5, 0},
        {"gpsd/beidou-bd.log", 10, 10, 0},  // one RMC starts after a blank
        {"gpsd/beidou-gb.log", 5, 5, 0},
        {"gpsd/bu353-glonass.log", 18, 19, 0},
        {"gpsd/firefly-II.log", 0, 23, 0},  // every GGA has a wrong checksum
        {"gpsd/gp-320fw-2019-04-07-coldboot.log", 10, 16, 0},
        {"gpsd/gpsdf.log", 51, 51, 0},
        {"gpsd/nmea-rtk.log", 122, 122, 0},
        {"gpsd/quectel-l76k-dual.log", 130, 130, 0},  // after binary data, mid-line
        {"gpsd/rst39.log", 40, 4, 0},
        {"gpsd/skytraq-PX1172RH_DS.log", 9, 9, 0},
        {"gpsd/telit-pls83-w.log", 20, 20, 0},  // CR CR LF
        {"gpsd/ublox-8.log", 72, 72, 0},        // line noise before the first RMC
        {"gpsd/ublox-zed-f9p-nmea.log", 29, 29, 0},
        {"gpsd/ublox-zed-f9p_hpg1.11.log", 655, 655, 0},
        {"gpsd/venus634lp.log", 6, 6, 0},
        {"pynmeagps/trimble_nmea.log", 0, 0, 1},
        {"vendor-doc-examples/ptnl_ggk_doc_examples.txt", 0, 0, 3},
    };
    for (const auto& c : cases) {
        const Tally t = Replay(c.file);
        EXPECT_EQ(t.gga, c.gga) << c.file;
        EXPECT_EQ(t.rmc, c.rmc) << c.file;
        EXPECT_EQ(t.ggk, c.ggk) << c.file;
    }
}

TEST(Captures, LineFeedOnlyCapturesFrameNothing) {
    for (const char* file :
         {"gpsd/iTrek.log", "gpsd/haicom-305N.log", "gpsd/hemi.log", "gpsd/telit-he910.log",
          "gpsd/quectel-l76k-nmea.log", "gpsd/sirfstarv-nmea.log", "gpsd/et-332.log",
          "gpsd/holux-gm-210.log", "gpsd/hp58534a.log", "gpsd/mtk-3301.log", "gpsd/tr737A+.log",
          "gpsd/triton400.log"}) {
        EXPECT_EQ(Replay(file).sentences, 0) << file;
    }
}

TEST(Captures, PositionsAndAnglesAsSent) {
    // Iowa, west: longitudes decode positive.
    Tally t = Replay("gpsd/nmea-rtk.log");
    EXPECT_EQ(t.positions, 122);
    EXPECT_NEAR(t.latMin, 41.574954, 1e-6);
    EXPECT_NEAR(t.latMax, 41.575030, 1e-6);
    EXPECT_NEAR(t.lonMin, 93.750553, 1e-6);
    EXPECT_NEAR(t.lonMax, 93.750598, 1e-6);

    // New Zealand, south: latitudes decode positive.
    t = Replay("gpsd/ublox-zed-f9p-nmea.log");
    EXPECT_EQ(t.positions, 29);
    EXPECT_NEAR(t.latMin, 45.877566, 1e-6);
    EXPECT_NEAR(t.latMax, 45.877567, 1e-6);

    // GGA without a fix (quality 0, empty position) gives no position.
    EXPECT_EQ(Replay("gpsd/bu353-glonass.log").positions, 8);
    EXPECT_EQ(Replay("gpsd/beidou-bd.log").positions, 5);
    // Wrong GGA checksums give no position either.
    EXPECT_EQ(Replay("gpsd/firefly-II.log").positions, 0);
    // GGK documentation examples: the empty form has quality 0.
    EXPECT_EQ(Replay("vendor-doc-examples/ptnl_ggk_doc_examples.txt").positions, 2);
}

}  // namespace
}  // namespace tidrun
