// The work-procedure help window on the offscreen platform, driven by keyboard and mouse.
#include "console/gui/formhelp.h"

#include "tests/dialogs/gui_helpers.h"

#include <QLabel>
#include <QTest>
#include <QWindow>

#include <functional>

#include <gtest/gtest.h>

namespace tidrun {
namespace {

constexpr auto kRec = THelpKind::Recording;
constexpr auto kBuoy = THelpKind::BuoySetting;

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

// A click on a link word runs its step once, through the window as the platform delivers
// it: a quick, a slow and a double click, also on a line the keyboard reached first.
TEST(FormHelp, MouseClicksOnALinkRunItsStepOnce) {
    QWidget main;
    main.setGeometry(100, 50, 800, 600);
    TFormHelp help(&main);
    std::vector<std::pair<THelpKind, int>> clicked;
    QObject::connect(&help, &TFormHelp::LinkActivated,
                     [&](THelpKind k, int n) { clicked.emplace_back(k, n); });
    help.Fill(kRec, QStringLiteral("収録"));
    help.ShowBeside(main.frameGeometry());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    QWindow* window = help.windowHandle();
    ASSERT_NE(window, nullptr);

    // The middle of the link word of line `row` (" (n,word,)..." begins with a blank).
    auto linkAt = [&](int row, const QString& word) {
        QLabel* l = help.Lines()[size_t(row)];
        const QFontMetrics fm(l->font());
        const int x = l->contentsRect().left() + fm.horizontalAdvance(QChar(0xA0)) +
                      fm.horizontalAdvance(word) / 2;
        return l->mapTo(&help, QPoint(x, l->height() / 2));
    };
    using Click = std::function<void(QPoint)>;
    const struct {
        const char* how;
        int row;
        const char* word;
        int link;
        bool keyboardFirst;
        Click click;
    } cases[] = {
        {"click", 1, "平面図", 2, false,
         [&](QPoint p) { QTest::mouseClick(window, Qt::LeftButton, {}, p); }},
        {"slow click", 3, "受信ﾃﾞｰﾀｳｨﾝﾄﾞｳ", 4, false,
         [&](QPoint p) {
             QTest::mousePress(window, Qt::LeftButton, {}, p);
             QTest::mouseRelease(window, Qt::LeftButton, {}, p, 800);
         }},
        {"double click", 4, "収録ｳｨﾝﾄﾞｳ", 3, false,
         [&](QPoint p) { QTest::mouseDClick(window, Qt::LeftButton, {}, p); }},
        {"click after Tab", 1, "平面図", 2, true,
         [&](QPoint p) { QTest::mouseClick(window, Qt::LeftButton, {}, p); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        clicked.clear();
        QLabel* line = help.Lines()[size_t(c.row)];
        if (c.keyboardFirst) {
            line->setFocus(Qt::TabFocusReason);
            ASSERT_FALSE(line->selectedText().isEmpty());
        } else {
            help.Lines()[2]->setFocus(Qt::OtherFocusReason);  // another line had the focus
        }
        const QPoint at = linkAt(c.row, QString::fromUtf8(c.word));
        QTest::mouseMove(window, at);
        ASSERT_EQ(line->cursor().shape(), Qt::PointingHandCursor) << "aimed at the link";
        c.click(at);
        QCoreApplication::processEvents();
        ASSERT_EQ(clicked.size(), 1u);
        EXPECT_EQ(clicked[0], std::make_pair(kRec, c.link));
    }
}

}  // namespace
}  // namespace tidrun
