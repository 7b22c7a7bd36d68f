// The work-procedure help: what each link does in each state, the link words in the lines,
// the placement, and the window on the offscreen platform driven by keyboard.
#include "console/formhelp.h"
#include "console/helpsteps.h"

#include "tests/dialogs/gui_helpers.h"

#include <QLabel>

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

// The window: F1 and Shift+F1 refill the same window; links reached with Tab and Return
// report their procedure and step; the user's position is kept.
TEST(FormHelp, FillSwitchPlaceAndKeyboardLinks) {
    QWidget main;
    main.setGeometry(100, 50, 800, 600);
    TFormHelp help(&main);
    EXPECT_EQ(help.pos(), QPoint(0, 0));
    std::vector<std::pair<THelpKind, int>> clicked;
    QObject::connect(&help, &TFormHelp::LinkActivated,
                     [&](THelpKind k, int n) { clicked.emplace_back(k, n); });

    help.Fill(kRec, QStringLiteral("収録"));
    const QRect frame = main.frameGeometry();
    help.ShowBeside(frame);
    EXPECT_EQ(help.windowTitle(), "収録の作業手順");
    ASSERT_EQ(help.Lines().size(), 8u);
    EXPECT_EQ(help.Lines()[1]->text(), "&nbsp;<a href=\"step:2\">平面図</a>を開く");
    EXPECT_EQ(help.pos(), HelpPlacement({0, 0}, frame));

    // From the first link on, Tab and Return reach every link in order; lines without a
    // link take no focus.
    EXPECT_EQ(help.Lines()[6]->focusPolicy(), Qt::NoFocus);
    help.activateWindow();
    ASSERT_TRUE(testing::WaitFor([&] { return QApplication::activeWindow() == &help; }));
    help.Lines()[1]->setFocus(Qt::TabFocusReason);
    for (int link : {2, 1, 4, 3, 5, 6}) {
        auto* at = qobject_cast<QLabel*>(help.focusWidget());
        ASSERT_NE(at, nullptr);
        EXPECT_FALSE(at->selectedText().isEmpty()) << "the link word is marked";
        testing::PressKey(at, Qt::Key_Return);
        ASSERT_FALSE(clicked.empty()) << link;
        EXPECT_EQ(clicked.back(), std::make_pair(kRec, link));
        testing::PressKey(at, Qt::Key_Tab);
    }
    EXPECT_EQ(clicked.size(), 6u);
    clicked.clear();

    help.move(300, 200);  // the user's place
    help.hide();
    help.Fill(kBuoy, QStringLiteral("設標"));
    help.ShowBeside(main.frameGeometry());
    EXPECT_EQ(help.pos(), QPoint(300, 200));
    EXPECT_EQ(help.windowTitle(), "設標の作業手順");
    ASSERT_EQ(help.Lines().size(), 6u);
    testing::PressKey(help.Lines()[4], Qt::Key_Return);
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0], std::make_pair(kBuoy, 3));
}

}  // namespace
}  // namespace tidrun
