// The transfer port as a job's settings configure it, through two real pseudo-terminals:
// one plays the GPS receiver, the other the device the data is forwarded to.
#include "console/transfer.h"

#include "console/cutwriters.h"
#include "platform/messagesink.h"
#include "positioning/gps.h"
#include "surveydata/codec.h"
#include "surveydata/config.h"
#include "surveydata/inifile.h"
#include "surveydata/jobsettings.h"
#include "tests/receiver/receiver_support.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tidrun {
namespace {

using namespace tidrun::test;

class TransferTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(prog.isValid());
        iniPath = QDir(prog.path()).filePath(QStringLiteral("Tidrun.INI"));
        TIniFile ini(iniPath);
        ASSERT_TRUE(
            ini.WriteString(QStringLiteral("Ports"), QStringLiteral("COM3"), gpsPty.SlavePath()));
        ASSERT_TRUE(
            ini.WriteString(QStringLiteral("Ports"), QStringLiteral("COM4"), outPty.SlavePath()));
        settings.Port = QStringLiteral("COM3");
        settings.OutPort = QStringLiteral("COM4");
        settings.Zone = QStringLiteral("9系");
        QObject::connect(&gps, &TGPS::SentenceDecoded,
                         [this](const TNMEA&, qint64) { ++monitored; });
        QObject::connect(&gps, &TGPS::PositionFixed, [this](const TGpsPosition& p) {
            ++positions;
            // The recorder took a cut of this position.
            const TCutInput record;
            if (cutNext) transfer.Write(TCut{record, 1, p.sentence});
        });
    }
    // Sends sentences on the GPS side and waits until the receiver has seen them all.
    void Feed(const QByteArray& data, int sentences) {
        const int target = monitored + sentences;
        gpsPty.Write(data);
        ASSERT_TRUE(WaitUntil([&] { return monitored >= target; }));
    }
    QByteArray Drain(int settleMs = 100) {
        Spin(settleMs);
        return outPty.ReadAvailable();
    }

    QTemporaryDir prog;
    QString iniPath;
    Pty gpsPty, outPty;
    TJobSettings settings;
    RecordingSink sink;
    TGPS gps;
    TSokusenColl lines{sink};
    TTransferWriter transfer{lines};
    int positions = 0, monitored = 0;
    bool cutNext = false;
};

TEST_F(TransferTest, EachModeSendsWhatItSays) {
    struct Case {
        const char* method;
        QString text;
        bool portMade;
        QByteArray betweenCuts;  // after a GGA without a cut and an RMC
        QByteArray atCut;        // after a GGA that was recorded
    };
    const QByteArray noCut = Gga(19) + Rmc(), cut = Gga(20);
    const Case cases[] = {
        {"しない", QStringLiteral(" ABCD "), false, {}, {}},
        {"受信データ", QStringLiteral(" ABCD "), true, Packet(Gga(19)) + Packet(Rmc()),
         Packet(Gga(20))},
        {"文字", QStringLiteral("  ABCD \t"), true, {}, "ABCD\r"},
        {"文字", QStringLiteral(" 測線ｶｯﾄ "), true, {}, EncodeCp932(u"測線ｶｯﾄ") + "\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        settings.OutMethod = QString::fromUtf8(c.method);
        settings.OutText = c.text;
        TReceiverPorts ports(iniPath, prog.path());
        ports.Configure(gps, settings);
        transfer.SetTarget(ports.TextPort(), ports.Text());
        ASSERT_EQ(ports.OutPort() != nullptr, c.portMade);
        ASSERT_TRUE(gps.Open()) << ports.GpsPort()->ErrorText().toStdString();
        if (ports.OutPort()) {
            EXPECT_TRUE(ports.OutPort()->IsOpen());
        }

        cutNext = false;
        Feed(noCut, 2);
        EXPECT_EQ(Drain(), c.betweenCuts);
        cutNext = true;
        Feed(cut, 1);
        EXPECT_EQ(Drain(), c.atCut);
        EXPECT_TRUE(sink.entries.empty());
        gps.Close();
        if (ports.OutPort()) {
            EXPECT_FALSE(ports.OutPort()->IsOpen());
        }
    }
}

// Either port failing to open fails the whole open, leaving both closed.
TEST_F(TransferTest, EitherPortFailingFailsTheOpen) {
    TIniFile ini(iniPath);
    const QString missing = QDir(prog.path()).filePath(QStringLiteral("no-such-tty"));
    for (const char* key : {"COM5", "COM6"}) {
        SCOPED_TRACE(key);
        settings.OutMethod = QStringLiteral("受信データ");
        settings.Port = QStringLiteral("COM3");
        settings.OutPort = QStringLiteral("COM4");
        ASSERT_TRUE(ini.WriteString(QStringLiteral("Ports"), QString::fromLatin1(key), missing));
        (QString::fromLatin1(key) == "COM5" ? settings.Port : settings.OutPort) =
            QString::fromLatin1(key);
        TReceiverPorts ports(iniPath, prog.path());
        ports.Configure(gps, settings);
        EXPECT_FALSE(gps.Open());
        EXPECT_FALSE(ports.GpsPort()->IsOpen());
        EXPECT_FALSE(ports.OutPort()->IsOpen());
    }
    // "しない" never touches the transfer port, even when it cannot be opened.
    settings.OutMethod = QStringLiteral("しない");
    TReceiverPorts ports(iniPath, prog.path());
    ports.Configure(gps, settings);
    EXPECT_TRUE(gps.Open());
    EXPECT_EQ(ports.OutPort(), nullptr);
}

// The forwarding target stops the line with XOFF: the GPS side goes on handling every
// sentence, the transfer port drops whole sentences once its send buffer is full, and after
// XON only complete sentences arrive.
TEST_F(TransferTest, StoppedTargetNeverStallsTheReceiver) {
    settings.OutMethod = QStringLiteral("受信データ");
    TReceiverPorts ports(iniPath, prog.path());
    ports.Configure(gps, settings);
    ASSERT_TRUE(gps.Open());
    outPty.Write("\x13");  // XOFF
    Spin(20);
    const QByteArray gga = Packet(Gga(21));
    const int count = int(3 * 4096 / gga.size());
    for (int i = 0; i < count; i += 8)
        Feed(Gga(21).repeated(std::min(8, count - i)), std::min(8, count - i));
    EXPECT_EQ(positions, count) << "every position reached the console";
    EXPECT_TRUE(Drain(50).isEmpty());
    outPty.Write("\x11");  // XON
    QByteArray got;
    WaitUntil([&] {
        got += outPty.ReadAvailable();
        return got.size() >= 4096 - gga.size();
    });
    got += Drain();
    ASSERT_FALSE(got.isEmpty());
    EXPECT_LT(got.size(), count * gga.size()) << "some sentences were dropped";
    EXPECT_EQ(got, gga.repeated(got.size() / gga.size())) << "only whole sentences";
}

}  // namespace
}  // namespace tidrun
