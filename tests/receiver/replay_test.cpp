// Replay sources and port names: how a recorded file is cut into paced steps, how it plays
// and loops, and how "COM1".."COM8" map to links.
#include "platform/portmap.h"
#include "platform/replaylink.h"
#include "platform/serialportlink.h"
#include "positioning/fixpacing.h"
#include "positioning/gps.h"

#include "platform/messagesink.h"
#include "receiver_support.h"

#include <QBuffer>
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
    QByteArray content = "# header\n" + a + Rmc() + b + c + ggk + d + e + Rmc();
    QBuffer file(&content);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    ReplayCutter cutter(std::make_unique<TFixTimePacing>());
    std::vector<QByteArray> steps;
    std::vector<int> delays;
    for (auto s = cutter.Next(file); !s.bytes.isEmpty(); s = cutter.Next(file)) {
        steps.push_back(s.bytes);
        delays.push_back(s.delayMs);
    }
    // Each step ends with its position sentence's carriage return; the rest comes last.
    const std::vector<QByteArray> expected = {"# header\n" + Packet(a),
                                              "\n" + Packet(Rmc()) + "\n" + Packet(b),
                                              "\n" + Packet(c),
                                              "\n" + Packet(ggk),
                                              "\n" + Packet(d),
                                              "\n" + Packet(e),
                                              "\n" + Rmc()};
    EXPECT_EQ(steps, expected);
    // 60 s are cut to 2 s, and 23:59:59.5 to 00:00:00.5 is one second past midnight.
    EXPECT_EQ(delays, (std::vector<int>{0, 200, 2000, 400, 2000, 1000, 0}));

    // Without any fix or sentence, the file still comes in bounded steps, once a second.
    QByteArray junk(3 * ReplayCutter::kMaxStepBytes + 5, '\0');
    QBuffer junkFile(&junk);
    ASSERT_TRUE(junkFile.open(QIODevice::ReadOnly));
    ReplayCutter junkCutter(std::make_unique<TFixTimePacing>());
    std::vector<std::pair<qsizetype, int>> pieces;
    for (auto s = junkCutter.Next(junkFile); !s.bytes.isEmpty(); s = junkCutter.Next(junkFile))
        pieces.emplace_back(s.bytes.size(), s.delayMs);
    const std::vector<std::pair<qsizetype, int>> want = {{ReplayCutter::kMaxStepBytes, 1000},
                                                         {ReplayCutter::kMaxStepBytes, 1000},
                                                         {ReplayCutter::kMaxStepBytes, 1000},
                                                         {5, 0}};
    EXPECT_EQ(pieces, want);
}

TEST(ReplayLinkTest, ASounderFileStepsASentenceAtItsRate) {
    QByteArray content = Sentence("SDDPT,8.40,0.60") + "junk" + Sentence("SDDBT,,f,3.1,M,,F") +
                         Sentence("SDDPT,8.50,0.60");
    QBuffer file(&content);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    ReplayCutter cutter(std::make_unique<TSentenceRatePacing>(143));
    std::vector<int> delays;
    int steps = 0;
    for (auto s = cutter.Next(file); !s.bytes.isEmpty(); s = cutter.Next(file)) {
        ++steps;
        delays.push_back(s.delayMs);
    }
    EXPECT_EQ(steps, 4);  // three sentences, then the line end after the last
    EXPECT_EQ(delays, (std::vector<int>{0, 143, 143, 0}));
}

// Only a regular file is a replay source; a large one is read as it plays, not at once.
TEST(ReplayLinkTest, EndlessOrHugeSourcesAreRefusedOrReadInPieces) {
    for (const char* device : {"/dev/zero", "/dev/null", "/tmp"}) {
        ReplayLink link(QString::fromLatin1(device), std::make_unique<TFixTimePacing>());
        EXPECT_FALSE(link.Open()) << device;
        EXPECT_FALSE(link.IsOpen()) << device;
        EXPECT_TRUE(link.ErrorText().contains(QLatin1String(device))) << device;
    }

    QTemporaryDir dir;
    const QString path = dir.filePath("huge.nmea");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(GgaAt("120000.00"));
        ASSERT_TRUE(f.resize(512LL << 20));  // sparse: NUL bytes that take no disk
    }
    ReplayLink link(path, std::make_unique<TFixTimePacing>());
    std::vector<qsizetype> chunks;
    QObject::connect(&link, &SerialLink::BytesReceived,
                     [&](const QByteArray& d) { chunks.push_back(d.size()); });
    ASSERT_TRUE(link.Open());
    ASSERT_TRUE(WaitUntil([&] { return chunks.size() >= 2; }, 5000));
    link.Close();
    EXPECT_EQ(chunks[0], GgaAt("120000.00").size() - 1);  // through the carriage return
    EXPECT_EQ(chunks[1], ReplayCutter::kMaxStepBytes);
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
    ReplayLink link(path, std::make_unique<TFixTimePacing>());
    QByteArray received;
    QObject::connect(&link, &SerialLink::BytesReceived,
                     [&](const QByteArray& d) { received += d; });
    TGPS gps;
    gps.SetInputPort(&link, 0, 0, 8);
    int positions = 0;
    QObject::connect(&gps, &TGPS::PositionFixed, [&](const TGpsPosition&) { ++positions; });
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
    ReplayLink link(QStringLiteral("/nonexistent/track.nmea"), std::make_unique<TFixTimePacing>());
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

    // Split into kind and path, and described as the settings dialog shows it.
    const PortTarget device = ResolvePort("COM2", "/dev/ttyUSB0", program);
    EXPECT_FALSE(device.replay);
    EXPECT_EQ(device.path, "/dev/ttyUSB0");
    const PortTarget track = ResolvePort("COM1", "replay:track.nmea", program);
    EXPECT_TRUE(track.replay);
    EXPECT_EQ(track.path, "/opt/tidrun/track.nmea");
    EXPECT_EQ(DescribePort("COM1", "replay:track.nmea", program),
              QStringLiteral("COM1 → replay:/opt/tidrun/track.nmea"));
    EXPECT_EQ(DescribePort("COM3", "", program), QStringLiteral("COM3 → /dev/ttyS2"));

    QObject parent;
    SerialLink* serial = MakeSerialLink(device, std::make_unique<TFixTimePacing>(), &parent);
    SerialLink* replay = MakeSerialLink(ResolvePort("COM1", "replay:/srv/t.nmea", program),
                                        std::make_unique<TFixTimePacing>(), &parent);
    EXPECT_NE(qobject_cast<SerialPortLink*>(serial), nullptr);
    EXPECT_EQ(serial->Source(), "/dev/ttyUSB0");
    EXPECT_NE(qobject_cast<ReplayLink*>(replay), nullptr);
    EXPECT_EQ(replay->Source(), "replay:/srv/t.nmea");
    EXPECT_EQ(replay->parent(), &parent);
    EXPECT_FALSE(MakeSerialLink(ResolvePort("COM1", "replay:", program), nullptr, &parent)->Open());
}

}  // namespace
}  // namespace tidrun
