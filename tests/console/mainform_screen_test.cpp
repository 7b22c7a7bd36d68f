// The main window's screens as a crew meets them: what fits a small screen, what a job
// shows when it opens, the map windows' places and icons, a lost transfer port.
#include "tests/console/mainform_fixture.h"

#include <QDockWidget>
#include <QMenuBar>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolBar>

#include "console/guidance.h"
#include "surveydata/inifile.h"

namespace tidrun {
namespace {

using testing::WaitFor;

// With every toolbar and tool window shown the main window fits a screen of 1024x768
// pixels, less a title bar and a panel: the toolbars wrap to rows that show every button,
// the tool windows keep a few lines each and scroll.
TEST_F(MainFormTest, FitsA1024By768ScreenWithEverythingShown) {
    TMainForm& f = OpenWithPty();
    ASSERT_TRUE(f.IsOpen());
    f.actCompass->trigger();  // the circle-ruler toolbar; the planned line is on already
    f.ActTBRef->trigger();    // the fourth tool window
    QCoreApplication::processEvents();
    for (QWidget* w : std::initializer_list<QWidget*>{
             f.tbStandard, f.tbOperate, f.tbCircle, f.tbRuler, f.ToolWinCut, f.ToolWinRem,
             f.ToolWinGPS, f.ToolWinRef, f.pnlBottom->pnlRuler})
        ASSERT_TRUE(w->isVisible()) << w->objectName().toStdString();
    const QSize least = f.minimumSizeHint().expandedTo(f.minimumSize());
    EXPECT_LE(least.width(), 1024);
    EXPECT_LE(least.height(), 768 - 60);
    f.resize(1024, 768 - 60);
    QCoreApplication::processEvents();
    for (QToolBar* t :
         std::initializer_list<QToolBar*>{f.tbStandard, f.tbOperate, f.tbCircle, f.tbRuler})
        EXPECT_GE(t->width(), t->sizeHint().width()) << t->objectName().toStdString();
}

// A job whose file keeps map windows but no layout of the tool windows opens with the
// default layout: 設標, 受信ﾃﾞｰﾀ and 収録 shown, and the 収録 menu with them.
TEST_F(MainFormTest, AMissingToolLayoutIsTheDefaultLayout) {
    OpenWithPty();
    ASSERT_TRUE(form->IsOpen());
    sink.answer = true;
    ASSERT_TRUE(form->close());
    TIniDocument doc;
    ASSERT_TRUE(doc.Load(Cfg()));
    ASSERT_EQ(doc.Value(QStringLiteral("設定"), QStringLiteral("平面図")), QStringLiteral("1"));
    ASSERT_TRUE(doc.EraseSection(QStringLiteral("ツールバー")));
    ASSERT_TRUE(doc.Save(Cfg()));

    TMainForm& f = MakeForm();
    f.FileOpen();
    ASSERT_TRUE(f.IsOpen());
    ASSERT_EQ(f.MapForms().size(), 1);
    for (QDockWidget* d : {f.ToolWinRem, f.ToolWinGPS, f.ToolWinCut})
        EXPECT_TRUE(d->isVisible()) << d->objectName().toStdString();
    EXPECT_TRUE(f.menuSurvey->menuAction()->isVisible());
}

}  // namespace
}  // namespace tidrun
