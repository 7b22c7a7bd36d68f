// The sentence log on real files: modes, file switching and failures.
#include "positioning/sentencelog.h"

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

class SentenceLogTest : public ::testing::Test {
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
    TSentenceLog log{sink};
};

TEST_F(SentenceLogTest, AppendKeepsOrCreatesAndOnTruncates) {
    const QString path = Path("Line1.Log");
    log.SetLogFile(path);
    EXPECT_FALSE(log.Write(QByteArray("off")));  // off: the file is not touched
    EXPECT_FALSE(QFile::exists(path));
    log.SetLogMode(TLogMode::lmAppend);  // missing: created
    ASSERT_EQ(log.LogMode(), TLogMode::lmAppend);
    log.Write(QByteArray("a\r"));
    log.SetLogMode(TLogMode::lmOff);
    log.SetLogMode(TLogMode::lmAppend);
    log.Write(QByteArray("b\r"));
    EXPECT_EQ(ReadFile(path), "a\rb\r") << "written unchanged, no line end added, flushed at once";
    log.Write(QByteArray("c\r"));
    log.TakeBackLastWrite();  // a cut another writer could not store
    log.TakeBackLastWrite();  // only the last write
    EXPECT_EQ(ReadFile(path), "a\rb\r");

    log.SetLogMode(TLogMode::lmOn);  // from append straight to on: the file starts anew
    log.Write(QByteArray("c"));
    EXPECT_EQ(ReadFile(path), "c");
    EXPECT_TRUE(sink.entries.empty());
}

TEST_F(SentenceLogTest, SameModeOrSameNameDoesNotReopen) {
    const QString path = Path("GPS.LOG");
    log.SetLogFile(path);
    log.SetLogMode(TLogMode::lmOn);
    log.Write(QByteArray("kept\r"));
    log.SetLogMode(TLogMode::lmOn);
    log.SetLogFile(path);
    log.Write(QByteArray("more\r"));
    EXPECT_EQ(ReadFile(path), "kept\rmore\r");
}

TEST_F(SentenceLogTest, NewNameWhileLoggingSwitchesFilesInTheSameMode) {
    const QString first = Path("Line1.Log"), second = Path("Line2.Log");
    Put(second, "old contents");
    log.SetLogFile(first);
    log.SetLogMode(TLogMode::lmOn);
    log.Write(QByteArray("one"));
    log.SetLogFile(second);  // reopened with lmOn: truncated
    EXPECT_EQ(log.LogMode(), TLogMode::lmOn);
    log.Write(QByteArray("two"));
    EXPECT_EQ(ReadFile(first), "one");
    EXPECT_EQ(ReadFile(second), "two");

    log.SetLogMode(TLogMode::lmAppend);
    log.SetLogFile(first);  // reopened with lmAppend: kept
    log.Write(QByteArray("+"));
    EXPECT_EQ(ReadFile(first), "one+");

    log.SetLogMode(TLogMode::lmOff);
    log.SetLogFile(second);  // off: only the name changes
    EXPECT_EQ(log.LogMode(), TLogMode::lmOff);
    EXPECT_EQ(log.LogFile(), second);
    EXPECT_EQ(ReadFile(second), "two");
}

TEST_F(SentenceLogTest, UncreatableLogIsReportedAtEachTry) {
    log.SetLogFile(Path("no-such-folder/GPS.LOG"));
    log.SetLogMode(TLogMode::lmOn);
    EXPECT_EQ(log.LogMode(), TLogMode::lmOff);
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_EQ(sink.entries[0].kind, MessageSink::Kind::Error);
    EXPECT_EQ(sink.entries[0].text, kOpenError);

    log.SetLogMode(TLogMode::lmAppend);
    EXPECT_EQ(sink.Texts(), QStringList({kOpenError, kOpenError}));
    EXPECT_FALSE(log.Write(QByteArray("x")));
    EXPECT_EQ(sink.entries.size(), 2u);
}

TEST_F(SentenceLogTest, WriteFailureIsReportedOnceAndSwitchesTheLogOff) {
    if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    log.SetLogFile("/dev/full");  // opens, but every write fails: a full disk
    log.SetLogMode(TLogMode::lmAppend);
    ASSERT_EQ(log.LogMode(), TLogMode::lmAppend);
    EXPECT_FALSE(log.Write(Gga(19)));
    EXPECT_FALSE(log.Write(Gga(20)));
    EXPECT_EQ(log.LogMode(), TLogMode::lmOff);
    EXPECT_EQ(sink.Texts(), QStringList({kWriteError}));
}

// Another user of the computer may plant a symbolic link, or a pipe, where a log is about
// to be made: the log is refused with its error, and nothing outside the job is touched.
TEST_F(SentenceLogTest, ALogIsNeverOpenedThroughALinkNorWaitsForAPipe) {
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
             log.SetLogFile(Path("Line3.Log"));
             log.SetLogMode(TLogMode::lmOn);
         }},
        {"GPS log appended", Path("GPS.LOG"),
         [&] {
             log.SetLogFile(Path("GPS.LOG"));
             log.SetLogMode(TLogMode::lmAppend);
         }},
        {"calibration log", TCalibrationRun::LogFileName(dir.path(), started),
         [&] {
             TCalibrationRun run(&sink, [] { return qint64(0); });
             run.Start(TCalibrationTimes{0, 1, 0, 0}, dir.path(), started);
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
            EXPECT_EQ(log.LogMode(), TLogMode::lmOff);
            EXPECT_EQ(sink.Texts(), QStringList{kOpenError});
            EXPECT_EQ(ReadFile(outside), "someone else's file");
            EXPECT_FALSE(QFile::exists(nowhere));
            log.SetLogMode(TLogMode::lmOff);
        }
    }
}

}  // namespace
}  // namespace tidrun
