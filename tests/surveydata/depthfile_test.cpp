#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

#include "surveydata/depthfile.h"
#include "surveydata/localstamp.h"
#include "testfiles.h"

namespace tidrun {
namespace {

using testing::ReadSjis;
using testing::WriteSjis;

TEST(DepthFile, NamesBesideTheRecordingFile) {
    const std::pair<QString, QString> names[] = {
        {"/job/SOKUSEN.DAT", QStringLiteral("/job/SOKUSEN_水深.csv")},
        {QStringLiteral("/job/収録.txt"), QStringLiteral("/job/収録_水深.csv")},
        {"/job.d/rec", QStringLiteral("/job.d/rec_水深.csv")},
        {"rec.a.b", QStringLiteral("rec.a_水深.csv")},
    };
    for (const auto& [recording, depth] : names) EXPECT_EQ(DepthFilePath(recording), depth);
}

TEST(DepthFile, RowsWrittenReadBackAndJoinedBySerial) {
    QTemporaryDir dir;
    const QString rec = dir.filePath("SOKUSEN.DAT");
    const QDateTime at(QDate(2026, 12, 10), QTime(9, 30, 1, 250));
    TDepthWriter w;
    ASSERT_TRUE(w.Open(rec));
    TDepthRow row{7,     2,   1,  QStringLiteral("A,1"), -67629.9854, 3303.5204,
                  8.456, 140, at, at.addMSecs(-140)};
    ASSERT_TRUE(w.Append(row));
    row.serial = 8;
    row.cutNo = 2;
    row.depth.reset();
    ASSERT_TRUE(w.Append(row));
    w.Close();
    ASSERT_TRUE(w.Open(rec));  // opened again: no second header
    row.serial = 9;
    row.depth = 9.1;
    ASSERT_TRUE(w.Append(row));
    w.Close();
    const QString expected = QStringLiteral(
        "通番,測線番号,測線名,ｶｯﾄ番号,X,Y,水深,水深経過ms,測位受信時刻,水深受信時刻\r\n"
        "7,2,\"A,1\",1,-67629.985,3303.520,8.46,140,2026-12-10 09:30:01.250,"
        "2026-12-10 09:30:01.110\r\n"
        "8,2,\"A,1\",2,-67629.985,3303.520,,,2026-12-10 09:30:01.250,\r\n"
        "9,2,\"A,1\",2,-67629.985,3303.520,9.10,140,2026-12-10 09:30:01.250,"
        "2026-12-10 09:30:01.110\r\n");
    EXPECT_EQ(ReadSjis(DepthFilePath(rec)), expected);

    // A torn last row is not read, and gets its line end when the file is opened again.
    QFile f(DepthFilePath(rec));
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("10,2,\"A,1\",3,1.0,2.0,7.");
    f.close();
    TDepthTable t;
    ASSERT_EQ(LoadDepthFile(DepthFilePath(rec), t), DepthLoad::Ok);
    EXPECT_EQ(t.serials, (std::vector<std::int32_t>{7, 8, 9}));
    EXPECT_FLOAT_EQ(t.DepthOf(7).value_or(-1), 8.46f);
    EXPECT_FALSE(t.DepthOf(8).has_value());  // a row without depth
    EXPECT_TRUE(t.HasRow(8));
    EXPECT_FALSE(t.DepthOf(6).has_value());
    EXPECT_EQ(t.badLine, 0);
    ASSERT_TRUE(w.Open(rec));
    w.Close();
    EXPECT_TRUE(ReadSjis(DepthFilePath(rec)).endsWith(QStringLiteral("7.\r\n")));
    ASSERT_EQ(LoadDepthFile(DepthFilePath(rec), t), DepthLoad::Ok);
    EXPECT_EQ(t.badLine, 5);  // the repaired torn row is now a bad line, named
    EXPECT_EQ(LoadDepthFile(dir.filePath("none.csv"), t), DepthLoad::Missing);
    EXPECT_EQ(LoadDepthFile(dir.path(), t), DepthLoad::Unreadable);
}

// The walk that joins a recording's cuts gives what a search gives, in any order of asking:
// rising with gaps and repeats, a serial written twice (its last row), going back, past the end.
TEST(DepthFile, WalkedLookupAgreesWithTheSearch) {
    TDepthTable t;
    t.serials = {2, 3, 3, 5, 6, 7, 8, 9, 10, 11, 12, 20};
    t.depths = {1, 2, 3, std::nanf(""), 5, 6, 7, 8, 9, 10, 11, 12};
    t.lines.assign(t.serials.size(), 1);
    const std::vector<std::int32_t> asks = {1, 2, 3, 3, 4, 5, 6, 12, 13, 20, 21, 7, 3, 2, 30, 0, 8};
    std::size_t at = 0;
    for (const std::int32_t s : asks) {
        std::optional<float> searched;
        const auto it = std::upper_bound(t.serials.begin(), t.serials.end(), s);
        if (it != t.serials.begin() && *(it - 1) == s &&
            !std::isnan(t.depths[it - 1 - t.serials.begin()]))
            searched = t.depths[it - 1 - t.serials.begin()];
        EXPECT_EQ(t.DepthOf(s, at), searched) << "serial " << s;
    }
    EXPECT_EQ(t.DepthOf(3), 3.0f);
}

TEST(DepthFile, CutsWithoutTheirRowAreFoundOnce) {
    TDepthTable t;
    t.serials = {3, 4, 6, 7};
    t.lines = {2, 2, 2, 3};
    t.depths = {1, 2, 3, 4};
    struct Case {
        std::vector<std::pair<std::int32_t, std::int32_t>> cuts;  // serial, line
        bool depthOn;
        std::vector<std::int32_t> missing;
    };
    const Case cases[] = {
        // Line 1 was recorded without depth; line 2 lost serial 5.
        {{{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 2}, {6, 2}, {7, 3}}, true, {5}},
        // A kill after the recording's first cut of line 4, before its row.
        {{{3, 2}, {4, 2}, {6, 2}, {7, 3}, {8, 4}}, true, {8}},
        {{{3, 2}, {4, 2}, {6, 2}, {7, 3}, {8, 4}}, false, {}},
        // The last row's own line short of its last cut.
        {{{7, 3}, {8, 3}}, false, {8}},
    };
    for (const Case& c : cases) {
        const auto got = CutsWithoutDepthRow(
            static_cast<int>(c.cuts.size()),
            [&](int i) { return c.cuts[static_cast<std::size_t>(i)]; }, t, c.depthOn);
        EXPECT_EQ(got, c.missing);
    }
    EXPECT_EQ(MissingDepthMessage({5, 9, 11}, "/j/S_水深.csv"),
              QStringLiteral("水深ファイルに記録のないカットがあります\r\n通番：5 ほか2件\r\n"
                             "ﾌｧｲﾙ名：/j/S_水深.csv"));
    EXPECT_TRUE(MissingDepthMessage({}, "x").isEmpty());
}

// The receive times of the companion, written by hand, read as QDateTime writes them in
// zones without and with daylight saving (Lord Howe's changes by half an hour, half past a
// UTC hour), across the changes, leap days and the ends of the range.
TEST(DepthFile, StampsReadAsQDateTimeWritesThem) {
    const char* const before = std::getenv("TZ");
    const std::string saved = before ? before : "";
    struct Zone {
        const char* tz;
        int januaryOffsetS;  // proves the zone is in effect
    };
    const Zone zones[] = {{"UTC", 0},
                          {"Asia/Tokyo", 9 * 3600},
                          {"Europe/Berlin", 3600},
                          {"America/St_Johns", -12600},
                          {"Australia/Lord_Howe", 39600}};
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
    const auto utc = [](int y, int mo, int d, int h, int mi, int ms = 0) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi), Qt::UTC).toMSecsSinceEpoch() + ms;
    };
    const qint64 pinned[] = {utc(2026, 3, 29, 0, 59, 59999),
                             utc(2026, 3, 29, 1, 0),  // Berlin, spring
                             utc(2026, 10, 25, 0, 59, 59999),
                             utc(2026, 10, 25, 1, 0),  // Berlin, autumn
                             utc(2026, 4, 4, 14, 59, 59999),
                             utc(2026, 4, 4, 15, 0),  // Lord Howe, April
                             utc(2026, 10, 3, 15, 29, 59999),
                             utc(2026, 10, 3, 15, 30),  // Lord Howe, October
                             utc(2026, 10, 3, 15, 45),
                             utc(2026, 11, 1, 3, 29, 59999),  // St John's, November
                             utc(2028, 2, 29, 12, 0, 1),
                             utc(2000, 2, 29, 23, 59, 59999),  // leap days
                             utc(2100, 2, 28, 23, 59, 59999),
                             utc(2100, 3, 1, 0, 0),  // no leap day
                             0,
                             -1,
                             -86400001,
                             utc(1970, 1, 1, 9, 0, 7),  // about the epoch
                             utc(9999, 12, 31, 23, 59, 59999),
                             utc(9999, 12, 31, 23, 59, 59999) + 1};
    for (const Zone& z : zones) {
        ASSERT_EQ(setenv("TZ", z.tz, 1), 0);
        tzset();
        ASSERT_EQ(QDateTime(QDate(2026, 1, 15), QTime(12, 0)).offsetFromUtc(), z.januaryOffsetS)
            << z.tz;
        TLocalStamp stamps;  // one per zone: it keeps the offset of the hour
        const auto check = [&](qint64 ms) {
            QString text;
            stamps.AppendTo(text, ms);
            ASSERT_EQ(text.toStdString(),
                      QDateTime::fromMSecsSinceEpoch(ms).toString(format).toStdString())
                << z.tz << " " << ms;
        };
        for (const qint64 ms : pinned) check(ms);
        // A year in steps that reach every minute of the hour and every hour of the day.
        for (qint64 ms = utc(2026, 1, 1, 0, 0); ms < utc(2027, 1, 1, 0, 0); ms += 3661001)
            check(ms);
        QString invalid;
        stamps.AppendTo(invalid, QDateTime());
        EXPECT_TRUE(invalid.isEmpty());
    }
    if (before) {
        setenv("TZ", saved.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

}  // namespace
}  // namespace tidrun
