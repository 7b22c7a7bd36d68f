// What the crew sees about the receiver, decided without a window.
#include "console/displayrules.h"

#include "console/mainlogic.h"

#include <gtest/gtest.h>

namespace tidrun {
namespace {

TEST(DisplayRules, TheStateStandsInFrontOfTheCaptionOrNothingDoes) {
    const QString job = QStringLiteral("Tidrun for GPS　港湾（世界測地系）");
    EXPECT_EQ(WindowCaption(job, {}), job);
    EXPECT_EQ(kDesignColour, kStaleColour);  // no live colour without a live position
    EXPECT_EQ(WindowCaption(job, QStringLiteral("未接続")), QStringLiteral("未接続 — ") + job);
    EXPECT_EQ(WindowCaption(QStringLiteral("Tidrun for GPS"), QStringLiteral("Tidrun Zzz")),
              QStringLiteral("Tidrun Zzz — Tidrun for GPS"));
}

// The coordinate labels through a job's life: only a position of this job's live receiver,
// younger than the limit, has a live colour.
TEST(DisplayRules, CoordinatesAreLiveOnlyWhileFreshPositionsFlow) {
    const QString x = FormatX(-67629.988), y = FormatY(3294.890);
    const QString nx = DesignXText() + QStringLiteral(" （測位なし）");
    const QString ny = DesignYText() + QStringLiteral(" （測位なし）");
    enum Step { kConnect, kPosition, kLose, kNone };
    struct Case {
        const char* what;
        Step step;      // what happens at 10 s
        qint64 readAt;  // ms
        bool lost;
        CoordinateView want;
    } cases[] = {
        {"never opened", kNone, 60000, false, {DesignXText(), DesignYText(), kStaleColour, true}},
        {"connected, silent 3 s",
         kConnect,
         13000,
         false,
         {DesignXText(), DesignYText(), kStaleColour, true}},
        {"connected, no fix 4 s", kConnect, 14000, false, {nx, ny, kStaleColour, true}},
        {"lost before any fix", kConnect, 10500, true, {nx, ny, kStaleColour, true}},
        {"fresh fix", kPosition, 12900, false, {x, y, 0x0000FF, false}},
        {"fix 5 s old",
         kPosition,
         15000,
         false,
         {x + " （5秒前）", y + " （5秒前）", kStaleColour, true}},
        {"fix 2 min old",
         kPosition,
         130000,
         false,
         {x + " （2分前）", y + " （2分前）", kStaleColour, true}},
        {"port lost after a fix",
         kLose,
         11000,
         true,
         {x + " （1秒前）", y + " （1秒前）", kStaleColour, true}},
    };
    for (const Case& c : cases) {
        TFixWatch w;
        QString lx, ly;
        if (c.step != kNone) w.Connected(10000);
        if (c.step == kPosition || c.step == kLose) {
            w.Position(10000);
            lx = x;
            ly = y;
        }
        if (c.lost) w.Disconnected();
        EXPECT_EQ(CoordinateViewFor(w, c.lost, lx, ly, 0x0000FF, c.readAt), c.want) << c.what;
    }
}

TEST(DisplayRules, SideBySideTilingSharesTheWidthAndKeepsTheHeight) {
    const QList<QRect> three = TileSideBySide(QSize(1000, 600), 3);
    ASSERT_EQ(three.size(), 3);
    EXPECT_EQ(three[0], QRect(0, 0, 333, 600));
    EXPECT_EQ(three[1], QRect(333, 0, 333, 600));
    EXPECT_EQ(three[2], QRect(666, 0, 334, 600));
    EXPECT_EQ(TileSideBySide(QSize(1000, 600), 1), QList<QRect>{QRect(0, 0, 1000, 600)});
    EXPECT_TRUE(TileSideBySide(QSize(1000, 600), 0).isEmpty());
}

TEST(DisplayRules, CascadeStepsDownFromTheTopLeftAndStaysInTheArea) {
    const QSize area(1000, 600);
    EXPECT_EQ(
        CascadeFromTopLeft(area, 3, 20),
        (QList<QRect>{QRect(0, 0, 960, 560), QRect(20, 20, 960, 560), QRect(40, 40, 960, 560)}));
    // Many windows: half the area each, starting again at the top left when the next one
    // would reach past the bottom.
    const QList<QRect> many = CascadeFromTopLeft(area, 30, 20);
    ASSERT_EQ(many.size(), 30);
    EXPECT_EQ(many[0], QRect(0, 0, 500, 300));
    EXPECT_EQ(many[15], QRect(300, 300, 500, 300));
    EXPECT_EQ(many[16], QRect(0, 0, 500, 300));
    for (const QRect& r : many) EXPECT_TRUE(QRect(QPoint(0, 0), area).contains(r)) << r.x();
    EXPECT_TRUE(CascadeFromTopLeft(area, 0, 20).isEmpty());
}

}  // namespace
}  // namespace tidrun
