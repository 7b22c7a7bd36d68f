// What the console shows of the receiver's positions, decided without a window.
#include "console/fixview.h"
#include "planview/mapmessages.h"
#include "positioning/depth.h"
#include "positioning/nmea.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tidrun {
namespace {

TEST(FixView, CoordinateColourFollowsQualityThenDifferentialAge) {
    EXPECT_EQ(PositionColour(0, 0, true), 0x008080u);
    EXPECT_EQ(PositionColour(1, 20, true), 0x008080u);  // no differential fix: age ignored
    EXPECT_EQ(PositionColour(2, 5, true), 0x0000FFu);   // 5 s is not above 5
    EXPECT_EQ(PositionColour(2, 5.1, true), 0x800080u);
    EXPECT_EQ(PositionColour(4, 10, true), 0x800080u);
    EXPECT_EQ(PositionColour(4, 10.01, true), 0xFF0000u);
    EXPECT_EQ(PositionColour(6, 0, false), 0x808080u);  // not measured: no fix-quality colour
}

TEST(FixView, MonitorTextsOfPositionAndCourseSentences) {
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

TEST(FixView, MillimetresAreTruncatedTowardZeroAndNeverOverflow) {
    EXPECT_EQ(ToMillimetres(-67629.9879), -67629987);
    EXPECT_EQ(ToMillimetres(3294.8899), 3294889);
    EXPECT_EQ(ToMillimetres(-0.0009), 0);
    EXPECT_EQ(ToMillimetres(1e12), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ToMillimetres(-1e12), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ToMillimetres(std::nan("")), 0);
}

TEST(FixView, CoordinateTextsAndAge) {
    EXPECT_EQ(FormatX(-67629.98765), " -67629.988");
    EXPECT_EQ(FormatX(12.3456), "     12.346");
    EXPECT_EQ(FormatY(3294.889), "  3294.889");
    EXPECT_EQ(AgeSuffix(3999), QStringLiteral("（3秒前）"));
    EXPECT_EQ(AgeSuffix(125000), QStringLiteral("（2分前）"));
    EXPECT_EQ(AgeSuffix(7300000), QStringLiteral("（2時間前）"));
}

TEST(FixView, FixWatchGoesStaleOnlyWhileConnected) {
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

// The coordinate labels through a job's life: only a position of this job's live receiver,
// younger than the limit, has a live colour.
TEST(FixView, CoordinatesAreLiveOnlyWhileFreshPositionsFlow) {
    const QString x = FormatX(-67629.988), y = FormatY(3294.890);
    const QString nx = DesignXText() + QStringLiteral(" （測位なし）");
    const QString ny = DesignYText() + QStringLiteral(" （測位なし）");
    enum Step { kConnect, kPosition, kLose, kNone };
    struct Case {
        const char* what;
        Step step;      // what happens at 10 s
        qint64 readAt;  // ms
        bool lost;
        CoordinateView want;
    } cases[] = {
        {"never opened", kNone, 60000, false, {DesignXText(), DesignYText(), kStaleColour, true}},
        {"connected, silent 3 s",
         kConnect,
         13000,
         false,
         {DesignXText(), DesignYText(), kStaleColour, true}},
        {"connected, no fix 4 s", kConnect, 14000, false, {nx, ny, kStaleColour, true}},
        {"lost before any fix", kConnect, 10500, true, {nx, ny, kStaleColour, true}},
        {"fresh fix", kPosition, 12900, false, {x, y, 0x0000FF, false}},
        {"fix 5 s old",
         kPosition,
         15000,
         false,
         {x + " （5秒前）", y + " （5秒前）", kStaleColour, true}},
        {"fix 2 min old",
         kPosition,
         130000,
         false,
         {x + " （2分前）", y + " （2分前）", kStaleColour, true}},
        {"port lost after a fix",
         kLose,
         11000,
         true,
         {x + " （1秒前）", y + " （1秒前）", kStaleColour, true}},
    };
    for (const Case& c : cases) {
        TFixWatch w;
        QString lx, ly;
        if (c.step != kNone) w.Connected(10000);
        if (c.step == kPosition || c.step == kLose) {
            w.Position(10000);
            lx = x;
            ly = y;
        }
        if (c.lost) w.Disconnected();
        EXPECT_EQ(CoordinateViewFor(w, c.lost, lx, ly, 0x0000FF, c.readAt), c.want) << c.what;
    }
}

// The depth window: the last depth with its kind and age, gray once old or with the port
// gone, the no-bottom text, and a plain placeholder before the first depth.
TEST(FixView, DepthWindowTexts) {
    const TDepthReading dpt{TDepthKind::DPT, true, 12.345};
    const TDepthReading none{TDepthKind::DBT, false, 0};
    struct Case {
        std::optional<TDepthReading> last;
        qint64 age;
        bool lost;
        DepthView want;
    } cases[] = {
        {dpt, 400, false, {" 12.35 m", "DPT", "0.4秒前", "", false}},
        {dpt, 3000, false, {" 12.35 m", "DPT", "3.0秒前", "", false}},
        {dpt, 3001, false, {" 12.35 m", "DPT", "3.0秒前", "", true}},
        {dpt, 125000, false, {" 12.35 m", "DPT", "125秒前", "", true}},
        {dpt,
         200,
         true,
         {" 12.35 m", "DPT", "0.2秒前", "測深 COM3 が切断されました（再接続中）", true}},
        {none, 100, false, {"（水深なし）", "DBT", "0.1秒前", "", false}},
        {std::nullopt, 0, false, {"   --.-- m", "", "", "", true}},
    };
    for (const Case& c : cases) {
        const DepthView v = DepthViewFor(c.last, c.age, c.lost, QStringLiteral("COM3"));
        EXPECT_EQ(v, c.want) << c.age << " " << v.depth.toStdString() << "|" << v.age.toStdString();
    }
}

}  // namespace
}  // namespace tidrun
