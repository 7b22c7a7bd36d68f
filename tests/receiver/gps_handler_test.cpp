// The receiver's packet handling with in-process links: event order, the position rule,
// forwarding, open and close, re-entrancy and reconnection.
#include "positioning/gps.h"

#include "platform/messagesink.h"
#include "receiver_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace tidrun {
namespace {

using namespace tidrun::test;

class ReceiverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        in.events = &events;
        out.events = &events;
        gps.SetInputPort(&in, 0, 0, 8);  // world datum, zone 9
        QObject::connect(&gps, &TGPS::SentenceDecoded, [this](const TNMEA& n, qint64 at) {
            events.push_back("monitor:" + std::to_string(n.kind));
            EXPECT_EQ(at, utcNow);
        });
        QObject::connect(&gps, &TGPS::PositionFixed, [this](const TGpsPosition& p) {
            events.push_back("position");
            positions.push_back({p.X, p.Y, p.h});
            times.push_back(p.time);
            EXPECT_EQ(p.nmea, &gps.NMEA());
            sentences += QByteArray(p.sentence.data(), qsizetype(p.sentence.size()));
        });
    }

    struct Pos {
        double X, Y, h;
    };
    QTemporaryDir dir;
    RecordingSink sink;
    FakeLink in, out;
    // A minute after the fixes of Gga(), which dates them 8 December 2026.
    qint64 utcNow = QDateTime(QDate(2026, 12, 8), QTime(12, 36), Qt::UTC).toMSecsSinceEpoch();
    TGPS gps{nullptr, [this] { return utcNow; }};
    std::vector<std::string> events;
    std::vector<Pos> positions;
    std::vector<QDateTime> times;
    QByteArray sentences;  // of the positions, one after the other
};

// The receiver reports the sentence, relays it when asked, then reports its position with
// the sentence's bytes; it never sends anything of its own.
TEST_F(ReceiverTest, SentenceThenRelayThenPositionWithItsSentence) {
    const QByteArray gga = Gga();
    struct Case {
        const char* name;
        bool relay;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"relaying", true, {"monitor:1", "write:" + Packet(gga).toStdString(), "position"}},
        {"not relaying", false, {"monitor:1", "position"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        events.clear();
        sentences.clear();
        gps.Close();
        gps.SetOutputPort(&out, c.relay);
        ASSERT_TRUE(gps.Open());
        in.Push(gga);
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(sentences, Packet(gga));  // CR kept, LF dropped by the framer
    }
}

TEST_F(ReceiverTest, PositionIsTheConvertedFixWithLocalTime) {
    gps.SetInputPort(&in, 0, 1, 8);  // onto the old Japanese datum: time is UTC + 9
    ASSERT_TRUE(gps.Open());
    const QByteArray gga = Gga();
    in.Push(gga);
    ASSERT_EQ(positions.size(), 1u);

    TNMEA nmea;
    TPos pos;
    nmea.Decode(Packet(gga).toStdString());
    const FixPosition want = ConvertFix(pos, nmea, 0, 1, 8);
    ASSERT_TRUE(want.valid);
    EXPECT_DOUBLE_EQ(positions[0].X, want.X);
    EXPECT_DOUBLE_EQ(positions[0].Y, want.Y);
    EXPECT_DOUBLE_EQ(positions[0].h, want.h);
    EXPECT_EQ(times[0].time(), QTime(21, 35, 19, 780));
    EXPECT_EQ(times[0].date(), QDate(2026, 12, 8));
    EXPECT_EQ(times[0], nmea.LocalTime(1, utcNow));
    EXPECT_EQ(gps.Quality(), 1);
    EXPECT_DOUBLE_EQ(gps.DGPSDataSecs(), 2.5);

    in.Push(Ggk());  // GGK is a position sentence too
    EXPECT_EQ(positions.size(), 2u);
    EXPECT_EQ(gps.Quality(), 3);
    EXPECT_DOUBLE_EQ(gps.DGPSDataSecs(), 0.0);
}

TEST_F(ReceiverTest, RmcIsRelayedButIsNoPosition) {
    gps.SetOutputPort(&out, true);
    ASSERT_TRUE(gps.Open());
    in.Push(Rmc());
    EXPECT_EQ(events.size(), 2u);  // monitor, write
    EXPECT_TRUE(positions.empty());
    in.Push(Gga());
    EXPECT_EQ(positions.size(), 1u);
    EXPECT_EQ(out.written, Packet(Rmc()) + Packet(Gga()));
}

// A sentence that fails its checksum keeps the previous fix in the decoder, and a GGA
// without a fix has no coordinates: neither may become a position.
TEST_F(ReceiverTest, SentencesFailingThePositionRuleAreShownAndForwardedOnly) {
    gps.SetOutputPort(&out, true);
    ASSERT_TRUE(gps.Open());
    in.Push(Gga(19, 2));
    ASSERT_EQ(positions.size(), 1u);
    events.clear();

    in.Push(GgaBadChecksum());
    EXPECT_EQ(events.size(), 2u);  // monitor and raw forward only
    EXPECT_EQ(events[0], "monitor:1");
    EXPECT_EQ(gps.NMEA().errorFlag, -1);
    EXPECT_EQ(gps.Quality(), 2) << "a failed sentence is no new fix";

    in.Push(GgaNoFix());
    EXPECT_EQ(positions.size(), 1u);
    EXPECT_EQ(gps.Quality(), 0) << "the display must show the lost fix";
    EXPECT_EQ(out.written, Packet(Gga(19, 2)) + Packet(GgaBadChecksum()) + Packet(GgaNoFix()));
    EXPECT_EQ(sentences, Packet(Gga(19, 2)));
}

// Quality and differential age follow every GGA or GGK that passed its checksum, also one
// that gives no position; a failed checksum changes neither.
TEST_F(ReceiverTest, QualityFollowsEveryChecksumValidPositionSentence) {
    ASSERT_TRUE(gps.Open());
    const struct {
        QByteArray sentence;
        int quality;
        double age;
        bool position;
    } steps[] = {
        {Gga(19, 2), 2, 2.5, true},
        {Sentence("GPGGA,,3525.1234,N,13945.6789,E,4,08,0.9,10.0,M,39.0,M,7.5,0123"), 4, 7.5,
         false},  // empty time
        {Gga(20, 2), 2, 2.5, true},
        {Sentence("GPGGA,256000.00,3525.1234,N,13945.6789,E,0,08,0.9,10.0,M,39.0,M,,"), 0, 0.0,
         false},  // impossible time
        {Ggk(), 3, 0.0, true},
        {Sentence("PTNL,GGK,996000.00,120826,3525.1234,N,13945.6789,E,5,08,1.2,EHT49.000,M"), 5,
         0.0, false},
        {Gga(21, 2), 2, 2.5, true},
        {GgaBadChecksum(), 2, 2.5, false},
        {Sentence("GPGGA,123522.00,,N,,E,6,08,0.9,10.0,M,39.0,M,1.5,0123"), 6, 1.5, false},
        // Estimated: the boat moves (it is never recorded, see the recording tests).
        {Sentence("GPGGA,123523.00,3525.1234,N,13945.6789,E,6,08,0.9,10.0,M,39.0,M,1.5,0123"), 6,
         1.5, true},
        {Sentence("GPGGA,123524.00,-3525.1234,N,13945.6789,E,2,08,0.9,10.0,M,39.0,M,3.5,0123"), 2,
         3.5, false},
        {Sentence("GPGGA,123525.00,3525.1234,N,13945.6789,E,2,08,0.9,nan,M,39.0,M,4.5,0123"), 2,
         4.5, false},
    };
    std::size_t expectedPositions = 0;
    for (const auto& step : steps) {
        in.Push(step.sentence);
        expectedPositions += step.position ? 1 : 0;
        EXPECT_EQ(gps.Quality(), step.quality) << step.sentence.constData();
        EXPECT_DOUBLE_EQ(gps.DGPSDataSecs(), step.age) << step.sentence.constData();
        EXPECT_EQ(positions.size(), expectedPositions) << step.sentence.constData();
    }
}

// The date of a fix is the date of its own instant in the datum's time scale (UTC, or UTC
// + 9 on the Tokyo datum), whatever the computer's time zone: the sentence gives the time
// of day, the clock the day, also across both midnights and with either clock a little
// ahead.
TEST(ReceiverFixDate, IsTheDateOfTheFixInTheDatumsTimeScale) {
    const TimeZoneScope tokyo("Asia/Tokyo");  // where local and UTC dates differ till 09:00
    qint64 now = 0;
    RecordingSink sink;
    FakeLink in;
    TGPS gps(nullptr, [&] { return now; });
    std::vector<QDateTime> times;
    QObject::connect(&gps, &TGPS::PositionFixed,
                     [&](const TGpsPosition& p) { times.push_back(p.time); });
    gps.SetInputPort(&in, 0, 0, 8);
    ASSERT_TRUE(gps.Open());
    EXPECT_FALSE(gps.FixTime().isValid());
    const auto utc = [](int day, int h, int m, int s, int ms) {
        return QDateTime(QDate(2026, 12, day), QTime(h, m, s, ms), Qt::UTC).toMSecsSinceEpoch();
    };
    const struct {
        int datum;
        const char* fixTime;  // UTC, as sent
        qint64 handledAt;     // the computer's clock, UTC
        QDate date;
        QTime time;
    } steps[] = {
        // World datum: 01:04 JST on 10 December is 16:04 UTC on the 9th.
        {0, "160410.00", utc(9, 16, 4, 10, 400), QDate(2026, 12, 9), QTime(16, 4, 10)},
        {0, "235959.80", utc(10, 0, 0, 0, 300), QDate(2026, 12, 9), QTime(23, 59, 59, 800)},
        {0, "000000.20", utc(9, 23, 59, 59, 900), QDate(2026, 12, 10), QTime(0, 0, 0, 200)},
        {0, "000000.20", utc(10, 0, 0, 0, 400), QDate(2026, 12, 10), QTime(0, 0, 0, 200)},
        // Tokyo datum at local midnight (15:00 UTC) and at UTC midnight (09:00 JST).
        {1, "145959.80", utc(9, 15, 0, 0, 300), QDate(2026, 12, 9), QTime(23, 59, 59, 800)},
        {2, "150000.20", utc(9, 14, 59, 59, 900), QDate(2026, 12, 10), QTime(0, 0, 0, 200)},
        {1, "235959.80", utc(10, 0, 0, 0, 300), QDate(2026, 12, 10), QTime(8, 59, 59, 800)},
        {1, "000000.20", utc(9, 23, 59, 59, 900), QDate(2026, 12, 10), QTime(9, 0, 0, 200)},
    };
    for (const auto& step : steps) {
        gps.SetInputPort(&in, 0, step.datum, 8);
        now = step.handledAt;
        in.Push(Sentence(QByteArray("GPGGA,") + step.fixTime +
                         ",3525.1234,N,13945.6789,E,1,08,0.9,10.0,M,39.0,M,2.5,0123"));
        ASSERT_FALSE(times.empty());
        const QString what = QString::number(step.datum) + " " + step.fixTime;
        EXPECT_EQ(times.back().date(), step.date) << what.toStdString();
        EXPECT_EQ(times.back().time(), step.time) << what.toStdString();
        EXPECT_EQ(gps.FixTime(), times.back());
    }
    EXPECT_EQ(times.size(), std::size(steps));
}

TEST_F(ReceiverTest, FullSendBufferDropsThatSentenceOnly) {
    gps.SetOutputPort(&out, true);
    ASSERT_TRUE(gps.Open());
    const QByteArray rmc = Packet(Rmc());
    out.freeSpace = rmc.size() - 1;
    in.Push(Rmc());
    EXPECT_TRUE(out.written.isEmpty());
    out.freeSpace = rmc.size();  // exactly enough
    in.Push(Rmc());
    EXPECT_EQ(out.written, rmc);
    EXPECT_TRUE(sink.entries.empty()) << "dropping is silent";
}

TEST_F(ReceiverTest, FramesAcrossChunksAndDropsBytesWhileClosed) {
    const QByteArray gga = Gga();
    in.Push(gga);  // not open yet
    EXPECT_TRUE(events.empty());
    ASSERT_TRUE(gps.Open());
    in.Push("\n\n" + gga.left(10));
    in.Push(gga.mid(10, 30));
    in.Push(gga.mid(40) + Rmc().left(5));
    EXPECT_EQ(positions.size(), 1u);
    EXPECT_TRUE(gps.Close());
    in.Push(Rmc().mid(5));  // the rest of a packet begun before Close
    ASSERT_TRUE(gps.Open());
    in.Push(Rmc().mid(5));  // and after reopening
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(ReceiverTest, OpenOpensBothPortsOrNeither) {
    gps.SetOutputPort(&out, false);
    EXPECT_TRUE(in.lineSettings);
    EXPECT_TRUE(out.lineSettings);
    out.failOpen = true;
    EXPECT_FALSE(gps.Open());
    EXPECT_FALSE(in.open);
    EXPECT_FALSE(gps.IsOpen());
    in.Push(Gga());
    EXPECT_TRUE(events.empty());

    out.failOpen = false;
    in.failOpen = true;
    EXPECT_FALSE(gps.Open());
    EXPECT_FALSE(out.open);

    in.failOpen = false;
    ASSERT_TRUE(gps.Open());
    EXPECT_TRUE(in.open && out.open);
    EXPECT_GE(in.flushes, 1);
    EXPECT_GE(out.flushes, 1);
    EXPECT_TRUE(gps.Close());
    EXPECT_FALSE(in.open || out.open);

    TGPS noPort;
    EXPECT_FALSE(noPort.Open());
}

// A listener that connects another while it runs (as the calibration dialog does) or that
// lets more data in (a nested event loop) must not disturb the packet being handled.
TEST_F(ReceiverTest, ListenerMayAddListenersAndNestedDataWaitsItsTurn) {
    ASSERT_TRUE(gps.Open());
    const QByteArray second = Gga(20);
    QMetaObject::Connection inner;
    const auto outer = QObject::connect(&gps, &TGPS::PositionFixed, [&](const TGpsPosition& p) {
        events.push_back("outer");
        if (inner) return;
        inner = QObject::connect(&gps, &TGPS::PositionFixed,
                                 [&](const TGpsPosition&) { events.push_back("inner"); });
        const std::string before(p.sentence);
        in.Push(second);  // arrives while this position is being handled
        EXPECT_EQ(p.sentence, before);
        events.push_back("outer-end");
    });
    const QByteArray first = Gga(19);
    in.Push(first);
    QObject::disconnect(outer);
    const std::vector<std::string> expected = {"monitor:1", "position", "outer", "outer-end",
                                               "monitor:1", "position", "outer", "inner"};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(sentences, Packet(first) + Packet(second));
}

TEST_F(ReceiverTest, CloseInsideTheListenerStopsTheRestOfTheChunk) {
    ASSERT_TRUE(gps.Open());
    QObject::connect(&gps, &TGPS::PositionFixed, [&](const TGpsPosition&) { gps.Close(); });
    in.Push(Gga(19) + Gga(20) + Gga(21));
    EXPECT_EQ(positions.size(), 1u);
    EXPECT_FALSE(in.open);
}

TEST_F(ReceiverTest, LostPortIsReopenedAndRecordingContinues) {
    gps.SetReconnectInterval(10);
    int lost = 0, flowing = 0;
    QObject::connect(&gps, &TGPS::PortLost, [&] { ++lost; });
    QObject::connect(&gps, &TGPS::DataFlowing, [&] { ++flowing; });
    ASSERT_TRUE(gps.Open());
    in.Push(Gga(19) + Gga(20).left(20));  // unplugged in the middle of a sentence
    in.failOpen = true;
    in.Unplug();
    EXPECT_EQ(lost, 1);
    EXPECT_FALSE(gps.IsConnected());
    EXPECT_TRUE(WaitUntil([&] { return in.openCalls >= 4; }));
    EXPECT_EQ(lost, 1);
    in.failOpen = false;
    EXPECT_TRUE(WaitUntil([&] { return in.open; }));
    const int calls = in.openCalls;
    Spin(50);
    EXPECT_EQ(in.openCalls, calls) << "no more attempts once open";
    EXPECT_EQ(flowing, 0);

    in.Push(Gga(20).mid(20) + Gga(21));  // the cut-off rest is no sentence
    EXPECT_EQ(flowing, 1);
    EXPECT_TRUE(gps.IsConnected());
    EXPECT_EQ(positions.size(), 2u);
    EXPECT_EQ(sentences, Packet(Gga(19)) + Packet(Gga(21)));

    // Closed by the operator: no reopening.
    in.Unplug();
    gps.Close();
    const int before = in.openCalls;
    Spin(50);
    EXPECT_EQ(in.openCalls, before);
}

TEST_F(ReceiverTest, LostOutputPortIsReopenedSilently) {
    gps.SetReconnectInterval(10);
    int lost = 0;
    QObject::connect(&gps, &TGPS::PortLost, [&] { ++lost; });
    gps.SetOutputPort(&out, true);
    ASSERT_TRUE(gps.Open());
    out.Unplug();
    in.Push(Rmc());  // reception goes on while the output is away
    EXPECT_EQ(events.size(), 1u);
    EXPECT_TRUE(WaitUntil([&] { return out.open; }));
    in.Push(Rmc());
    EXPECT_EQ(out.written, Packet(Rmc()));
    EXPECT_EQ(lost, 0);
}

}  // namespace
}  // namespace tidrun
