// The receiver on real pseudo-terminals: the link opens the slave side by its path, the
// test plays the GPS receiver (and the forwarding target) on the master side.
#include "positioning/gps.h"

#include "platform/messagesink.h"
#include "platform/serialportlink.h"
#include "positioning/sentencelog.h"
#include "receiver_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tidrun {
namespace {

using namespace tidrun::test;

class PtyReceiverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QObject::connect(&gps, &TGPS::SentenceDecoded,
                         [this](const TNMEA& n, qint64) { kinds.push_back(n.kind); });
        // The log of the used sentences is a listener like any other.
        QObject::connect(&gps, &TGPS::PositionFixed, [this](const TGpsPosition& p) {
            xs.push_back(p.X);
            log.Write(p.sentence);
        });
    }
    QTemporaryDir dir;
    RecordingSink sink;
    TGPS gps;
    TSentenceLog log{sink};
    std::vector<int> kinds;
    std::vector<double> xs;
};

TEST_F(PtyReceiverTest, SentencesBecomeEventsLogAndForwardedData) {
    Pty gpsPty, outPty;
    SerialPortLink in(gpsPty.SlavePath()), out(outPty.SlavePath());
    in.SetBaudRate(9600);
    gps.SetInputPort(&in, 0, 0, 8);
    gps.SetOutputPort(&out, true);
    ASSERT_TRUE(gps.Open()) << in.ErrorText().toStdString() << out.ErrorText().toStdString();
    log.SetLogFile(dir.filePath("Line1.Log"));
    log.SetLogMode(TLogMode::lmOn);

    // Line noise first, then sentences cut at awkward places, as a port delivers them.
    const QByteArray stream =
        "\xff\x00garbage\r\n" + Gga(19) + Rmc() + GgaBadChecksum() + Ggk() + GgaNoFix() + Gga(20);
    for (qsizetype i = 0; i < stream.size(); i += 37) {
        gpsPty.Write(stream.mid(i, 37));
        Spin(2);
    }
    ASSERT_TRUE(WaitUntil([&] { return kinds.size() == 6; })) << kinds.size();
    // The sentence with the bad checksum leaves the kind of the RMC before it.
    EXPECT_EQ(kinds, (std::vector<int>{1, 2, 2, 0, 1, 1}));
    EXPECT_EQ(xs.size(), 3u);  // GGA, GGK, GGA; not the bad checksum nor the GGA without fix
    EXPECT_EQ(ReadFile(dir.filePath("Line1.Log")),
              Packet(Gga(19)) + Packet(Ggk()) + Packet(Gga(20)));

    // Every sentence is forwarded exactly as framed, bytes outside sentences are not.
    const QByteArray forwarded = Packet(Gga(19)) + Packet(Rmc()) + Packet(GgaBadChecksum()) +
                                 Packet(Ggk()) + Packet(GgaNoFix()) + Packet(Gga(20));
    QByteArray got;
    EXPECT_TRUE(WaitUntil([&] {
        got += outPty.ReadAvailable();
        return got.size() >= forwarded.size();
    }));
    EXPECT_EQ(got, forwarded);
    EXPECT_TRUE(gps.Close());
    EXPECT_FALSE(in.IsOpen());
    EXPECT_FALSE(out.IsOpen());
}

// The forwarding target stops the port with XOFF: what the link cannot send piles up to
// its send-buffer size, and every sentence beyond that is dropped whole.
TEST_F(PtyReceiverTest, StoppedForwardingTargetDropsWholeSentencesSilently) {
    Pty gpsPty, outPty;
    SerialPortLink in(gpsPty.SlavePath()), out(outPty.SlavePath());
    gps.SetInputPort(&in, 0, 0, 8);
    gps.SetOutputPort(&out, true);
    ASSERT_TRUE(gps.Open());
    outPty.Write("\x13");  // XOFF
    Spin(20);

    const QByteArray rmc = Packet(Rmc());
    const int count = int(2 * SerialPortLink::kSendBufferSize / rmc.size());
    for (int i = 0; i < count; ++i) {
        gpsPty.Write(Rmc());
        if (i % 16 == 0) Spin(1);
    }
    ASSERT_TRUE(WaitUntil([&] { return int(kinds.size()) == count; }));
    Spin(50);
    EXPECT_TRUE(outPty.ReadAvailable().isEmpty()) << "XOFF holds the output";
    EXPECT_LT(out.FreeSendSpace(), rmc.size());

    outPty.Write("\x11");  // XON
    QByteArray got;
    const qsizetype kept = (SerialPortLink::kSendBufferSize / rmc.size()) * rmc.size();
    EXPECT_TRUE(WaitUntil([&] {
        got += outPty.ReadAvailable();
        return got.size() >= kept;
    }));
    Spin(50);
    got += outPty.ReadAvailable();
    EXPECT_EQ(got, rmc.repeated(kept / rmc.size()));
    EXPECT_TRUE(sink.entries.empty());

    gpsPty.Write(Rmc());  // room again: forwarding goes on
    EXPECT_TRUE(WaitUntil([&] { return outPty.ReadAvailable() == rmc; }));
}

// The receiver is unplugged: the device goes away and its path with it; later a device
// appears at the same path. Positions resume and the running log goes on.
TEST_F(PtyReceiverTest, UnpluggedReceiverIsReopenedAtTheSamePath) {
    const QString link = dir.filePath("ttyGPS");
    auto gpsPty = std::make_unique<Pty>();
    ASSERT_TRUE(QFile::link(gpsPty->SlavePath(), link));
    SerialPortLink in(link);
    gps.SetInputPort(&in, 0, 0, 8);
    gps.SetReconnectInterval(100);
    int lost = 0, flowing = 0;
    QObject::connect(&gps, &TGPS::PortLost, [&] { ++lost; });
    QObject::connect(&gps, &TGPS::DataFlowing, [&] { ++flowing; });
    ASSERT_TRUE(gps.Open());
    log.SetLogFile(dir.filePath("Line1.Log"));
    log.SetLogMode(TLogMode::lmOn);

    gpsPty->Write(Gga(19));
    ASSERT_TRUE(WaitUntil([&] { return xs.size() == 1; }));

    gpsPty->Write(Gga(20).left(25));  // cut off by the unplugging
    Spin(20);
    gpsPty.reset();
    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(WaitUntil([&] { return lost == 1; }));
    EXPECT_FALSE(in.IsOpen());
    EXPECT_FALSE(gps.IsConnected());
    Spin(300);  // a few attempts find nothing at the path

    gpsPty = std::make_unique<Pty>();
    ASSERT_TRUE(QFile::link(gpsPty->SlavePath(), link));
    ASSERT_TRUE(WaitUntil([&] { return in.IsOpen(); }));
    gpsPty->Write(Gga(21));
    ASSERT_TRUE(WaitUntil([&] { return xs.size() == 2; }));
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(flowing, 1);
    EXPECT_TRUE(gps.IsConnected());
    EXPECT_EQ(log.LogMode(), TLogMode::lmOn);
    EXPECT_EQ(ReadFile(dir.filePath("Line1.Log")), Packet(Gga(19)) + Packet(Gga(21)));
    EXPECT_TRUE(sink.entries.empty());
}

}  // namespace
}  // namespace tidrun
