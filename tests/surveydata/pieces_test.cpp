// A recording file large enough to be read in pieces on several cores is read as one pass
// reads it: every record prints as it was written, a run of one line name crossing a
// piece keeps one name, and bad lines are told in file order with their line numbers.
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/messagesink.h"
#include "surveydata/codec.h"
#include "surveydata/sokusencoll.h"

namespace tidrun {
namespace {

TEST(RecordingInPieces, IsReadAsOnePassReadsIt) {
    constexpr int kCuts = 200000;  // about 38 MB: past the size read in pieces
    NullSink quiet;
    TSokusenColl written(quiet);
    for (int i = 0; i < kCuts; ++i) {
        TSokusen r{};
        r.Serial = i + 1;
        r.LineNo = i < 120000 ? 1 : 2;  // both runs cross the middle and the quarters
        r.CutNo = i + 1;
        r.X = -67000.125 + i * 0.5;
        r.Y = 3000.5 - i * 0.25;
        r.GpsA = 35.1234567;
        r.GpsB = 139.7654321;
        r.Time = CutTimeFromDateTime(QDateTime(QDate(2026, 12, 10), QTime(8, 0)).addMSecs(i * 100));
        written.Add(r, i < 120000 ? QStringLiteral("測線Ａ") : QStringLiteral("測線Ｂ"));
    }
    // Bad lines in the first and the last quarter.
    const int badAt[] = {50000, 170000};  // record indexes they come before
    QByteArray bytes;
    bytes.reserve(kCuts * 200);
    for (int i = 0; i < kCuts; ++i) {
        for (const int b : badAt)
            if (i == b) bytes += "not a cut\r\n";
        bytes += EncodeCp932(written.FormatLine(i)) + "\r\n";
    }
    ASSERT_GT(bytes.size(), 32 << 20);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SOKUSEN.DAT"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    RecordingSink sink;
    TSokusenColl read(sink);
    EXPECT_FALSE(read.Load(path));
    EXPECT_TRUE(read.LoadIncomplete());
    const QString bad = QStringLiteral("読込ｴﾗｰ\r\nﾌｧｲﾙ名：%1（%2行目）");
    EXPECT_EQ(sink.Texts(), (QStringList{bad.arg(path).arg(50001), bad.arg(path).arg(170002)}));
    ASSERT_EQ(read.Count(), kCuts);
    int runs = 0;
    for (int i = 0; i < kCuts; ++i) {
        ASSERT_EQ(read.Item(i).Serial, i + 1);
        if (i % 101 == 0) {
            ASSERT_EQ(read.FormatLine(i), written.FormatLine(i)) << "record " << i;
        }
        if (i > 0 && read.Item(i).NameIndex != read.Item(i - 1).NameIndex) ++runs;
    }
    EXPECT_EQ(runs, 1) << "one name a run";
    EXPECT_EQ(read.LastLineName(), QStringLiteral("測線Ｂ"));
}

}  // namespace
}  // namespace tidrun
