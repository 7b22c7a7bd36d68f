// The main window's rules that need no window.
#include "console/mainlogic.h"
#include "planview/mapmessages.h"
#include "positioning/nmea.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tidrun {
namespace {

TEST(MainLogic, DateAndTimeFormats) {
    EXPECT_EQ(FormatShortDate(QDate(2026, 1, 5)), "26/01/05");
    EXPECT_EQ(FormatShortTime(QTime(7, 3, 9)), "7:03:09");
    EXPECT_EQ(FormatShortDateTime(QDateTime(QDate(2026, 12, 8), QTime(23, 59, 0))),
              "26/12/08 23:59:00");
    // The date label names the weekday in Japanese and ends with a full-width space.
    EXPECT_EQ(DateLabelText(QDate(2026, 12, 8)), QStringLiteral("2026年12月8日(火)　"));
    EXPECT_EQ(DateLabelText(QDate(2027, 1, 3)), QStringLiteral("2027年1月3日(日)　"));
}

TEST(MainLogic, TitlesAndInformationLine) {
    EXPECT_EQ(JobTitle(QStringLiteral("  東京湾 測量 "), QStringLiteral("世界測地系")),
              QStringLiteral("Tidrun for GPS　東京湾 測量（世界測地系）"));
    EXPECT_EQ(InfoLineText(QStringLiteral("基準点「A」\r\n\nＸ＝ 1.0\r\nＹ＝ 2.0")),
              QStringLiteral("　基準点「A」  \nＸ＝ 1.0  Ｙ＝ 2.0"));
    EXPECT_EQ(InfoLineText({}), QStringLiteral("　"));
}

TEST(MainLogic, CoordinateColourFollowsQualityThenDifferentialAge) {
    EXPECT_EQ(PositionColour(0, 0, true), 0x008080u);
    EXPECT_EQ(PositionColour(1, 20, true), 0x008080u);  // no differential fix: age ignored
    EXPECT_EQ(PositionColour(2, 5, true), 0x0000FFu);   // 5 s is not above 5
    EXPECT_EQ(PositionColour(2, 5.1, true), 0x800080u);
    EXPECT_EQ(PositionColour(4, 10, true), 0x800080u);
    EXPECT_EQ(PositionColour(4, 10.01, true), 0xFF0000u);
    EXPECT_EQ(PositionColour(6, 0, false), 0x808080u);  // not measured: no fix-quality colour
}

TEST(MainLogic, ModeText) {
    EXPECT_EQ(RecordingModeText(0, 30), QStringLiteral("30秒"));
    EXPECT_EQ(RecordingModeText(1, 30), QStringLiteral("手動"));
    EXPECT_EQ(RecordingModeText(2, 30), QStringLiteral("ALL"));
    EXPECT_EQ(RecordingModeText(-1, 30), QStringLiteral("？？？"));
}

// Source datum, target datum and zone as the receiver gets them.
TEST(MainLogic, ConversionParameters) {
    struct Case {
        int gps, map;
        bool newShift;
        int zone;
        ConversionParams want;
    } cases[] = {
        {0, 0, true, 8, {0, 0, 8}},   // WGS84 onto the world datum
        {0, 1, true, 8, {0, 1, 8}},   // onto the old datum, new parameters
        {0, 1, false, 8, {0, 2, 8}},  // old parameters
        {1, 0, true, 8, {1, 0, 8}},   // Bessel positions onto the world datum
        {1, 1, false, 8, {2, 2, 8}},  // Bessel positions stay on the old datum
        {0, 0, true, 17, {0, 0, 17}}, {0, 0, true, 18, {0, 0, 18}},  // "19系" and anything unknown
        {0, 0, true, -1, {0, 0, 18}}, {5, 0, true, 0, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        const ConversionParams p = ConversionFor(c.gps, c.map, c.newShift, c.zone);
        EXPECT_EQ(p.gpsDatumMode, c.want.gpsDatumMode) << c.gps << " " << c.map;
        EXPECT_EQ(p.shiftMode, c.want.shiftMode) << c.gps << " " << c.map;
        EXPECT_EQ(p.zone, c.want.zone) << c.zone;
    }
}

TEST(MainLogic, MonitorTextsOfPositionAndCourseSentences) {
    GpsFix fix;
    fix.kind = kKindGGA;
    fix.latitude = 3523.4241;
    fix.longitude = 13952.1641;
    fix.altitude = 3.181;
    fix.geoidSeparation = 36.7;
    fix.satellites = 12;
    fix.quality = 4;
    fix.dop = 0.8;
    fix.stationId = 1;
    fix.dgpsAge = 1.65;
    MonitorTexts t;
    ASSERT_TRUE(MonitorTextsFor(fix, QTime(9, 5, 7), t));
    EXPECT_EQ(t.time, "09:05:07");
    EXPECT_EQ(t.lat, QStringLiteral("緯度:3523.424100"));
    EXPECT_EQ(t.lon, QStringLiteral("経度:13952.164100"));
    EXPECT_EQ(t.alt, QStringLiteral("高度:39.881"));
    EXPECT_EQ(t.sat, QStringLiteral("衛星数:12"));
    EXPECT_EQ(t.quality, QStringLiteral("測位状態:4"));
    EXPECT_EQ(t.dop, QStringLiteral("DOP:0.800000"));
    EXPECT_EQ(t.station, QStringLiteral("基地局ID:1"));
    EXPECT_EQ(t.age, QStringLiteral("間隔:1.6"));
    EXPECT_TRUE(t.speed.isEmpty());

    fix.kind = kKindRMC;
    fix.speed = 5.88;
    fix.course = 12.5;
    MonitorTexts r;
    ASSERT_TRUE(MonitorTextsFor(fix, {}, r));
    EXPECT_EQ(r.speed, QStringLiteral("速度:5.880000"));
    EXPECT_EQ(r.course, QStringLiteral("方向:12.500000"));
    EXPECT_TRUE(r.lat.isEmpty());

    // A GGK shows its own values; it carries no station and no differential age.
    fix.kind = kKindGGK;
    fix.geoidSeparation = 0;  // as the decoder leaves it: the height is ellipsoidal
    MonitorTexts k;
    ASSERT_TRUE(MonitorTextsFor(fix, QTime(9, 5, 8), k));
    EXPECT_EQ(k.time, "09:05:08");
    EXPECT_EQ(k.lat, QStringLiteral("緯度:3523.424100"));
    EXPECT_EQ(k.alt, QStringLiteral("高度:3.181"));
    EXPECT_EQ(k.quality, QStringLiteral("測位状態:4"));
    EXPECT_EQ(k.station, QStringLiteral("基地局ID:"));
    EXPECT_EQ(k.age, QStringLiteral("間隔:"));
    fix.errorFlag = -1;  // an impossible time: decoded no further
    EXPECT_FALSE(MonitorTextsFor(fix, {}, k));
}

TEST(MainLogic, MillimetresAreTruncatedTowardZeroAndNeverOverflow) {
    EXPECT_EQ(ToMillimetres(-67629.9879), -67629987);
    EXPECT_EQ(ToMillimetres(3294.8899), 3294889);
    EXPECT_EQ(ToMillimetres(-0.0009), 0);
    EXPECT_EQ(ToMillimetres(1e12), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ToMillimetres(-1e12), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ToMillimetres(std::nan("")), 0);
}

TEST(MainLogic, CoordinateTextsAndAge) {
    EXPECT_EQ(FormatX(-67629.98765), " -67629.988");
    EXPECT_EQ(FormatX(12.3456), "     12.346");
    EXPECT_EQ(FormatY(3294.889), "  3294.889");
    EXPECT_EQ(AgeSuffix(3999), QStringLiteral("（3秒前）"));
    EXPECT_EQ(AgeSuffix(125000), QStringLiteral("（2分前）"));
    EXPECT_EQ(AgeSuffix(7300000), QStringLiteral("（2時間前）"));
}

TEST(MainLogic, FixWatchGoesStaleOnlyWhileConnected) {
    TFixWatch w;
    EXPECT_FALSE(w.Stale(100000));  // not connected: never stale
    w.Connected(1000);
    EXPECT_FALSE(w.Stale(4000));  // exactly 3 s is not more than 3 s
    EXPECT_TRUE(w.Stale(4001));   // no position at all since the connection
    w.Position(5000);
    EXPECT_FALSE(w.Stale(8000));
    EXPECT_TRUE(w.Stale(8001));
    EXPECT_EQ(w.Age(9500), 4500);
    w.Disconnected();  // a lost port is reported as such, not as an old position
    EXPECT_FALSE(w.Stale(20000));
}

}  // namespace
}  // namespace tidrun
