// Depth with every cut: the companion file written beside a real recording file by the job
// session, the depth window of a cut, the take-back when the recording file fails, the check
// at open, and the transfer text's fields.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "../receiver/receiver_support.h"
#include "console/jobsession.h"
#include "platform/messagesink.h"
#include "surveydata/codec.h"
#include "surveydata/depthfile.h"

namespace tidrun {
namespace {

using test::FakeLink;
using test::ReadFile;

const QString kTime = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
constexpr qint64 kT0 = 1797000000000;  // a December morning of 2026

QString Local(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(kTime);
}

QStringList FileLines(const QString& path) {
    return DecodeCp932(ReadFile(path)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

// A job folder with a recording file that already holds serial 7 (line 3).
class DepthJob : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("収録.txt"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(EncodeCp932(QStringLiteral(
            "    7,    3, \"3\",    1,       1.000,       2.000,    0.000,    0.000,    0, "
            "   35.000000,   139.000000,    0.000, \"26/12/08 9:00:00\",       0.000,       "
            "0.000,    0.000,    0.000\r\n")));
        f.close();
        ASSERT_TRUE(session.Sokusen().Load(path));
        session.Recorder().SetRule(MakeCutRule(2, 10));
        session.SetDepthRecording(true);
    }
    QString DepthPath() const { return dir.filePath(QStringLiteral("収録_水深.csv")); }

    QTemporaryDir dir;
    QString path;
    RecordingSink sink;
    TJobSession session{sink, [] { return 0u; }};
};

// Which depth goes with a cut: the last one before its position, within 3 s; no bottom and
// a stale depth give empty fields. Serials and cut numbers are those of the recording file.
TEST_F(DepthJob, EachCutGetsTheLastDepthBeforeItsPositionWithinThreeSeconds) {
    struct Case {
        std::vector<std::pair<qint64, double>> depths;  // before the position: at (ms), m
        bool bottom;
        const char* depth;  // expected field, "" empty
        const char* age;
    };
    const Case cases[] = {
        {{{-900, 1.0}, {-120, 12.345}}, true, "12.35", "120"},  // the last one, not the first
        {{{-3000, 4.5}}, true, "4.50", "3000"},
        {{{-3001, 4.5}}, true, "", ""},  // older than 3 s
        {{{-10, 7.0}}, false, "", ""},   // no bottom
        {{}, true, "", ""},              // the -3001 reading of before is staler still
    };
    ASSERT_EQ(session.StartLine(QStringLiteral("測線,A")), 4);
    session.Recorder().RequestCut();
    qint64 t = kT0;
    int n = 0;
    for (const Case& c : cases) {
        t += 5000;
        for (const auto& [at, metres] : c.depths)
            session.OnDepth(TDepthReading{TDepthKind::DBT, c.bottom, metres}, t + at);
        ASSERT_GE(session.Position(10.0 + n, 20.0, 0, QDateTime(), "$GPGGA\r", t).cutIndex, 0);
        const QString depthTime = *c.depth ? Local(t + c.depths.back().first) : QString();
        const QString expected =
            QStringLiteral("%1,4,\"測線,A\",%2,%3.000,20.000,%4,%5,%6,%7")
                .arg(8 + n)
                .arg(n + 1)
                .arg(10 + n)
                .arg(QLatin1String(c.depth), QLatin1String(c.age), Local(t), depthTime);
        const QStringList rows = FileLines(DepthPath());
        ASSERT_EQ(rows.size(), n + 2);
        EXPECT_EQ(rows.back(), expected) << n;
        EXPECT_EQ(session.Sokusen().Serial(), 8 + n);
        ++n;
    }
    EXPECT_EQ(FileLines(DepthPath()).front(), DepthFileHeader());
    EXPECT_TRUE(session.StopLine());
    EXPECT_TRUE(session.CheckDepthFile().isEmpty());
    EXPECT_TRUE(sink.entries.empty()) << sink.Texts().join(u"|").toStdString();
}

// Either file fails a cut (it was renamed away): the other keeps nothing of that cut, the
// cut is not counted, and the one message is the failing file's.
TEST_F(DepthJob, AFailureOfEitherFileLeavesTheCutInNeither) {
    struct Case {
        bool recordingFails;  // else the depth file
        QString message;
    };
    const Case cases[] = {
        {true, QStringLiteral("側線ファイル書込エラー")},
        {false, QStringLiteral("水深ファイル書込エラー\r\nﾌｧｲﾙ名：") + DepthPath()},
    };
    qint64 t = kT0;
    for (const Case& c : cases) {
        sink.entries.clear();
        ASSERT_TRUE(session.StartLine(QStringLiteral("L")));
        session.Recorder().RequestCut();
        session.OnDepth(TDepthReading{TDepthKind::DBS, true, 5.0}, t += 1000);
        ASSERT_GE(session.Position(1, 2, 0, QDateTime(), "$A\r", t += 10).cutIndex, 0);
        const int serial = session.Sokusen().Serial();
        const QByteArray recording = ReadFile(path), depth = ReadFile(DepthPath());
        const QString gone = c.recordingFails ? path : DepthPath();
        ASSERT_TRUE(QFile::rename(gone, gone + ".old"));
        const TPositionOutcome out = session.Position(3, 4, 0, QDateTime(), "$B\r", t += 10);
        EXPECT_EQ(out.cutIndex, -1);
        EXPECT_TRUE(out.lineEnded);
        EXPECT_EQ(session.Sokusen().Serial(), serial);
        ASSERT_TRUE(QFile::rename(gone + ".old", gone));
        EXPECT_EQ(ReadFile(path), recording) << c.recordingFails;
        EXPECT_EQ(ReadFile(DepthPath()), depth) << c.recordingFails;
        ASSERT_EQ(sink.entries.size(), 1u) << sink.Texts().join(u"|").toStdString();
        EXPECT_EQ(sink.entries[0].text.left(c.message.size()), c.message);
    }
}

// At open: a row a kill tore is given its line end; a cut of a line with rows but without
// its own row is reported once, with its serial.
TEST_F(DepthJob, TheCheckAtOpenRepairsATornRowAndReportsMissingOnes) {
    ASSERT_TRUE(session.StartLine(QStringLiteral("L")));
    session.Recorder().RequestCut();
    for (int i = 0; i < 3; ++i) session.Position(i, 0, 0, QDateTime(), "$A\r", kT0 + i);
    session.StopLine();
    // Serial 9 loses its row; a torn row follows.
    QStringList rows = FileLines(DepthPath());
    ASSERT_EQ(rows.size(), 4);
    rows.removeAt(2);
    QFile f(DepthPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(EncodeCp932(rows.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n11,4,\"L")));
    f.close();
    // As the open reads it once (the cut store's depths), then from the file itself.
    const TDepthCompanion read = ReadDepthCompanion(path);
    const QString message = session.CheckDepthFile(&read);
    EXPECT_EQ(message, MissingDepthMessage({9}, DepthPath()));
    EXPECT_TRUE(ReadFile(DepthPath()).endsWith("11,4,\"L\r\n"));
    EXPECT_EQ(session.CheckDepthFile(), message);
    session.SetDepthRecording(false);
    EXPECT_EQ(session.CheckDepthFile(), message);
}

// The transfer text at a cut: fields filled with the counted cut's values; a text without
// a brace goes out byte for byte.
TEST_F(DepthJob, TransferTextFieldsCarryTheCutsValues) {
    struct Case {
        QString text;
        std::optional<double> depth;
        QByteArray sent;
    };
    const Case cases[] = {
        {QStringLiteral("ＳＤ　マーク\r"), 3.0, EncodeCp932(u"ＳＤ　マーク\r")},
        {QStringLiteral("C{cut} S{serial} {line} D{depth} {time}\r"), 12.345,
         EncodeCp932(u"C2 S9 測線A D12.35 10:11:12\r")},
        {QStringLiteral("C{cut} D{depth}\r"), std::nullopt, "C3 D\r"},
    };
    FakeLink port;
    port.open = true;
    ASSERT_TRUE(session.StartLine(QStringLiteral("測線A")));
    session.Recorder().RequestCut();
    const QDateTime time(QDate(2026, 12, 10), QTime(10, 11, 12));
    qint64 t = kT0;
    for (const Case& c : cases) {
        t += 10000;
        session.SetTransfer(&port, EncodeCp932(c.text));
        if (c.depth) session.OnDepth(TDepthReading{TDepthKind::DPT, true, *c.depth}, t - 5);
        port.written.clear();
        session.Position(1, 2, 0, time, "$A\r", t);
        EXPECT_EQ(port.written, c.sent) << c.text.toStdString();
    }
}

}  // namespace
}  // namespace tidrun
