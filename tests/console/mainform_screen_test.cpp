// The main window's screens as a crew meets them: what fits a small screen, what a job
// shows when it opens, the map windows' places and icons, a lost transfer port.
#include "tests/console/mainform_fixture.h"

#include <QDockWidget>
#include <QImage>
#include <QMenuBar>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolBar>

#include <functional>

#include "console/gui/formhelp.h"
#include "console/guidance.h"
#include "planview/series.h"
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
    Act(f, "actCompass")->trigger();  // the circle-ruler toolbar; the planned line is on already
    Act(f, "ActTBRef")->trigger();    // the fourth tool window
    QCoreApplication::processEvents();
    for (QWidget* w : std::initializer_list<QWidget*>{
             Named<QToolBar>(f, "tbStandard"), Named<QToolBar>(f, "tbOperate"),
             Named<TCircleToolBar>(f, "tbCircle"), Named<TRulerToolBar>(f, "tbRuler"),
             Named<QDockWidget>(f, "ToolWinCut"), Named<QDockWidget>(f, "ToolWinRem"),
             Named<QDockWidget>(f, "ToolWinGPS"), Named<QDockWidget>(f, "ToolWinRef"),
             Named<TCoordPanel>(f, "pnlBottom")->pnlRuler})
        ASSERT_TRUE(w->isVisible()) << w->objectName().toStdString();
    const QSize least = f.minimumSizeHint().expandedTo(f.minimumSize());
    EXPECT_LE(least.width(), 1024);
    EXPECT_LE(least.height(), 768 - 60);
    f.resize(1024, 768 - 60);
    QCoreApplication::processEvents();
    for (QToolBar* t : std::initializer_list<QToolBar*>{
             Named<QToolBar>(f, "tbStandard"), Named<QToolBar>(f, "tbOperate"),
             Named<TCircleToolBar>(f, "tbCircle"), Named<TRulerToolBar>(f, "tbRuler")})
        EXPECT_GE(t->width(), t->sizeHint().width()) << t->objectName().toStdString();
}

// Opening a job shows its own values or the design-time texts, never the last job's: the
// guidance to a buoy point and the last cut of the job closed before.
TEST_F(MainFormTest, AnOpenedJobShowsNothingOfTheJobClosedBefore) {
    WriteLines("SOKUSEN.DAT",
               {QStringLiteral("1, 1, \"A\", 1, -67500.000, 3500.000, 1.000, 0.0, 0, 3523.42, "
                               "13952.16, 35.0, \"26/12/08 09:30:00\", 0, 0, 0, 0")});
    TMainForm& f = OpenWithPty();
    ASSERT_TRUE(f.IsOpen());
    Named<TGuidePanel>(f, "pnlGuide")->cbxRemPoint->setCurrentIndex(1);  // 設標01
    pty->Write(Gga(0, 4, 1.0));
    ASSERT_TRUE(WaitFor(
        [&] { return Named<TGuidePanel>(f, "pnlGuide")->lblDeltaXValue->text() != DeltaText(0); }));
    ASSERT_NE(Named<TCutPanel>(f, "pnlCut")->lblCutSEQ->text(), QStringLiteral("前測点 0"));
    Act(f, "actFileClose")->trigger();
    ASSERT_TRUE(WaitFor([&] { return f.MapForms().isEmpty(); }));

    // The next job has no recorded line and no buoy point of that name.
    WriteLines("SOKUSEN.DAT", {});
    WriteLines("SETUHYO.DAT", {QStringLiteral("設標99 -67563.159 3512.585 灯浮標")});
    f.FileOpen();
    ASSERT_TRUE(f.IsOpen());
    EXPECT_EQ(Named<TGuidePanel>(f, "pnlGuide")->cbxRemPoint->currentText(),
              QStringLiteral("(なし)"));
    const TGuidePanel freshGuide;
    const TCutPanel freshCut;
    const auto texts = [](const QWidget& panel) {
        QStringList out;
        for (const QLabel* l : panel.findChildren<QLabel*>())
            if (l->objectName() != QStringLiteral("pnlMode"))  // the job's own cut method
                out << l->objectName() + '=' + l->text() + (l->isHidden() ? "(hidden)" : "");
        return out.join(QStringLiteral(" | "));
    };
    EXPECT_EQ(texts(*Named<TGuidePanel>(f, "pnlGuide")), texts(freshGuide));
    EXPECT_EQ(texts(*Named<TCutPanel>(f, "pnlCut")), texts(freshCut));
    EXPECT_EQ(Named<TCoordPanel>(f, "pnlBottom")->lblRulerDist->text(), RulerDistanceText(0));
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
    for (QDockWidget* d : {Named<QDockWidget>(f, "ToolWinRem"), Named<QDockWidget>(f, "ToolWinGPS"),
                           Named<QDockWidget>(f, "ToolWinCut")})
        EXPECT_TRUE(d->isVisible()) << d->objectName().toStdString();
    EXPECT_TRUE(Named<QMenu>(f, "menuSurvey")->menuAction()->isVisible());
}

// A map window made by 平面図 (F2) starts at the top left of the workspace, and is stored
// there: beside a maximised window and beside one the user put at the top left.
TEST_F(MainFormTest, ANewMapWindowStartsAtTheTopLeft) {
    for (const bool firstMaximised : {true, false}) {
        SCOPED_TRACE(firstMaximised ? "first maximised" : "first at the top left");
        TMainForm& f = OpenWithPty();
        ASSERT_EQ(f.MapForms().size(), 1);
        auto* first = qobject_cast<QMdiSubWindow*>(f.MapForms()[0]->parentWidget());
        if (!firstMaximised) {
            first->showNormal();
            first->setGeometry(0, 0, 400, 300);
        }
        Act(f, "actNewMap")->trigger();
        ASSERT_EQ(f.MapForms().size(), 2);
        EXPECT_EQ(RestoredGeometry(f.MapForms()[1]->parentWidget()).topLeft(), QPoint(0, 0));
        Act(f, "actFileClose")->trigger();
        ASSERT_TRUE(WaitFor([&] { return f.MapForms().isEmpty(); }));
        for (int i = 0; i < 2; ++i) {
            MapWindowConfig c;
            c.Load(Cfg(), i);
            EXPECT_EQ(QPoint(c.Left, c.Top), QPoint(0, 0)) << i;
        }
        form.reset();
        ASSERT_TRUE(QFile::remove(Cfg()));
        ASSERT_TRUE(settings.Store(Cfg()));
    }
}

// Losing the transfer port is shown as losing the GPS port is: the caption's state and the
// received-data window name it, until it is back.
TEST_F(MainFormTest, ALostTransferPortIsShownUntilItIsBack) {
    settings.OutMethod = QStringLiteral("受信データ");
    settings.OutPort = QStringLiteral("COM2");
    ASSERT_TRUE(settings.Store(Cfg()));
    const QString link = QDir(prog.path()).filePath("ttyOut");
    auto out = std::make_unique<test::Pty>();
    ASSERT_TRUE(QFile::link(out->SlavePath(), link));
    ASSERT_TRUE(TIniFile(Ini()).WriteString(QStringLiteral("Ports"), "COM2", link));
    TMainForm& f = OpenWithPty();
    ASSERT_TRUE(f.PortConnected());
    f.Gps()->SetReconnectInterval(100);
    pty->Write(Gga(0, 4, 1.0));
    ASSERT_TRUE(WaitFor([&] { return out->ReadAvailable().contains("GPGGA"); }));
    ASSERT_EQ(f.AppTitle(), QString());

    out.reset();  // unplugged
    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(WaitFor([&] { return f.AppTitle() == QStringLiteral("転送 COM2 未接続"); }));
    EXPECT_TRUE(f.windowTitle().startsWith(QStringLiteral("転送 COM2 未接続 — ")));
    EXPECT_FALSE(Named<TGpsPanel>(f, "pnlGPS")->lblPortState->isHidden());
    EXPECT_TRUE(Named<TGpsPanel>(f, "pnlGPS")
                    ->lblPortState->text()
                    .startsWith(QStringLiteral("転送 COM2 が切断されました（再接続中）\n")));
    EXPECT_TRUE(Named<TGpsPanel>(f, "pnlGPS")->lblPortState->toolTip().contains(link));
    EXPECT_TRUE(f.PortConnected());  // the receiver goes on

    out = std::make_unique<test::Pty>();
    ASSERT_TRUE(QFile::link(out->SlavePath(), link));
    ASSERT_TRUE(WaitFor([&] { return f.AppTitle().isEmpty(); }));
    EXPECT_TRUE(Named<TGpsPanel>(f, "pnlGPS")->lblPortState->isHidden());
    pty->Write(Gga(1, 4, 1.0));
    EXPECT_TRUE(WaitFor([&] { return out->ReadAvailable().contains("GPGGA"); }));
    EXPECT_TRUE(sink.entries.empty()) << sink.Texts().join(" | ").toStdString();
}

// The map shows the marks the mark file holds: an added, changed or deleted mark that could
// not be stored (here a folder stands where the file was; a read-only file in a folder of
// its own is refused the same way) is reported once and undone, on the map too.
TEST_F(MainFormTest, AMarkThatCouldNotBeStoredIsNotShown) {
    TMainForm& f = OpenWithPty();
    ASSERT_EQ(f.MapForms().size(), 1);
    const QString markFile = QDir(workDir).filePath("MARK.DAT");
    const auto shown = [&] {
        QStringList names;
        const THotSpotSeries* marks = f.MapForms()[0]->Session().Scene().Marks();
        for (int i = 0; marks && i < marks->Count(); ++i) names << marks->Label(i);
        return names;
    };
    const auto held = [&] {
        QStringList names;
        for (const TMisoku& m : f.Session().Misoku().Items())
            names << m.Name + ' ' + QString::number(m.Number);
        return names;
    };
    const QStringList before = held();
    ASSERT_EQ(before, QStringList{QStringLiteral("障害物 1")});
    const struct {
        const char* what;
        std::function<void()> edit;
    } cases[] = {
        {"add", [&] { f.AddMark(QStringLiteral("浅所"), Qt::red, -67000, 3500); }},
        {"change", [&] { f.ChangeMark(0, QStringLiteral("変更"), Qt::blue); }},
        {"delete", [&] { f.DeleteMark(0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(QFile::remove(markFile));
        ASSERT_TRUE(QDir().mkdir(markFile));
        sink.entries.clear();
        c.edit();
        QCoreApplication::processEvents();
        EXPECT_EQ(sink.entries.size(), 1u) << sink.Texts().join(" | ").toStdString();
        EXPECT_EQ(held(), before);
        EXPECT_EQ(shown(), QStringList{QStringLiteral("障害物")});
        ASSERT_TRUE(QDir().rmdir(markFile));
        WriteLines("MARK.DAT", {QStringLiteral("-67396.604   3875.884 障害物 1")});
    }
    // Stored, the mark is on the map and in the file.
    sink.entries.clear();
    f.AddMark(QStringLiteral("浅所"), Qt::red, -67000, 3500);
    QCoreApplication::processEvents();
    EXPECT_TRUE(sink.entries.empty());
    EXPECT_EQ(shown(), (QStringList{QStringLiteral("障害物"), QStringLiteral("浅所")}));
    QStringList lines;
    ASSERT_TRUE(ReadCp932Lines(markFile, lines));
    EXPECT_EQ(lines.size(), 2);
}

// Every window of the console shows the program's own icon, not the toolkit's logo: the main
// window, a map window and the help window.
TEST_F(MainFormTest, WindowsShowTheProgramsIcon) {
    TMainForm& f = OpenWithPty();
    ASSERT_EQ(f.MapForms().size(), 1);
    Act(f, "actHelpSokuryo")->trigger();
    const QImage own(QStringLiteral(":/icons/tidrun-16.png"));
    ASSERT_FALSE(own.isNull());
    const auto pixels = [](const QImage& image) {  // the opaque ones (edges round)
        QList<QRgb> out;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                out << (qAlpha(image.pixel(x, y)) == 255 ? image.pixel(x, y) : 0);
        return out;
    };
    const std::pair<const char*, QWidget*> windows[] = {
        {"main window", &f},
        {"map window", f.MapForms()[0]->parentWidget()},
        {"help window", f.findChild<TFormHelp*>()},
    };
    for (const auto& [what, w] : windows) {
        ASSERT_NE(w, nullptr) << what;
        EXPECT_EQ(pixels(w->windowIcon().pixmap(16).toImage()), pixels(own)) << what;
    }
}

}  // namespace
}  // namespace tidrun
