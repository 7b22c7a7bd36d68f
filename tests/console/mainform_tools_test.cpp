// Calibration, transfer and the work-procedure help through the main window: a work folder
// on disk, the receiver and the transfer target on pseudo-terminals, the real widgets on
// the offscreen platform.
#include "console/gui/calibratedlg.h"
#include "console/gui/coordpanel.h"
#include "console/gui/cutpanel.h"
#include "console/gui/formhelp.h"
#include "console/gui/gpspanel.h"
#include "console/gui/guidepanel.h"
#include "console/gui/mainform.h"
#include "console/gui/rulertoolbar.h"
#include "console/jobsession.h"
#include "tests/console/named_child.h"

#include "planview/gui/mapform.h"
#include "platform/gui/numericedit.h"
#include "surveydata/codec.h"
#include "surveydata/config.h"
#include "surveydata/inifile.h"
#include "surveydata/pointcoll.h"
#include "tests/console/jobfiles.h"
#include "tests/dialogs/gui_helpers.h"
#include "tests/receiver/receiver_support.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace tidrun {
namespace {

using test::Packet;
using test::Pty;
using test::Sentence;
using testing::OnModal;
using testing::PressKey;
using testing::WaitFor;

// The same fix off Tokyo Bay (zone 9) at 00:30:<sec> UTC.
QByteArray Gga(int sec) {
    return Sentence("GPGGA,0030" + QByteArray::number(sec % 60).rightJustified(2, '0') +
                    ".00,3523.4241,N,13952.1641,E,4,12,0.8,3.181,M,36.700,M,1.0,0001");
}

class MainToolsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(prog.isValid() && work.isValid());
        workDir = work.path();
        ASSERT_TRUE(WriteCp932LinesAtomic(QDir(workDir).filePath("KIJUN.DAT"),
                                          {QStringLiteral("基準1 -67895.365 3158.766 2.839"),
                                           QStringLiteral("基準2 -67662.567 3139.242 3.043")}));
        ASSERT_TRUE(WriteCp932LinesAtomic(
            QDir(workDir).filePath("CHOSA.DAT"),
            {QStringLiteral("A1 -68000 3000 1 0"), QStringLiteral("A2 -67000 3000 1 0"),
             QStringLiteral("A3 -67000 4000 1 0")}));
        ASSERT_TRUE(WriteCp932LinesAtomic(QDir(workDir).filePath("SOKUSEN.DAT"), {}));
        ASSERT_TRUE(WriteCp932LinesAtomic(QDir(workDir).filePath("MARK.DAT"), {}));
        ASSERT_TRUE(WriteCp932LinesAtomic(QDir(workDir).filePath("SETUHYO.DAT"),
                                          {QStringLiteral("設標01 -67563.159 3512.585 灯浮標")}));
        settings.JobName = QStringLiteral("テスト工事");
        settings.Zone = QStringLiteral("9系");
        NameJobFiles(settings);
        settings.OutPort = QStringLiteral("COM2");
        TIniFile ini(TidrunIniPath(prog.path()));
        ASSERT_TRUE(ini.WriteString(QStringLiteral("Ports"), "COM1", gpsPty.SlavePath()));
        ASSERT_TRUE(ini.WriteString(QStringLiteral("Ports"), "COM2", outPty.SlavePath()));
    }
    void TearDown() override { form.reset(); }

    QString Cfg() const { return QDir(workDir).filePath("Tidrun.CFG"); }
    TMainForm& Open() {
        EXPECT_TRUE(settings.Store(Cfg()));
        form = std::make_unique<TMainForm>(sink, prog.path());
        AnswerOpenDialogs(*form, workDir, sink);
        form->resize(1200, 800);
        form->show();
        form->FileOpen();
        return *form;
    }

    QTemporaryDir prog, work;
    QString workDir;
    TJobSettings settings;
    RecordingSink sink;
    Pty gpsPty, outPty;
    std::unique_ptr<TMainForm> form;
};

// Cancel keeps the offsets; a measurement at 基準2 replaces them on OK, every sample is in
// the calibration log, the next position is shown corrected onto the reference point, and
// the offsets and the reference point are stored with the job at 閉じる.
TEST_F(MainToolsTest, CalibrationReplacesTheOffsetsAndLogsEverySample) {
    TMainForm& f = Open();
    ASSERT_TRUE(sink.entries.empty()) << sink.Texts().join(" | ").toStdString();
    f.SetHosei({1, 2, 3, 0.5});
    {
        auto modal = OnModal<TfrmCalibrateDlg>([](TfrmCalibrateDlg* d) {
            d->edtHoseiX->setValue(99);
            d->btnCancel->click();
        });
        Act(f, "actCalibrate")->trigger();
    }
    EXPECT_EQ(f.Session().Offsets().X, 1);
    EXPECT_EQ(f.Session().Offsets().A, 0.5);

    int sec = 0;
    QTimer feeder;  // the receiver sends a fix every 100 ms
    QObject::connect(&feeder, &QTimer::timeout, [&] { gpsPty.Write(Gga(sec++)); });
    feeder.start(100);
    QString shownX;
    bool started = false;
    auto modal = OnModal<TfrmCalibrateDlg>([&](TfrmCalibrateDlg* d) {
        d->cbxRefPoint->setCurrentIndex(1);
        d->cbxSecond->setEditText("2");
        d->cbxSpan->setEditText("0");
        d->btnStart->click();
        started = d->Running();
        // OK once the measurement has ended by itself.
        auto* poll = new QTimer(d);
        QObject::connect(poll, &QTimer::timeout, [d, poll, &shownX] {
            if (d->Running()) return;
            poll->stop();
            shownX = d->lblGpsX->text();
            d->btnOK->click();
        });
        poll->start(20);
    });
    Act(f, "actCalibrate")->trigger();
    ASSERT_TRUE(started);
    const TOffsets o = f.Session().Offsets();
    EXPECT_NEAR(o.X, -67662.567 - shownX.toDouble(), 0.0006);
    EXPECT_EQ(o.A, 0.5) << "the antenna height stays";

    // The next position: corrected onto the reference point.
    ASSERT_TRUE(WaitFor([&] {
        return std::abs(Named<TCoordPanel>(f, "pnlBottom")->lblXValue->text().toDouble() -
                        -67662.567) < 0.0015;
    })) << Named<TCoordPanel>(f, "pnlBottom")->lblXValue->text().toStdString();
    feeder.stop();

    // The log: one line per sample, its numbers and then its sentence.
    const QStringList logs = QDir(f.CalibDir()).entryList({"Calib*.Log"}, QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    EXPECT_TRUE(QRegularExpression("^Calib\\d{8}\\.Log$").match(logs[0]).hasMatch());
    const QList<QByteArray> lines =
        test::ReadFile(QDir(f.CalibDir()).filePath(logs[0])).split('\r');
    // About 20 fixes in 2 s; a loaded machine delivers fewer, so only a few are required.
    ASSERT_GE(lines.size(), 4) << "several fixes in 2 s";
    EXPECT_TRUE(lines.back().isEmpty());
    const QRegularExpression line(
        "^ *-?\\d+\\.\\d{3}, +-?\\d+\\.\\d{3}, +-?\\d+\\.\\d{3}, "
        "\\$GPGGA,0030\\d\\d\\.00,3523\\.4241,N,13952\\.1641,E,4,12,0\\.8,3\\.181,M,36\\.700,M,1\\."
        "0,0001\\*[0-9A-F]{2}$");
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        EXPECT_TRUE(line.match(QString::fromLatin1(lines[i])).hasMatch()) << lines[i].toStdString();
    EXPECT_TRUE(lines[0].startsWith(shownX.toLatin1() + ", "));

    f.FileClose();  // 閉じる stores the job's values
    MainWindowConfig saved;
    saved.Load(Cfg());
    EXPECT_DOUBLE_EQ(saved.HoseiX, o.X);
    EXPECT_DOUBLE_EQ(saved.HoseiY, o.Y);
    EXPECT_DOUBLE_EQ(saved.HoseiH, o.H);
    EXPECT_DOUBLE_EQ(saved.HoseiA, 0.5);
    EXPECT_EQ(ReadCalibRefPoint(Cfg()), "基準2");
}

// The transfer port as the job's settings open it: "受信データ" forwards every sentence while
// nothing is recorded, "しない" leaves the port closed, and a transfer port that cannot be
// opened fails the whole open.
TEST_F(MainToolsTest, TransferOpensWithTheJob) {
    struct Case {
        const char* method;
        bool mapMissing;
        bool forwards;
    };
    const Case cases[] = {{"受信データ", false, true},
                          {"しない", false, false},
                          {"しない", true, false},
                          {"受信データ", true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.method) + (c.mapMissing ? " missing" : ""));
        sink.entries.clear();
        settings.OutMethod = QString::fromUtf8(c.method);
        ASSERT_TRUE(
            TIniFile(TidrunIniPath(prog.path()))
                .WriteString(QStringLiteral("Ports"), "COM2",
                             c.mapMissing ? QDir(workDir).filePath("gone") : outPty.SlavePath()));
        TMainForm& f = Open();
        const bool failed = c.mapMissing && QString::fromUtf8(c.method) != "しない";
        EXPECT_EQ(sink.Texts().contains(QStringLiteral("接続エラー")), failed);
        const QByteArray sent = Gga(1) + test::Rmc();
        gpsPty.Write(sent);
        if (!failed) {
            ASSERT_TRUE(WaitFor([&] {
                return Named<TCoordPanel>(f, "pnlBottom")->lblXValue->text().contains('.');
            }));
        }
        test::Spin(200);
        EXPECT_EQ(outPty.ReadAvailable(),
                  c.forwards ? Packet(Gga(1)) + Packet(test::Rmc()) : QByteArray());
        form.reset();
        gpsPty.ReadAvailable();
    }
}

// "文字": the trimmed text and a carriage return go to the second device once per recorded
// cut, and nothing at the positions between cuts.
TEST_F(MainToolsTest, TextTransferSendsTheTextAtEachCutOnly) {
    settings.OutMethod = QStringLiteral("文字");
    settings.OutText = QStringLiteral(" ABCD ");
    settings.CutMethod = QStringLiteral("手動");
    TMainForm& f = Open();
    ASSERT_TRUE(sink.entries.empty()) << sink.Texts().join(" | ").toStdString();
    int cuts = 0;
    QObject::connect(&f, &TMainForm::CutAdded, [&] { ++cuts; });
    f.SetLineNameAsker([](const QString& preset) { return std::optional(preset); });
    Act(f, "actSurveyStart")->trigger();
    ASSERT_TRUE(f.Recording());

    int sec = 0;
    const auto fixShown = [&] {
        gpsPty.Write(Gga(++sec));
        test::Spin(150);
    };
    fixShown();  // positions before the first cut send nothing
    fixShown();
    EXPECT_EQ(outPty.ReadAvailable(), QByteArray());
    for (int i = 1; i <= 3; ++i) {
        SCOPED_TRACE(i);
        Named<TCutPanel>(f, "pnlCut")->btnCut->click();
        gpsPty.Write(Gga(++sec));
        ASSERT_TRUE(WaitFor([&] { return cuts == i; }));
        test::Spin(150);
        EXPECT_EQ(outPty.ReadAvailable(), QByteArray("ABCD\r"));
        fixShown();  // a position that is not a cut: nothing
        EXPECT_EQ(outPty.ReadAvailable(), QByteArray());
    }
    Act(f, "actSurveyStop")->trigger();
    EXPECT_FALSE(f.Recording());
    fixShown();
    EXPECT_EQ(outPty.ReadAvailable(), QByteArray());
}

// The offsets in force at a cut move its X, Y and height and are recorded in its last four
// fields: the same fix cut without and then with offsets differs by exactly them.
TEST_F(MainToolsTest, OffsetsAreAppliedToTheNextRecordedCut) {
    settings.CutMethod = QStringLiteral("手動");
    TMainForm& f = Open();
    int cuts = 0;
    QObject::connect(&f, &TMainForm::CutAdded, [&] { ++cuts; });
    f.SetLineNameAsker([](const QString& preset) { return std::optional(preset); });
    const TOffsets offsets[] = {{0, 0, 0, 0}, {1.5, -2.25, 0.75, 0.5}};
    for (const TOffsets& o : offsets) {
        f.SetHosei(o);  // between lines, as a calibration leaves them
        Act(f, "actSurveyStart")->trigger();
        ASSERT_TRUE(f.Recording());
        Named<TCutPanel>(f, "pnlCut")->btnCut->click();
        const int before = cuts;
        gpsPty.Write(Gga(7));
        ASSERT_TRUE(WaitFor([&] { return cuts == before + 1; }));
        Act(f, "actSurveyStop")->trigger();
    }
    QStringList lines;
    ASSERT_TRUE(ReadCp932Lines(QDir(workDir).filePath("SOKUSEN.DAT"), lines));
    ASSERT_EQ(lines.size(), 2);
    const auto fields = [](const QString& line) {
        QList<double> v;
        for (const QString& s : line.split(',')) v << s.trimmed().remove('"').toDouble();
        return v;
    };
    const QList<double> plain = fields(lines[0]), moved = fields(lines[1]);
    ASSERT_EQ(moved.size(), 17) << lines[1].toStdString();
    const TOffsets& o = offsets[1];
    EXPECT_NEAR(moved[4] - plain[4], o.X, 0.0015) << lines[1].toStdString();
    EXPECT_NEAR(moved[5] - plain[5], o.Y, 0.0015);
    EXPECT_NEAR(moved[6] - plain[6], o.H - o.A, 0.0015);
    EXPECT_EQ(plain.mid(13), (QList<double>{0, 0, 0, 0}));
    EXPECT_EQ(moved.mid(13), (QList<double>{o.X, o.Y, o.H, o.A}));
    EXPECT_TRUE(
        lines[1].endsWith(QStringLiteral("\",       1.500,      -2.250,    0.750,    0.500")))
        << lines[1].toStdString();
}

// F1 and Shift+F1 fill one window; its links work through the main window's actions, show
// hidden tool windows without ever hiding one, and do nothing where the state says so.
TEST_F(MainToolsTest, HelpLinksRunTheMainWindowsActions) {
    TMainForm& f = Open();
    Act(f, "actHelpSokuryo")->trigger();
    auto* help = f.findChild<TFormHelp*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->windowTitle(), "収録の作業手順");
    const auto click = [&](int line) {
        PressKey(help->Lines()[std::size_t(line)], Qt::Key_Return);
    };

    f.SetLineNameAsker([](const QString& preset) { return std::optional(preset); });
    int starts = 0, stops = 0;
    QObject::connect(Act(f, "actSurveyStart"), &QAction::triggered, [&] { ++starts; });
    QObject::connect(Act(f, "actSurveyStop"), &QAction::triggered, [&] { ++stops; });
    Named<QDockWidget>(f, "ToolWinCut")->hide();
    click(4);  // 収録ｳｨﾝﾄﾞｳ
    EXPECT_FALSE(Named<QDockWidget>(f, "ToolWinCut")->isHidden());
    click(4);
    EXPECT_FALSE(Named<QDockWidget>(f, "ToolWinCut")->isHidden()) << "never hidden by the help";
    Named<QDockWidget>(f, "ToolWinGPS")->hide();
    click(3);  // 受信ﾃﾞｰﾀｳｨﾝﾄﾞｳ
    EXPECT_FALSE(Named<QDockWidget>(f, "ToolWinGPS")->isHidden());
    const auto maps = f.MapForms().size();
    click(1);  // 平面図
    EXPECT_EQ(f.MapForms().size(), maps + 1);
    click(7);  // 完了 while idle: nothing
    EXPECT_EQ(stops, 0);
    click(5);  // 準備 while idle: starts
    EXPECT_EQ(starts, 1);
    ASSERT_TRUE(f.Recording()) << "準備 started a real line";
    click(5);  // 準備 while recording: nothing
    EXPECT_EQ(starts, 1);
    click(7);
    EXPECT_EQ(stops, 1);
    ASSERT_FALSE(f.Recording());
    {
        bool opened = false;
        auto modal = OnModal<TfrmCalibrateDlg>([&](TfrmCalibrateDlg* d) {
            opened = true;
            d->btnCancel->click();
        });
        click(2);  // 補正
        EXPECT_TRUE(opened);
    }

    help->move(help->x(), 250);  // the user's place
    Act(f, "actHelpSetuhyo")->trigger();
    EXPECT_EQ(f.findChildren<TFormHelp*>().size(), 1);
    EXPECT_EQ(help->windowTitle(), "設標の作業手順");
    EXPECT_EQ(help->pos().y(), 250);
    ASSERT_EQ(help->Lines().size(), 6u);
    Named<QDockWidget>(f, "ToolWinRem")->hide();
    click(4);  // 設標ｳｨﾝﾄﾞｳ
    EXPECT_FALSE(Named<QDockWidget>(f, "ToolWinRem")->isHidden());
    Act(f, "actHelpSokuryo")->trigger();
    EXPECT_EQ(help->windowTitle(), "収録の作業手順");
    EXPECT_EQ(help->Lines().size(), 8u);
}

}  // namespace
}  // namespace tidrun
