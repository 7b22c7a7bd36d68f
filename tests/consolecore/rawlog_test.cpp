// The time-tagged raw log on real files: the line format, the local day's file, times that
// never go back, and a full file system (a file-size limit) reported once.
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>

#include "../receiver/receiver_support.h"
#include "console/rawlog.h"
#include "platform/messagesink.h"
#include "surveydata/codec.h"

namespace tidrun {
namespace {

using test::ReadFile;

TEST(RawLog, LinesGoToTheLocalDaysFileWithTimesThatNeverGoBack) {
    test::TimeZoneScope tz("Asia/Tokyo");
    const qint64 late = QDateTime(QDate(2026, 12, 10), QTime(23, 59, 59, 900)).toMSecsSinceEpoch();
    QTemporaryDir dir;
    RecordingSink sink;
    TRawLog log(sink);
    log.Start(dir.filePath(QStringLiteral("Log")));
    struct Row {
        TRawSource source;
        QByteArray sentence;
        qint64 at;  // from late
    };
    const Row rows[] = {
        {TRawSource::GPS, "$GPGGA,1*00\r\n", 0},
        {TRawSource::Sounder, "$SDDBT,1.0,f,0.3,M,0.2,F\r", 40},
        {TRawSource::GPS, "$GPRMC\r", 20},               // the clock stepped back: the time stays
        {TRawSource::Sounder, "$SDDPT,2.5,0.3\r", 120},  // the next local day
    };
    for (const Row& r : rows) EXPECT_TRUE(log.Write(r.source, r.sentence, late + r.at));
    EXPECT_EQ(DecodeCp932(ReadFile(dir.filePath(QStringLiteral("Log/Raw20261210.log")))),
              QStringLiteral("2026-12-10 23:59:59.900\tGPS\t$GPGGA,1*00\r\n"
                             "2026-12-10 23:59:59.940\t測深\t$SDDBT,1.0,f,0.3,M,0.2,F\r\n"
                             "2026-12-10 23:59:59.940\tGPS\t$GPRMC\r\n"));
    EXPECT_EQ(DecodeCp932(ReadFile(dir.filePath(QStringLiteral("Log/Raw20261211.log")))),
              QStringLiteral("2026-12-11 00:00:00.020\t測深\t$SDDPT,2.5,0.3\r\n"));
    EXPECT_TRUE(sink.entries.empty());
}

// The disk fills up: one message, then the log is off and stays quiet.
TEST(RawLog, AWriteFailureIsReportedOnceAndSwitchesTheLogOff) {
    QTemporaryDir dir;
    RecordingSink sink;
    TRawLog log(sink);
    log.Start(dir.path());
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 2000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const qint64 t = QDateTime(QDate(2026, 12, 10), QTime(12, 0)).toMSecsSinceEpoch();
    int written = 0;
    for (int i = 0; i < 200; ++i) written += log.Write(TRawSource::GPS, QByteArray(60, 'x'), t + i);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, handler);
    EXPECT_GT(written, 10);
    EXPECT_LT(written, 200);
    EXPECT_FALSE(log.On());
    EXPECT_FALSE(log.Write(TRawSource::GPS, "$X\r", t + 500));
    ASSERT_EQ(sink.entries.size(), 1u) << sink.Texts().join(u"|").toStdString();
    EXPECT_EQ(sink.entries[0].kind, MessageSink::Kind::Error);
}

}  // namespace
}  // namespace tidrun
