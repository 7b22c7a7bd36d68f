// The GPS log on real files: modes, file switching and failures.
#include "positioning/gps.h"

#include "platform/messagesink.h"
#include "positioning/calibrationrun.h"
#include "receiver_support.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>

namespace tidrun {
namespace {

using namespace tidrun::test;

const QString kOpenError = QStringLiteral("ログファイル作成/終了エラー");
const QString kWriteError = QStringLiteral("ログファイル書込エラー");

class GpsLogTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    static void Put(const QString& path, const QByteArray& data) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    }

    QTemporaryDir dir;
    RecordingSink sink;
    TGPS gps{sink};
};

TEST_F(GpsLogTest, AppendKeepsOrCreatesAndOnTruncates) {
    const QString path = Path("Line1.Log");
    gps.SetLogFile(path);
    gps.WriteLog(QByteArray("off"));  // off: the file is not touched
    EXPECT_FALSE(QFile::exists(path));
    gps.SetLogMode(TLogMode::lmAppend);  // missing: created
    ASSERT_EQ(gps.LogMode(), TLogMode::lmAppend);
    gps.WriteLog(QByteArray("a\r"));
    gps.SetLogMode(TLogMode::lmOff);
    gps.SetLogMode(TLogMode::lmAppend);
    gps.WriteLog(QByteArray("b\r"));
    EXPECT_EQ(ReadFile(path), "a\rb\r") << "written unchanged, no line end added, flushed at once";

    gps.SetLogMode(TLogMode::lmOn);  // from append straight to on: the file starts anew
    gps.WriteLog(QByteArray("c"));
    EXPECT_EQ(ReadFile(path), "c");
    EXPECT_TRUE(sink.entries.empty());
}

TEST_F(GpsLogTest, SameModeOrSameNameDoesNotReopen) {
    const QString path = Path("GPS.LOG");
    gps.SetLogFile(path);
    gps.SetLogMode(TLogMode::lmOn);
    gps.WriteLog(QByteArray("kept\r"));
    gps.SetLogMode(TLogMode::lmOn);
    gps.SetLogFile(path);
    gps.WriteLog(QByteArray("more\r"));
    EXPECT_EQ(ReadFile(path), "kept\rmore\r");
}

TEST_F(GpsLogTest, NewNameWhileLoggingSwitchesFilesInTheSameMode) {
    const QString first = Path("Line1.Log"), second = Path("Line2.Log");
    Put(second, "old contents");
    gps.SetLogFile(first);
    gps.SetLogMode(TLogMode::lmOn);
    gps.WriteLog(QByteArray("one"));
    gps.SetLogFile(second);  // reopened with lmOn: truncated
    EXPECT_EQ(gps.LogMode(), TLogMode::lmOn);
    gps.WriteLog(QByteArray("two"));
    EXPECT_EQ(ReadFile(first), "one");
    EXPECT_EQ(ReadFile(second), "two");

    gps.SetLogMode(TLogMode::lmAppend);
    gps.SetLogFile(first);  // reopened with lmAppend: kept
    gps.WriteLog(QByteArray("+"));
    EXPECT_EQ(ReadFile(first), "one+");

    gps.SetLogMode(TLogMode::lmOff);
    gps.SetLogFile(second);  // off: only the name changes
    EXPECT_EQ(gps.LogMode(), TLogMode::lmOff);
    EXPECT_EQ(gps.LogFile(), second);
    EXPECT_EQ(ReadFile(second), "two");
}

TEST_F(GpsLogTest, UncreatableLogIsReportedAndReceptionGoesOn) {
    FakeLink in;
    gps.SetInputPort(&in, 0, 0, 8);
    int positions = 0;
    gps.OnPosition = [&](double, double, double, const QDateTime&) { return ++positions > 0; };
    ASSERT_TRUE(gps.Open());
    gps.SetLogFile(Path("no-such-folder/GPS.LOG"));
    gps.SetLogMode(TLogMode::lmOn);
    EXPECT_EQ(gps.LogMode(), TLogMode::lmOff);
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_EQ(sink.entries[0].kind, MessageSink::Kind::Error);
    EXPECT_EQ(sink.entries[0].text, kOpenError);

    gps.SetLogMode(TLogMode::lmAppend);
    EXPECT_EQ(sink.Texts(), QStringList({kOpenError, kOpenError}));
    in.Push(Gga(19) + Gga(20));
    EXPECT_EQ(positions, 2);
    EXPECT_EQ(sink.entries.size(), 2u);
}

TEST_F(GpsLogTest, WriteFailureIsReportedOnceAndSwitchesTheLogOff) {
    if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    FakeLink in;
    gps.SetInputPort(&in, 0, 0, 8);
    int positions = 0;
    gps.OnPosition = [&](double, double, double, const QDateTime&) { return ++positions > 0; };
    ASSERT_TRUE(gps.Open());
    int failures = 0;
    QObject::connect(&gps, &TGPS::LogWriteFailed, [&] {
        ++failures;
        EXPECT_EQ(positions, 1);  // at once, before the next sentence
    });
    gps.SetLogFile("/dev/full");  // opens, but every write fails: a full disk
    gps.SetLogMode(TLogMode::lmAppend);
    ASSERT_EQ(gps.LogMode(), TLogMode::lmAppend);
    in.Push(Gga(19) + Gga(20));
    EXPECT_EQ(positions, 2);
    EXPECT_EQ(gps.LogMode(), TLogMode::lmOff);
    EXPECT_EQ(sink.Texts(), QStringList({kWriteError}));
    EXPECT_EQ(failures, 1);  // the line that logs there ends
}

// Another user of the computer may plant a symbolic link, or a pipe, where a log is about
// to be made: the log is refused with its error, and nothing outside the job is touched.
TEST_F(GpsLogTest, ALogIsNeverOpenedThroughALinkNorWaitsForAPipe) {
    const QString outside = Path("outside.txt"), nowhere = Path("nowhere.txt");
    const QDateTime started(QDate(2026, 12, 7), QTime(15, 30));
    struct Way {
        const char* what;
        QString path;
        std::function<void()> start;
    };
    const Way ways[] = {
        {"line log", Path("Line3.Log"),
         [&] {
             gps.SetLogFile(Path("Line3.Log"));
             gps.SetLogMode(TLogMode::lmOn);
         }},
        {"GPS log appended", Path("GPS.LOG"),
         [&] {
             gps.SetLogFile(Path("GPS.LOG"));
             gps.SetLogMode(TLogMode::lmAppend);
         }},
        {"calibration log", TCalibrationRun::LogFileName(dir.path(), started),
         [&] {
             TCalibrationRun run(&gps, [] { return qint64(0); });
             run.Start(TCalibrationTimes{0, 1, 0, 0}, dir.path(), started);
             EXPECT_EQ(gps.LogMode(), TLogMode::lmOff);
         }},
    };
    struct Plant {
        const char* what;
        std::function<bool(const QString& at)> make;
    };
    const Plant plants[] = {
        {"link to a file", [&](const QString& at) { return QFile::link(outside, at); }},
        {"link to no file", [&](const QString& at) { return QFile::link(nowhere, at); }},
        {"pipe nobody reads",
         [](const QString& at) { return ::mkfifo(QFile::encodeName(at), 0600) == 0; }},
    };
    for (const Way& w : ways) {
        for (const Plant& p : plants) {
            SCOPED_TRACE(std::string(w.what) + ", " + p.what);
            Put(outside, "someone else's file");
            QFile::remove(w.path);
            ASSERT_TRUE(p.make(w.path));
            sink.entries.clear();
            w.start();
            EXPECT_EQ(gps.LogMode(), TLogMode::lmOff);
            EXPECT_EQ(sink.Texts(), QStringList{kOpenError});
            EXPECT_EQ(ReadFile(outside), "someone else's file");
            EXPECT_FALSE(QFile::exists(nowhere));
            gps.SetLogMode(TLogMode::lmOff);
        }
    }
}

}  // namespace
}  // namespace tidrun
