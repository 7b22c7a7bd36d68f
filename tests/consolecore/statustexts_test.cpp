// The texts of the main window that are not about a position.
#include "console/statustexts.h"
#include "console/fixview.h"

#include <gtest/gtest.h>

namespace tidrun {
namespace {

TEST(StatusTexts, DateAndTimeFormats) {
    EXPECT_EQ(FormatShortDate(QDate(2026, 1, 5)), "26/01/05");
    EXPECT_EQ(FormatShortTime(QTime(7, 3, 9)), "7:03:09");
    EXPECT_EQ(FormatShortDateTime(QDateTime(QDate(2026, 12, 8), QTime(23, 59, 0))),
              "26/12/08 23:59:00");
    // The date label names the weekday in Japanese and ends with a full-width space.
    EXPECT_EQ(DateLabelText(QDate(2026, 12, 8)), QStringLiteral("2026年12月8日(火)　"));
    EXPECT_EQ(DateLabelText(QDate(2027, 1, 3)), QStringLiteral("2027年1月3日(日)　"));
}

TEST(StatusTexts, TitlesAndInformationLine) {
    EXPECT_EQ(JobTitle(QStringLiteral("  東京湾 測量 "), QStringLiteral("世界測地系")),
              QStringLiteral("Tidrun for GPS　東京湾 測量（世界測地系）"));
    EXPECT_EQ(InfoLineText(QStringLiteral("基準点「A」\r\n\nＸ＝ 1.0\r\nＹ＝ 2.0")),
              QStringLiteral("　基準点「A」  \nＸ＝ 1.0  Ｙ＝ 2.0"));
    EXPECT_EQ(InfoLineText({}), QStringLiteral("　"));
}

TEST(StatusTexts, ModeText) {
    EXPECT_EQ(RecordingModeText(0, 30), QStringLiteral("30秒"));
    EXPECT_EQ(RecordingModeText(1, 30), QStringLiteral("手動"));
    EXPECT_EQ(RecordingModeText(2, 30), QStringLiteral("ALL"));
    EXPECT_EQ(RecordingModeText(-1, 30), QStringLiteral("？？？"));
    EXPECT_EQ(RecordingModeText(3, 30, 12.5), QStringLiteral("12.5m"));
    EXPECT_EQ(RecordingModeText(3, 30, 100), QStringLiteral("100m"));
}

TEST(StatusTexts, TheStateStandsInFrontOfTheCaptionOrNothingDoes) {
    const QString job = QStringLiteral("Tidrun for GPS　港湾（世界測地系）");
    EXPECT_EQ(WindowCaption(job, {}), job);
    EXPECT_EQ(kDesignColour, kStaleColour);  // no live colour without a live position
    EXPECT_EQ(WindowCaption(job, QStringLiteral("未接続")), QStringLiteral("未接続 — ") + job);
    EXPECT_EQ(WindowCaption(QStringLiteral("Tidrun for GPS"), QStringLiteral("Tidrun Zzz")),
              QStringLiteral("Tidrun Zzz — Tidrun for GPS"));
}

}  // namespace
}  // namespace tidrun
