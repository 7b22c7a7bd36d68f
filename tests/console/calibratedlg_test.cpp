// The calibration dialog on the offscreen platform, fed by a receiver on a real
// pseudo-terminal, with its log read back from the disk.
#include "console/gui/calibratedlg.h"

#include "platform/gui/numericedit.h"
#include "platform/messagesink.h"
#include "platform/serialportlink.h"
#include "surveydata/config.h"
#include "surveydata/pointcoll.h"
#include "tests/dialogs/gui_helpers.h"
#include "tests/receiver/receiver_support.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tidrun {
namespace {

using namespace tidrun::test;
using testing::PressKey;
using testing::TypeText;
using testing::WaitFor;

QStringList Items(const QComboBox* c) {
    QStringList out;
    for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
    return out;
}

class CalibrateDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(work.isValid());
        cfgPath = TidrunCfgPath(work.path());
        calibDir = QDir(work.path()).filePath(QStringLiteral("Calib"));
        ASSERT_TRUE(QDir().mkpath(calibDir));
        kijun.Add(-67895.365, 3158.766, 2.839, QStringLiteral("基準1"));
        kijun.Add(-67662.567, 3139.242, 3.043, QStringLiteral("基準2"));
        in.SetBaudRate(9600);
        gps.SetInputPort(&in, 0, 0, 8);
        ASSERT_TRUE(gps.Open());
        QObject::connect(&gps, &TGPS::PositionFixed,
                         [this](const TGpsPosition&) { ++mainPositions; });
        QObject::connect(&gps, &TGPS::SentenceDecoded,
                         [this](const TNMEA&, qint64) { ++monitored; });
        dlg.SetJob(&gps, &kijun, cfgPath, calibDir);
    }
    // One sentence through the port; waits until the receiver has handled it.
    void Send(const QByteArray& sentence) {
        const int target = monitored + 1;
        gpsPty.Write(sentence);
        ASSERT_TRUE(WaitUntil([&] { return monitored >= target; }));
    }
    // Waits for the next timer tick to show its progress text.
    void WaitTick(const QString& text) {
        ASSERT_TRUE(WaitFor([&] { return dlg.lblProgress->text() == text; }))
            << dlg.lblProgress->text().toStdString() << " instead of " << text.toStdString();
    }

    QTemporaryDir work;
    QString cfgPath, calibDir;
    RecordingSink sink;
    TKijunColl kijun{sink};
    Pty gpsPty;
    SerialPortLink in{gpsPty.SlavePath()};
    TGPS gps;
    int mainPositions = 0;
    int monitored = 0;
    qint64 nowMs = 5'000'000;
    TfrmCalibrateDlg dlg{sink, nullptr, [this] { return nowMs; }};
};

TEST_F(CalibrateDlgTest, ControlsAndKeyFilter) {
    EXPECT_EQ(dlg.windowTitle(), "補正");
    EXPECT_EQ(Items(dlg.cbxHour).join(','), "0,1,2,3,4,5,10,15,20,24");
    EXPECT_EQ(Items(dlg.cbxMinute).join(','), "0,1,5,10,15,30,45,60");
    EXPECT_EQ(Items(dlg.cbxSecond).join(','), "0,15,30,45,60");
    EXPECT_EQ(Items(dlg.cbxSpan).join(','), "0,1,2,5,10,15,30,60");
    EXPECT_EQ(QStringList({dlg.cbxHour->currentText(), dlg.cbxMinute->currentText(),
                           dlg.cbxSecond->currentText(), dlg.cbxSpan->currentText()})
                  .join(','),
              "0,0,60,0");
    EXPECT_EQ(dlg.btnStart->text(), "自動補正");
    EXPECT_TRUE(dlg.btnStart->isDefault());
    struct Typed {
        QComboBox* box;
        QString keys, result;
    };
    const Typed typed[] = {{dlg.cbxHour, "a1 -2x3", "12"},
                           {dlg.cbxSpan, "9.9e99", "9999"},
                           {dlg.cbxSecond, "ｱ4５5", "45"}};
    for (const Typed& t : typed) {
        t.box->lineEdit()->clear();
        TypeText(t.box->lineEdit(), t.keys);
        EXPECT_EQ(t.box->currentText(), t.result) << t.keys.toStdString();
    }
    PressKey(dlg.cbxSpan->lineEdit(), Qt::Key_Backspace);  // control keys pass
    EXPECT_EQ(dlg.cbxSpan->currentText(), "999");
}

TEST_F(CalibrateDlgTest, StartChecksRefuseBadTimes) {
    dlg.show();
    struct Case {
        const char *m, *s, *span;
        bool starts;
    };
    const Case cases[] = {{"61", "0", "0", false},
                          {"0", "61", "0", false},
                          {"0", "", "0", false},
                          {"0", "5", "", false},
                          {"60", "60", "0", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.m) + "/" + c.s + "/" + c.span);
        sink.entries.clear();
        dlg.cbxMinute->setEditText(c.m);
        dlg.cbxSecond->setEditText(c.s);
        dlg.cbxSpan->setEditText(c.span);
        dlg.btnStart->click();
        EXPECT_EQ(dlg.Running(), c.starts);
        EXPECT_EQ(dlg.btnStart->text(), c.starts ? "中止" : "自動補正");
        EXPECT_EQ(dlg.btnOK->isEnabled(), !c.starts);
        EXPECT_EQ(sink.Texts(),
                  c.starts ? QStringList() : QStringList{TfrmCalibrateDlg::TimesErrorText()});
        if (c.starts) dlg.btnStart->click();  // stop
        EXPECT_FALSE(dlg.Running());
    }
    dlg.hide();
}

// A measurement at the reference point remembered from last time, fed through the port:
// every sample in the log with its sentence, the offsets reference − average, OK keeping
// the reference point; the main window has every position meanwhile.
TEST_F(CalibrateDlgTest, MeasurementThroughThePortIntoTheLog) {
    ASSERT_TRUE(WriteCalibRefPoint(cfgPath, QStringLiteral("基準2")));
    dlg.SetValues(1, 2, 3, 1.5);
    dlg.show();
    ASSERT_EQ(dlg.cbxRefPoint->currentText(), "基準2");
    EXPECT_EQ(Items(dlg.cbxRefPoint).join(','), "基準1,基準2");
    EXPECT_EQ(dlg.lblRefX->text(), " -67662.567");
    EXPECT_EQ(dlg.lblRefH->text(), "      3.043");

    // Every sentence below carries the same position; only the time differs.
    Send(Gga(10));
    EXPECT_EQ(mainPositions, 1) << "the main window shows the positions too";
    const QString gx = dlg.lblGpsX->text(), gy = dlg.lblGpsY->text(), gh = dlg.lblGpsH->text();
    EXPECT_NE(gx, TCalibrationRun::FormatValue(0));
    EXPECT_EQ(dlg.lblAvgX->text(), TCalibrationRun::FormatValue(0)) << "no measurement yet";

    dlg.cbxMinute->setEditText("0");
    dlg.cbxSecond->setEditText("3");
    dlg.cbxSpan->setEditText("1");
    const QDateTime started = QDateTime::currentDateTime();
    dlg.btnStart->click();
    ASSERT_TRUE(dlg.Running());
    const QList<QByteArray> sentences = {Gga(11), Gga(12), Gga(13)};
    for (int i = 0; i < 3; ++i) {
        WaitTick(QStringLiteral("0:0:%1( %2 )").arg(i).arg(i));
        Send(Gga(20 + i, 6 + i));  // estimated, manual, simulated: shown, never sampled
        Send(sentences[i]);
        Send(Gga(40 + i));  // within the same second: shown, not sampled
        nowMs += 1000;
    }
    ASSERT_TRUE(WaitFor([&] { return !dlg.Running(); }));
    EXPECT_EQ(dlg.btnStart->text(), "自動補正");
    EXPECT_EQ(dlg.lblProgress->text(), "0:0:0( 3 )");
    Send(Gga(14));  // after the end: shown, not sampled

    // The log, line by line: the three numbers of each sample, then its sentence.
    QString logName = TCalibrationRun::LogFileName(calibDir, started);
    if (!QFile::exists(logName))
        logName = TCalibrationRun::LogFileName(calibDir, started.addSecs(60));
    const QList<QByteArray> lines = ReadFile(logName).split('\r');
    ASSERT_EQ(lines.size(), 4) << logName.toStdString();
    EXPECT_TRUE(lines[3].isEmpty());
    const QByteArray numbers = (gx + ", " + gy + ", " + gh + ", ").toLatin1();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(lines[i] + '\r', numbers + Packet(sentences[i]));
    EXPECT_EQ(dlg.lblAvgX->text(), gx);
    EXPECT_EQ(dlg.lblAvgH->text(), gh);
    double x, y, h, a;
    dlg.GetValues(x, y, h, a);
    EXPECT_NEAR(x, -67662.567 - gx.toDouble(), 0.0006);
    EXPECT_NEAR(y, 3139.242 - gy.toDouble(), 0.0006);
    EXPECT_NEAR(h, 3.043 - gh.toDouble(), 0.0006);
    EXPECT_DOUBLE_EQ(a, 1.5) << "the antenna height is the user's";

    dlg.cbxRefPoint->setCurrentIndex(0);
    dlg.btnOK->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(ReadCalibRefPoint(cfgPath), "基準1");
    dlg.lblGpsX->clear();
    Send(Gga(50));
    EXPECT_EQ(mainPositions, 12);
    EXPECT_TRUE(dlg.lblGpsX->text().isEmpty()) << "the closed dialog listens no more";
    EXPECT_TRUE(sink.entries.empty());
}

// Every way out stops the dialog listening; while measuring, only stopping or deactivation
// ends the dialog.
TEST_F(CalibrateDlgTest, ListeningEndsOnEveryWayOut) {
    struct Way {
        const char* name;
        bool measuring;
        std::function<void()> leave;
        bool refusedWhileMeasuring;
    };
    const Way ways[] = {
        {"OK", false, [&] { dlg.btnOK->click(); }, false},
        {"cancel", false, [&] { dlg.btnCancel->click(); }, false},
        {"Escape", false, [&] { PressKey(&dlg, Qt::Key_Escape); }, false},
        {"close", false, [&] { dlg.close(); }, false},
        {"OK while measuring", true, [&] { dlg.accept(); }, true},
        {"Escape while measuring", true, [&] { PressKey(&dlg, Qt::Key_Escape); }, true},
        {"close while measuring", true, [&] { dlg.close(); }, true},
        {"deactivated while measuring", true, [&] { dlg.hide(); }, false},
    };
    dlg.cbxSecond->setEditText("60");
    for (const Way& w : ways) {
        SCOPED_TRACE(w.name);
        dlg.show();
        if (w.measuring) dlg.btnStart->click();
        ASSERT_EQ(dlg.Running(), w.measuring);
        w.leave();
        EXPECT_EQ(dlg.isVisible(), w.refusedWhileMeasuring);
        if (w.refusedWhileMeasuring) {
            EXPECT_TRUE(dlg.Running());
            dlg.btnStart->click();
            dlg.btnCancel->click();
            EXPECT_FALSE(dlg.isVisible());
        }
        EXPECT_FALSE(dlg.Running());
        EXPECT_EQ(dlg.btnStart->text(), "自動補正");
        const int before = mainPositions;
        dlg.lblGpsX->clear();
        gps.HandlePacket(Packet(Gga(19)).toStdString());
        EXPECT_EQ(mainPositions, before + 1);
        EXPECT_TRUE(dlg.lblGpsX->text().isEmpty());
    }
    // The dialog goes away while shown (the program ends): the receiver goes on.
    {
        auto shortLived = std::make_unique<TfrmCalibrateDlg>(sink);
        shortLived->SetJob(&gps, &kijun, cfgPath, calibDir);
        shortLived->show();
        const int before = mainPositions;
        gps.HandlePacket(Packet(Gga(19)).toStdString());
        EXPECT_FALSE(shortLived->lblGpsX->text().isEmpty());
        shortLived.reset();
        gps.HandlePacket(Packet(Gga(19)).toStdString());
        EXPECT_EQ(mainPositions, before + 2);
    }
}

}  // namespace
}  // namespace tidrun
