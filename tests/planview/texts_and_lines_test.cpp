// Angles and azimuth texts, the planned-line routine, the information texts and the popup
// menu states of a map window.
#include <gtest/gtest.h>

#include "planview/angles.h"
#include "planview/infotext.h"
#include "planview/plannedline.h"
#include "planview/popupmodel.h"
#include "platform/messagesink.h"
#include "surveydata/sokusencoll.h"

using namespace tidrun;

TEST(Angles, AzimuthsFromNorthClockwiseTruncatedToSeconds) {
    struct Case {
        double dx, dy;
        const char* text;
    } cases[] = {
        {1, 0, "0ﾟ00'00\""},
        {0, 1, "90ﾟ00'00\""},  // due east: not a second short through rounding
        {-1, 0, "180ﾟ00'00\""},
        {0, -1, "270ﾟ00'00\""},
        {1, 1, "45ﾟ00'00\""},
        {std::cos(30.5 * M_PI / 180), std::sin(30.5 * M_PI / 180), "30ﾟ30'00\""},
        // 10.9999 seconds past 12 degrees is truncated, not rounded
        {std::cos((12 + 10.9999 / 3600) * M_PI / 180), std::sin((12 + 10.9999 / 3600) * M_PI / 180),
         "12ﾟ00'10\""},
        {1, -1e-9, "359ﾟ59'59\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AngleText(AzimuthPacked(100, 200, 100 + c.dx, 200 + c.dy)),
                  QString::fromUtf8(c.text))
            << c.dx << "," << c.dy;

    // Packed angles: sign on the whole, 45.3 typed is 45 degrees 30 minutes.
    EXPECT_DOUBLE_EQ(PackedToDegrees(453000), 45.5);
    EXPECT_DOUBLE_EQ(PackedToDegrees(-453000), -45.5);
    EXPECT_EQ(DegreesToPacked(45.5), 453000);
    EXPECT_EQ(AngleText(-450000), QString::fromUtf8("315ﾟ00'00\""));
    EXPECT_EQ(AngleText(7200102), QString::fromUtf8("0ﾟ01'02\""));
}

TEST(PlannedLine, SegmentOffsetsAndParallelMoves) {
    const TRulerRect box{0, 0, 100, 100};  // X0, Y0, X1, Y1
    struct Case {
        double px, py, theta, k;
        TRulerRect want;
    } cases[] = {
        {50, 50, 0, 0, {0, 50, 100, 50}},
        {50, 50, 0, 10, {0, 60, 100, 60}},   // moved to the +Y side
        {50, 50, 90, 10, {40, 0, 40, 100}},  // theta 90 moves towards -X
        {50, 50, 45, 0, {0, 0, 100, 100}},
        {50, 50, 315, 0, {0, 100, 100, 0}},
        {50, 50, 180, 10, {0, 60, 100, 60}},
        {50, 50, -180, 10, {0, 60, 100, 60}},  // the same line as 180
        {50, 50, -90, 10, {40, 0, 40, 100}},
        {50, 500, 0, 0, {}},  // misses the box: all zero
    };
    for (const Case& c : cases) {
        const TRulerRect s = PlannedLineSegment(c.px, c.py, c.theta, box, c.k);
        EXPECT_NEAR(s.X0, c.want.X0, 1e-9) << c.theta << " k " << c.k;
        EXPECT_NEAR(s.Y0, c.want.Y0, 1e-9) << c.theta << " k " << c.k;
        EXPECT_NEAR(s.X1, c.want.X1, 1e-9) << c.theta << " k " << c.k;
        EXPECT_NEAR(s.Y1, c.want.Y1, 1e-9) << c.theta << " k " << c.k;
    }

    const TRulerRect seg = PlannedLineSegment(50, 50, 0, box, 0);
    TOffsetLines off = PlannedLineOffsets(seg, box, 0, 10);
    ASSERT_TRUE(off.shown);
    EXPECT_EQ(off.left, (TRulerRect{0, 40, 100, 40}));
    EXPECT_EQ(off.right, (TRulerRect{0, 60, 100, 60}));
    EXPECT_FALSE(PlannedLineOffsets(seg, box, 0, 0).shown);
    EXPECT_FALSE(PlannedLineOffsets(TRulerRect{}, box, 0, 10).shown);
    // Offsets beyond the box are all zero, the other one still drawn.
    off = PlannedLineOffsets(PlannedLineSegment(50, 95, 0, box, 0), box, 0, 10);
    EXPECT_EQ(off.right, TRulerRect{});
    EXPECT_EQ(off.left, (TRulerRect{0, 85, 100, 85}));
}

TEST(InfoTexts, EveryKindExactly) {
    const TKijun ref{-120.5, 30.25, 2.5, QStringLiteral("K1")};
    const TGuideRef guide{true, QStringLiteral("K1"), -120.5, 30.25};
    const TIjo buoy{-110.5, 40.25, QStringLiteral("B7"), QStringLiteral("浮標")};
    const TMisoku mark{-120.5, 40.25, QStringLiteral("M"), 0};

    EXPECT_EQ(
        ReferenceInfo(ref),
        QString::fromUtf8("基準点「K1」\r\n\nＸ＝ -120.500000\r\nＹ＝ 30.250000\r\nＺ＝ 2.500000"));
    EXPECT_EQ(BuoyInfo(buoy, guide),
              QString::fromUtf8("設標点「B7」\r\n\nＸ＝ -110.500000\r\nＹ＝ 40.250000\r\n( 浮標 )"
                                "\r\n\n誘導点「K1」から\r\n45ﾟ00'00\"\r\n14.142136 ｍ"));
    EXPECT_EQ(MarkInfo(mark, std::nullopt),
              QString::fromUtf8("M\r\n\nＸ＝ -120.500000\r\nＹ＝ 40.250000"));
    // A highlighted guide index that names no point: empty name and azimuth, distance 0.
    EXPECT_EQ(MarkInfo(mark, TGuideRef{}),
              QString::fromUtf8("M\r\n\nＸ＝ -120.500000\r\nＹ＝ 40.250000"
                                "\r\n\n誘導点「」から\r\n\r\n0.000000 ｍ"));

    NullSink sink;
    TSokusenColl cuts(sink);
    TSokusen r{};
    for (int i = 0; i < 4; ++i) {
        r.X = 10 + 3 * i;
        r.Y = 20 + 4 * i;
        cuts.Add(r, i == 0 ? QStringLiteral("A") : QStringLiteral("B%1"));
    }
    // Cuts 0 and 1 of line "B%1" (a name is taken as it is), which starts at record 1.
    EXPECT_EQ(CutInfo(cuts, 1, 0),
              QString::fromUtf8(
                  "収録点 1\r\n\nＸ＝ 13.000000\r\nＹ＝ 24.000000\r\n\r\n\n測線 B%1\r\nｶｯﾄ  1"));
    EXPECT_EQ(CutInfo(cuts, 1, 1),
              QString::fromUtf8("収録点 2\r\n\nＸ＝ 16.000000\r\nＹ＝ 28.000000\r\n"
                                "間隔 5.000000 ｍ\r\n\n測線 B%1\r\nｶｯﾄ  2"));
    EXPECT_EQ(GuideStepText(0, 0, 0, -2),
              QString::fromUtf8("次の点まで\r\n角度 270ﾟ00'00\"\r\n距離 2.000000 ｍ"));
}

TEST(Popups, ItemsEnabledCheckedAndHidden) {
    auto find = [](const std::vector<TPopupItem>& m, TPopupCommand c) {
        for (const auto& it : m)
            if (it.command == c) return it;
        ADD_FAILURE() << "missing command " << static_cast<int>(c);
        return TPopupItem{};
    };
    auto visibleCaptions = [](const std::vector<TPopupItem>& m) {
        QStringList out;
        for (const auto& it : m)
            if (!it.hidden) out << (it.IsSeparator() ? QStringLiteral("-") : it.caption);
        return out.join('|');
    };
    TPopupState off, on;
    on.plannedLine = on.guideLine = on.markNames = on.buoyNames = on.refNames = on.lineYellow =
        true;

    EXPECT_EQ(visibleCaptions(BuildPopup(TPopupKind::Chart, off)),
              QString::fromUtf8("この位置をマーク|移動体をマーク|-|平面図の再描画|-|水深で色分け|"
                                "水深の範囲..."));
    EXPECT_EQ(visibleCaptions(BuildPopup(TPopupKind::Mark, off)),
              QString::fromUtf8("マークの情報|マーク名の表示|-|マークの変更|マークの削除|-|"
                                "計画線の移動|誘導点と結ぶ|移動体と結ぶ"));
    EXPECT_EQ(visibleCaptions(BuildPopup(TPopupKind::Reference, off)),
              QString::fromUtf8("基準点の情報|基準点名の表示|-|計画線の移動"));

    struct Case {
        TPopupKind kind;
        TPopupCommand command;
        bool enabledOff, enabledOn, checkedOff, checkedOn, hidden;
    } cases[] = {
        {TPopupKind::Mark, TPopupCommand::MoveRuler, false, true, false, false, false},
        {TPopupKind::Mark, TPopupCommand::JoinGuide, false, true, false, false, false},
        {TPopupKind::Buoy, TPopupCommand::JoinBoat, false, true, false, false, false},
        {TPopupKind::Reference, TPopupCommand::MoveRuler, false, true, false, false, false},
        {TPopupKind::Mark, TPopupCommand::MarkNames, true, true, false, true, false},
        {TPopupKind::Buoy, TPopupCommand::BuoyNames, true, true, false, true, false},
        {TPopupKind::Reference, TPopupCommand::RefNames, true, true, false, true, false},
        {TPopupKind::SurveyLine, TPopupCommand::CutNumbers, true, true, false, true, false},
        {TPopupKind::GuideLine, TPopupCommand::GuideDelete, false, true, false, false, false},
        {TPopupKind::Mark, TPopupCommand::GuideAdd, true, true, false, false, true},
        {TPopupKind::Buoy, TPopupCommand::GuideDelete, false, true, false, false, true},
        {TPopupKind::Mark, TPopupCommand::MarkDelete, true, true, false, false, false},
    };
    for (const Case& c : cases) {
        const TPopupItem a = find(BuildPopup(c.kind, off), c.command);
        const TPopupItem b = find(BuildPopup(c.kind, on), c.command);
        const int id = static_cast<int>(c.command);
        EXPECT_EQ(a.enabled, c.enabledOff) << id;
        EXPECT_EQ(b.enabled, c.enabledOn) << id;
        EXPECT_EQ(a.checked, c.checkedOff) << id;
        EXPECT_EQ(b.checked, c.checkedOn) << id;
        EXPECT_EQ(a.hidden, c.hidden) << id;
    }
}
