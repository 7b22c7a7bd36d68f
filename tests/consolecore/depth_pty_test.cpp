// The depth survey on real pseudo-terminals: the GPS receiver and the echo sounder as the
// job's settings configure their ports, into the job session and its cut writers, without
// windows. The test plays both devices on the master sides.
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

#include "../receiver/receiver_support.h"
#include "console/jobsession.h"
#include "console/rawlog.h"
#include "console/transfer.h"
#include "platform/messagesink.h"
#include "positioning/gps.h"
#include "positioning/sounder.h"
#include "surveydata/codec.h"
#include "surveydata/depthfile.h"
#include "surveydata/inifile.h"
#include "surveydata/jobsettings.h"

namespace tidrun {
namespace {

using namespace tidrun::test;

// A GGA fix off Tokyo Bay, the i-th of a run northwards at 10 Hz.
QByteArray RunGga(int i) {
    return Sentence(QString::asprintf("GPGGA,1235%02d.%02d,3525.%04d,N,13945.6789,E,4,08,0.9,"
                                      "10.0,M,39.0,M,1.0,0123",
                                      i / 10, (i % 10) * 10, 1000 + i)
                        .toLatin1());
}
QByteArray Dbt(double metres) {
    return Sentence(QString::asprintf("SDDBT,,f,%.2f,M,,F", metres).toLatin1(), false);
}

struct Cable {
    const char* name;
    bool oneCable;  // depth on the transfer port, where the annotation goes out
};
void PrintTo(const Cable& c, std::ostream* os) {
    *os << c.name;
}

class DepthPty : public ::testing::TestWithParam<Cable> {};

// 全データ at 10 Hz with depth at 7 Hz: each cut has the last depth sent before its
// position, and the companion file agrees with the recording file serial for serial. A
// 10 kB burst without a carriage return and garbage before the line make no depth.
TEST_P(DepthPty, EveryCutHasTheLastDepthSentBeforeItsPosition) {
    const bool oneCable = GetParam().oneCable;
    QTemporaryDir prog;
    const QString iniPath = QDir(prog.path()).filePath(QStringLiteral("Tidrun.INI"));
    Pty gpsPty, outPty, sounderPty;
    Pty& depthPty = oneCable ? outPty : sounderPty;
    {
        TIniFile ini(iniPath);
        ASSERT_TRUE(
            ini.WriteString(QStringLiteral("Ports"), QStringLiteral("COM3"), gpsPty.SlavePath()));
        ASSERT_TRUE(
            ini.WriteString(QStringLiteral("Ports"), QStringLiteral("COM4"), outPty.SlavePath()));
        ASSERT_TRUE(ini.WriteString(QStringLiteral("Ports"), QStringLiteral("COM5"),
                                    sounderPty.SlavePath()));
    }
    TJobSettings settings;
    settings.Port = QStringLiteral("COM3");
    settings.OutPort = QStringLiteral("COM4");
    settings.Zone = QStringLiteral("9系");
    settings.OutMethod = QStringLiteral("文字");
    settings.OutText = QStringLiteral("C{cut}");
    settings.DepthSource = oneCable ? QStringLiteral("転送通信") : QStringLiteral("COM5");
    settings.DepthSpeed = QStringLiteral("9600");

    const QString recording = QDir(prog.path()).filePath(QStringLiteral("SOKUSEN.DAT"));
    QFile(recording).open(QIODevice::WriteOnly);
    RecordingSink sink;
    TJobSession session(sink, [] { return 0u; });
    ASSERT_TRUE(session.Sokusen().Load(recording));
    session.Recorder().SetRule(MakeCutRule(2, 10));
    session.SetDepthRecording(true);

    TGPS gps;
    TSounder sounder;
    TReceiverPorts ports(iniPath, prog.path());
    ports.Configure(gps, sounder, settings);
    session.SetTransfer(ports.TextPort(), ports.Text());
    ASSERT_EQ(sounder.OwnsPort(), !oneCable);
    ASSERT_EQ(ports.DepthPort() == ports.OutPort(), oneCable);
    int positions = 0, depths = 0;
    std::vector<int> cutIndexes;
    QObject::connect(&gps, &TGPS::PositionFixed, [&](const TGpsPosition& p) {
        ++positions;
        cutIndexes.push_back(session.Position(p).cutIndex);
    });
    QObject::connect(&sounder, &TSounder::DepthReceived,
                     [&](const TDepthReading& r, QByteArrayView, qint64 at) {
                         ++depths;
                         session.OnDepth(r, at);
                     });
    // The time-tagged raw log listens to both sources.
    TRawLog raw(sink);
    raw.Start(QDir(prog.path()).filePath(QStringLiteral("Log")));
    QObject::connect(&gps, &TGPS::SentenceReceived,
                     [&](QByteArrayView s, qint64 at) { raw.Write(TRawSource::GPS, s, at); });
    QObject::connect(&sounder, &TSounder::SentenceReceived,
                     [&](QByteArrayView s, qint64 at) { raw.Write(TRawSource::Sounder, s, at); });
    QByteArray sent;  // what the raw log must hold, in order: source TAB sentence
    ASSERT_TRUE(gps.Open());
    ASSERT_TRUE(sounder.Open());

    // Garbage and a burst without a line end: nothing; the framer drops it at its bound.
    depthPty.Write("\x01\xfe$SD#*ZZ\r" + Sentence("SDDBT,,f,-2.0,M,,F"));
    depthPty.Write("$SDDBT,,f,3.00,M,,F" + QByteArray(10240, '7'));
    depthPty.Write(Dbt(9.99));
    ASSERT_TRUE(WaitUntil([&] { return depths >= 1; }));
    Spin(50);
    EXPECT_EQ(depths, 1);

    ASSERT_EQ(session.StartLine(QStringLiteral("L1")), 1);
    session.Recorder().RequestCut();
    // Simulated tenths of a second: a position every tenth, a depth every 1/7 s; each is
    // handled before the next is sent, so the order of arrival is the order of sending.
    const int kPositions = 60;
    std::vector<QString> expected;  // depth of each cut
    double lastDepth = 9.99;
    int d = 0;
    for (int i = 0; i < kPositions; ++i) {
        while (d * 10 <= i * 7) {
            lastDepth = 10.0 + 0.01 * d;
            depthPty.Write(Dbt(lastDepth));
            sent += EncodeCp932(u"測深\t") + Packet(Dbt(lastDepth)).chopped(1) + "\n";
            const int want = depths + 1;
            ASSERT_TRUE(WaitUntil([&] { return depths >= want; }));
            ++d;
        }
        gpsPty.Write(RunGga(i));
        sent += "GPS\t" + Packet(RunGga(i)).chopped(1) + "\n";
        const int want = positions + 1;
        ASSERT_TRUE(WaitUntil([&] { return positions >= want; }));
        expected.push_back(QString::asprintf("%.2f", lastDepth));
    }
    session.StopLine();
    raw.Stop();
    EXPECT_TRUE(sink.entries.empty()) << sink.Texts().join(u"|").toStdString();

    // The raw log: every sentence of the line once, in the order of arrival, times that
    // never go back (the sentences before the line came first).
    const QStringList logs = QDir(prog.path() + "/Log").entryList({"Raw*.log"}, QDir::Files);
    ASSERT_FALSE(logs.isEmpty());
    QByteArray logged, previous;
    for (const QString& name : logs) {
        for (const QByteArray& line : ReadFile(prog.path() + "/Log/" + name).split('\n')) {
            if (line.isEmpty()) continue;
            ASSERT_TRUE(line.endsWith('\r'));
            const QByteArray time = line.left(23);
            EXPECT_TRUE(QDateTime::fromString(QString::fromLatin1(time),
                                              QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                            .isValid());
            EXPECT_LE(previous, time);
            previous = time;
            logged += line.mid(24).chopped(1) + "\n";
        }
    }
    EXPECT_TRUE(logged.endsWith(sent));

    const TSokusenColl& lines = session.Sokusen();
    ASSERT_EQ(lines.Count(), kPositions);
    const QStringList rows =
        DecodeCp932(ReadFile(DepthFilePath(recording))).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), kPositions + 1);
    for (int i = 0; i < kPositions; ++i) {
        const TSokusen& r = lines.Item(i);
        const QStringList f = rows[i + 1].split(QLatin1Char(','));
        ASSERT_EQ(f.size(), 10) << rows[i + 1].toStdString();
        EXPECT_EQ(f[0].toInt(), r.Serial);
        EXPECT_EQ(f[1].toInt(), r.LineNo);
        EXPECT_EQ(f[3].toInt(), r.CutNo);
        EXPECT_EQ(f[4], QString::asprintf("%.3f", r.X));
        EXPECT_EQ(f[5], QString::asprintf("%.3f", r.Y));
        EXPECT_EQ(f[6], expected[size_t(i)]) << "cut " << i;
    }
    // The annotation of every cut went out on the transfer port.
    QByteArray annotations;
    QByteArray want;
    for (int i = 1; i <= kPositions; ++i) want += "C" + QByteArray::number(i) + "\r";
    EXPECT_TRUE(WaitUntil([&] {
        annotations += outPty.ReadAvailable();
        return annotations.size() >= want.size();
    }));
    EXPECT_EQ(annotations, want);
    sounder.Close();
    gps.Close();
}

INSTANTIATE_TEST_SUITE_P(Cables, DepthPty,
                         ::testing::Values(Cable{"OwnPort", false}, Cable{"OneCable", true}));

}  // namespace
}  // namespace tidrun
