// The work-procedure help: what each link does in each state, the link words in the lines
// and where the window goes.
#include "console/helpsteps.h"

#include <gtest/gtest.h>

namespace tidrun {
namespace {

using A = THelpAction;
constexpr auto kRec = THelpKind::Recording;
constexpr auto kBuoy = THelpKind::BuoySetting;

TEST(HelpSteps, LinkActionsByState) {
    struct Case {
        THelpKind kind;
        int link;
        THelpState state;  // recording, cut, rem, gps windows visible
        A expected;
    };
    const THelpState idle{}, recording{true, false, false, false},
        allShown{false, true, true, true};
    const Case cases[] = {
        {kRec, 1, idle, A::Calibrate},
        {kBuoy, 1, idle, A::Calibrate},
        {kRec, 2, idle, A::NewMap},
        {kBuoy, 2, allShown, A::NewMap},
        {kRec, 3, idle, A::ShowCutWindow},
        {kRec, 3, allShown, A::None},
        {kBuoy, 3, idle, A::ShowRemWindow},
        {kBuoy, 3, allShown, A::None},
        {kBuoy, 3, {false, false, true, false}, A::None},
        {kRec, 3, {false, false, true, false}, A::ShowCutWindow},
        {kRec, 4, idle, A::ShowGpsWindow},
        {kBuoy, 4, allShown, A::None},
        {kRec, 5, idle, A::StartRecording},
        {kRec, 5, recording, A::None},
        {kRec, 6, recording, A::StopRecording},
        {kRec, 6, idle, A::None},
        {kBuoy, 5, idle, A::None},
        {kBuoy, 6, recording, A::None},
        {kRec, 0, idle, A::None},
        {kRec, 7, idle, A::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HelpActionFor(c.kind, c.link, c.state), c.expected)
            << "kind " << int(c.kind) << " link " << c.link << " recording " << c.state.recording;
}

TEST(HelpSteps, LinesCaptionsAndLinkWords) {
    EXPECT_EQ(HelpCaption("収録"), "収録の作業手順");
    const QStringList rec = HelpLines(kRec), buoy = HelpLines(kBuoy);
    ASSERT_EQ(rec.size(), 8);
    ASSERT_EQ(buoy.size(), 6);
    EXPECT_TRUE(rec[0].isEmpty() && buoy[0].isEmpty());
    for (const QString& l : rec.mid(1) + buoy.mid(1))
        EXPECT_TRUE(l.startsWith(' ')) << l.toStdString();
    EXPECT_EQ(rec[4], " (3,収録ｳｨﾝﾄﾞｳ,)を開く");
    EXPECT_EQ(buoy[4], " (3,設標ｳｨﾝﾄﾞｳ,)を開く");
    EXPECT_EQ(buoy[5], " 設標（設標点の入力）");

    using S = std::vector<THelpSegment>;
    struct Case {
        QString line;
        S segments;
    };
    const Case cases[] = {
        {" 収録の(5,準備,)（測線名の入力）",
         S{{" 収録の", 0}, {"準備", 5}, {"（測線名の入力）", 0}}},
        {" (2,平面図,)を開く", S{{" ", 0}, {"平面図", 2}, {"を開く", 0}}},
        {"(12,a b,)(3,c,)", S{{"a b", 12}, {"c", 3}}},
        {" 収録（データの保存）", S{{" 収録（データの保存）", 0}}},
        {"(x,y,) (1,z) (2,w,", S{{"(x,y,) (1,z) (2,w,", 0}}},
        {"", S{}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitHelpLine(c.line), c.segments) << c.line.toStdString();
}

TEST(HelpSteps, Placement) {
    struct Case {
        QPoint at;
        QRect main;
        QPoint expected;
    };
    const Case cases[] = {
        {{0, 0}, {100, 50, 800, 600}, {600, 150}},     // first showing: beside the main window
        {{40, -20}, {100, 50, 800, 600}, {600, 150}},  // above the top edge: placed as well
        {{700, 30}, {100, 50, 800, 600}, {700, 30}},   // moved by the user: stays
        {{-50, 30}, {100, 50, 800, 600}, {10, 30}},    // off the left edge
        {{0, 0}, {-500, -200, 400, 300}, {10, 10}},    // main window partly off the screen
    };
    for (const Case& c : cases)
        EXPECT_EQ(HelpPlacement(c.at, c.main), c.expected) << c.at.x() << "," << c.at.y();
}

}  // namespace
}  // namespace tidrun
