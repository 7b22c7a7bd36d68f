// A real map window over the demo job: what it paints, how it prints to a PDF file, and
// the mark property dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>

#include "fakehost.h"
#include "planview/gui/hotspotprop.h"
#include "planview/gui/mapform.h"
#include "planview/gui/surveychart.h"
#include "planview/markprops.h"

using namespace tidrun;
using namespace tidrun::test;

namespace {

// The demo job's files as the main window loads them, plus two recorded lines.
struct DemoJob {
    DemoJob() : kijun(sink), tansa(sink), ijo(sink), misoku(sink), sokusen(sink) {
        const QDir demo(QStringLiteral("examples/demo"));
        EXPECT_TRUE(kijun.Load(demo.filePath("KIJUN.DAT")));
        EXPECT_TRUE(tansa.Load(demo.filePath("CHOSA.DAT")));
        EXPECT_TRUE(ijo.Load(demo.filePath("SETUHYO.DAT")));
        EXPECT_TRUE(misoku.Load(demo.filePath("MARK.DAT")));
        TSokusen r{};
        for (int i = 0; i < 40; ++i) {
            r.X = -67500 + 10 * i;
            r.Y = 3500 + (i < 20 ? 0 : 300);
            r.CutNo = i % 20 + 1;
            sokusen.Add(r, i < 20 ? QStringLiteral("L1") : QStringLiteral("L2"));
        }
    }
    TPlanSources Sources() {
        return {&kijun, &tansa, &ijo, &misoku, &sokusen, std::make_shared<TCutStore>()};
    }
    RecordingSink sink;
    TKijunColl kijun;
    TTansaColl tansa;
    TIjoColl ijo;
    TMisokuColl misoku;
    TSokusenColl sokusen;
};

int CountColour(const QImage& img, QRgb rgb, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF)) ++n;
    return n;
}

QString OutDir() {
    // Kept after the run, to be looked at.
    const QString dir = QDir::tempPath() + QStringLiteral("/tidrun-mapwindow");
    QDir().mkpath(dir);
    return dir;
}

}  // namespace

TEST(MapForm, ShowsTheDemoJobAndTheBoat) {
    DemoJob job;
    FakeHost host;
    TMapForm form(host, job.sink, job.Sources());
    form.resize(900, 600);
    form.show();
    form.OnMapColor(QColor(0x000080));
    form.OnFitAll();
    QApplication::processEvents();
    const TChartView& view = form.Session().View();

    QImage before = form.Chart()->grab().toImage();
    before.save(OutDir() + "/mapform-demo.png");
    const QRect plot = view.PlotRect();
    EXPECT_GT(CountColour(before, 0x000080, plot), plot.width() * plot.height() / 3);  // wall
    EXPECT_GT(CountColour(before, 0x00FF00, plot), 200);  // survey area outline and buoys
    EXPECT_GT(CountColour(before, 0xFFFFFF, plot), 40);   // the finished lines
    EXPECT_GT(CountColour(before, 0xFFFF00, plot), 100);  // the north arrow
    // The demo's marks in colours of the mark dialog, none black; the fuchsia one drawn.
    for (const TMisoku& m : job.misoku.Items()) {
        const QRgb c = qRgb(0, 0, 0) | MarkNumberToColour(m.Number);
        EXPECT_NE(c, qRgb(0, 0, 0)) << m.Name.toStdString();
        EXPECT_NE(std::find(BasicColours().begin(), BasicColours().end(), c), BasicColours().end())
            << m.Name.toStdString();
    }
    EXPECT_GT(CountColour(before, 0xFF00FF, plot), 10);

    // A fix: the boat appears at its position and nowhere else changes.
    const double bx = -67300, by = 3900;
    form.OnBoatPos(ToMillimetres(bx), ToMillimetres(by));
    QApplication::processEvents();
    const QImage after = form.Chart()->grab().toImage();
    after.save(OutDir() + "/mapform-boat.png");
    const QPoint p = view.ToPixelRounded(by, bx);
    const QRect around(p - QPoint(6, 6), QSize(13, 13));
    EXPECT_GT(CountColour(after, 0xFF0000, around), 4);
    int changedOutside = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (!around.contains(x, y) && after.pixel(x, y) != before.pixel(x, y)) ++changedOutside;
    EXPECT_EQ(changedOutside, 0);
}

TEST(MapForm, PrintsThePlanToAPdfFileOneJobPerCopy) {
    DemoJob job;
    FakeHost host;
    TMapForm form(host, job.sink, job.Sources());
    form.Chart()->setObjectName(QStringLiteral("SurveyChart1"));
    form.resize(900, 600);
    form.show();
    form.OnMapColor(QColor(0x008080));
    QApplication::processEvents();

    const QString pdf = OutDir() + "/mapform-print.pdf";
    QFile::remove(pdf);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageOrientation(QPageLayout::Landscape);
    form.PrintWith(printer, 2);
    EXPECT_TRUE(job.sink.entries.empty());
    EXPECT_EQ(printer.docName(), QStringLiteral("SurveyChart1"));
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page "), 1);

    // A disk that fills up while the file is written (a file-size limit of 4 KB on this
    // process stands in for it): the print is reported as failed, and no cut-short file
    // is left.
    const QString full = OutDir() + "/mapform-print-full.pdf";
    QFile::remove(full);
    printer.setOutputFileName(full);
    {
        rlimit old{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &small);
        form.PrintWith(printer, 1);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, handler);
    }
    EXPECT_EQ(job.sink.Texts(), QStringList{QStringLiteral("印刷できません")});
    EXPECT_FALSE(QFile::exists(full));
    printer.setOutputFileName(pdf);

    // Render the page and look for the plan on it (scripts/deps.sh installs ghostscript).
    const QString gs = QStandardPaths::findExecutable(QStringLiteral("gs"));
    ASSERT_FALSE(gs.isEmpty()) << "no ghostscript (gs) to render the page";
    const QString png = OutDir() + "/mapform-print.png";
    QProcess::execute(gs, {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=png16m", "-r50",
                           "-sOutputFile=" + png, pdf});
    const QImage page(png);
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(CountColour(page, 0x008080, page.rect()), page.width() * page.height() / 4);
    EXPECT_GT(CountColour(page, 0x00FF00, page.rect()), 20);
    // Axis labels keep their size relative to the plan.
    EXPECT_LT(CountColour(page, 0x000000, page.rect()), page.width() * page.height() / 50);
}

TEST(HotSpotProp, BasicColoursAndNamesTheMarkFileCanHold) {
    RecordingSink sink;
    TfrmHotSpotProp dlg(sink);
    ASSERT_EQ(dlg.cbxColour->count(), 16);
    const QRgb order[] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                          0x008080, 0x808080, 0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00,
                          0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(dlg.cbxColour->itemData(i).value<QColor>().rgb() & 0xFFFFFF, order[i]) << i;
        EXPECT_TRUE(dlg.cbxColour->itemText(i).isEmpty());
    }
    dlg.SetColour(QColor(0xFF00FF));
    EXPECT_EQ(dlg.cbxColour->currentIndex(), 13);
    dlg.SetColour(QColor(0x123456));  // a colour of its own is kept
    EXPECT_EQ(dlg.Colour(), QColor(0x123456));
    EXPECT_EQ(dlg.cbxColour->count(), 17);

    dlg.show();
    dlg.SetName(QStringLiteral("岸\"壁"));
    dlg.accept();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(sink.Texts(), QStringList{ValidateMarkName(QStringLiteral("\""))});
    dlg.SetName(QStringLiteral("岸 壁"));
    dlg.accept();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);

    // However long a name is pasted, the mark file holds what the dialog gives and reads
    // it back.
    dlg.SetName(QString(40000, QChar(0x3042)));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("MARK.DAT"));
    TMisokuColl marks(sink);
    marks.Add(-67000, 3000, dlg.Name(), 0xFF00FF);
    ASSERT_TRUE(marks.Save(path));
    TMisokuColl reread(sink);
    ASSERT_TRUE(reread.Load(path));
    ASSERT_EQ(reread.Count(), 1);
    EXPECT_EQ(reread.Item(0).Name, dlg.Name());
}

TEST(MapForm, ClickShowsInformationAfterThePauseAndRightClickOpensTheMenu) {
    DemoJob job;
    FakeHost host;
    TMapForm form(host, job.sink, job.Sources());
    form.resize(900, 600);
    form.show();
    QApplication::processEvents();
    const TIjo& buoy = job.ijo.Item(0);
    const QPointF at = form.Session().View().ToPixelRounded(buoy.Y, buoy.X);
    auto click = [&](Qt::MouseButton b) {
        QMouseEvent press(QEvent::MouseButtonPress, at, form.Chart()->mapToGlobal(at), b, b,
                          Qt::NoModifier);
        QApplication::sendEvent(form.Chart(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, form.Chart()->mapToGlobal(at), b,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(form.Chart(), &release);
    };

    click(Qt::LeftButton);
    EXPECT_TRUE(host.infos.isEmpty());  // not before the pause
    QElapsedTimer t;
    t.start();
    while (host.infos.isEmpty() && t.elapsed() < 3000) QApplication::processEvents();
    ASSERT_EQ(host.infos.size(), 1);
    EXPECT_GE(t.elapsed(), 400);
    EXPECT_TRUE(host.infos[0].startsWith(QStringLiteral("設標点「%1」").arg(buoy.Name)));

    // The buoy menu: the visible items as the model says, its name toggle chosen.
    QStringList shown;
    QTimer::singleShot(200, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* a : menu->actions())
            if (a->isVisible() && !a->isSeparator())
                shown << a->text() + (a->isEnabled() ? "" : "(off)");
        for (QAction* a : menu->actions())
            if (a->text() == QStringLiteral("設標点名の表示")) menu->setActiveAction(a);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(menu, &enter);
    });
    click(Qt::RightButton);
    EXPECT_EQ(shown, (QStringList{"設標点の情報", "設標点名の表示", "計画線の移動(off)",
                                  "誘導点と結ぶ(off)", "移動体と結ぶ(off)"}));
    EXPECT_TRUE(form.Session().Scene().Buoys()->Marks.Visible);
}
