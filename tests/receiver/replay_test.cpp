// Replay sources and port names: how a recorded file is cut into paced steps, how it plays
// and loops, and how "COM1".."COM8" map to links.
#include "platform/portmap.h"
#include "platform/replaylink.h"
#include "platform/serialportlink.h"
#include "positioning/gps.h"

#include "platform/messagesink.h"
#include "receiver_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tidrun {
namespace {

using namespace tidrun::test;

QByteArray GgaAt(const char* time) {
    return Sentence(QByteArray("GPGGA,") + time +
                    ",3525.1234,N,13945.6789,E,1,08,0.9,10.0,M,39.0,M,,");
}

TEST(ReplayLinkTest, StepsFollowTheFixTimesWithAtMostTwoSeconds) {
    const QByteArray a = GgaAt("120000.00"), b = GgaAt("120000.20"), c = GgaAt("120100.00"),
                     d = GgaAt("235959.50"), e = GgaAt("000000.50");
    const QByteArray ggk =
        Sentence("PTNL,GGK,120100.40,120826,3525.1234,N,13945.6789,E,3,08,1.2,EHT49.000,M");
    const QByteArray content = "# header\n" + a + Rmc() + b + c + ggk + d + e + Rmc();
    const auto steps = ReplayLink::PlanSteps(content);
    ASSERT_EQ(steps.size(), 6u);
    // Each step ends with its position sentence's carriage return; the last takes the rest.
    EXPECT_EQ(steps[0].end, content.indexOf(a) + a.size() - 1);
    EXPECT_EQ(steps[1].end, content.indexOf(b) + b.size() - 1);
    EXPECT_EQ(steps[3].end, content.indexOf(ggk) + ggk.size() - 1);
    EXPECT_EQ(steps[5].end, content.size());
    std::vector<int> delays;
    for (const auto& s : steps) delays.push_back(s.delayMs);
    // First: the pause before the file starts again (its first step). 60 s are cut to 2 s,
    // and 23:59:59.5 to 00:00:00.5 is one second past midnight.
    EXPECT_EQ(delays, (std::vector<int>{200, 200, 2000, 400, 2000, 1000}));

    EXPECT_TRUE(ReplayLink::PlanSteps({}).empty());
    const auto noFix = ReplayLink::PlanSteps(Rmc() + Rmc());
    ASSERT_EQ(noFix.size(), 1u);  // the whole file at once, once a second
    EXPECT_EQ(noFix[0].delayMs, ReplayLink::kDefaultStepMs);
}

TEST(ReplayLinkTest, PlaysThroughTheReceiverAndLoops) {
    QTemporaryDir dir;
    const QString path = dir.filePath("track.nmea");
    const QByteArray content =
        GgaAt("120000.00") + Rmc() + GgaAt("120000.10") + GgaAt("120000.20") + "junk";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    ReplayLink link(path);
    QByteArray received;
    QObject::connect(&link, &SerialLink::BytesReceived,
                     [&](const QByteArray& d) { received += d; });
    RecordingSink sink;
    TGPS gps(sink);
    gps.SetInputPort(&link, 0, 0, 8);
    int positions = 0;
    gps.OnPosition = [&](double, double, double, const QDateTime&) { return ++positions > 0; };
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(gps.Open());
    EXPECT_EQ(link.FreeSendSpace(), 4096);
    EXPECT_TRUE(link.Write("ignored"));

    ASSERT_TRUE(WaitUntil([&] { return positions >= 7; }));
    // Seven fixes need six paced steps of 100 ms; a timer may fire a little early.
    EXPECT_GE(clock.elapsed(), 400);
    EXPECT_TRUE(received.startsWith(content + content));
    gps.Close();
    EXPECT_FALSE(link.IsOpen());
    const qsizetype size = received.size();
    Spin(300);
    EXPECT_EQ(received.size(), size) << "closed: no more data";
}

TEST(ReplayLinkTest, MissingFileDoesNotOpen) {
    ReplayLink link(QStringLiteral("/nonexistent/track.nmea"));
    EXPECT_FALSE(link.Open());
    EXPECT_FALSE(link.IsOpen());
    EXPECT_FALSE(link.ErrorText().isEmpty());
    EXPECT_EQ(link.Source(), "replay:/nonexistent/track.nmea");
}

TEST(PortMapTest, NamesMapToDevicesAndReplaySources) {
    const QString program = QStringLiteral("/opt/tidrun");
    EXPECT_EQ(PortSource("COM1", "", program), "/dev/ttyS0");
    EXPECT_EQ(PortSource("COM8", "  ", program), "/dev/ttyS7");
    EXPECT_EQ(PortSource("COM2", " /dev/ttyUSB0 ", program), "/dev/ttyUSB0");
    EXPECT_EQ(PortSource("COM1", "replay:track.nmea", program), "replay:/opt/tidrun/track.nmea");
    EXPECT_EQ(PortSource("COM1", "replay:../data/t.nmea", program), "replay:/opt/data/t.nmea");
    EXPECT_EQ(PortSource("COM1", "replay:/srv/t.nmea", program), "replay:/srv/t.nmea");
    EXPECT_EQ(PortSource("COM1", "replay:", program), "replay:");
    EXPECT_EQ(PortSource("ttyACM0", "", program), "ttyACM0");
    EXPECT_EQ(PortNumber("com3"), 3);
    EXPECT_EQ(PortNumber("COM"), 0);
    EXPECT_EQ(PortNumber("COM-1"), 0);
    EXPECT_EQ(PortNumber("COMx"), 0);

    QObject parent;
    SerialLink* serial = MakeSerialLink("/dev/ttyUSB0", &parent);
    SerialLink* replay = MakeSerialLink("replay:/srv/t.nmea", &parent);
    EXPECT_NE(qobject_cast<SerialPortLink*>(serial), nullptr);
    EXPECT_EQ(serial->Source(), "/dev/ttyUSB0");
    EXPECT_NE(qobject_cast<ReplayLink*>(replay), nullptr);
    EXPECT_EQ(replay->Source(), "replay:/srv/t.nmea");
    EXPECT_EQ(replay->parent(), &parent);
    EXPECT_FALSE(MakeSerialLink("replay:", &parent)->Open());
}

}  // namespace
}  // namespace tidrun
