// Recording and guidance through the main window, with the GPS on a real pseudo-terminal
// and the job's files on disk.
#include "console/mainform.h"

#include "console/gui/coordpanel.h"
#include "console/gui/cutpanel.h"
#include "console/gui/gpspanel.h"
#include "console/gui/guidepanel.h"
#include "console/gui/led.h"
#include "console/gui/rulertoolbar.h"
#include "console/gui/signalsounds.h"
#include "planview/gui/mapform.h"
#include "platform/gui/numericedit.h"
#include "surveydata/codec.h"
#include "surveydata/inifile.h"
#include "tests/console/jobfiles.h"
#include "tests/dialogs/gui_helpers.h"
#include "tests/receiver/receiver_support.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace tidrun {
namespace {

using test::Gga;
using test::Packet;
using test::Pty;
using testing::WaitFor;

class RecordingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(prog.isValid() && work.isValid());
        ASSERT_TRUE(WriteJobFiles(work.path()));
        settings.Zone = QStringLiteral("9系");
        settings.CutMethod = QStringLiteral("自動");
        settings.Interval = QStringLiteral("10");
        NameJobFiles(settings);
        ASSERT_TRUE(settings.Store(Path("Tidrun.CFG")));
        ASSERT_TRUE(TIniFile(TidrunIniPath(prog.path()))
                        .WriteString(QStringLiteral("Ports"), "COM1", pty.SlavePath()));
        form = std::make_unique<TMainForm>(sink, prog.path());
        AnswerOpenDialogs(*form, work.path(), sink);
        form->SetLineNameAsker([this](const QString& preset) -> std::optional<QString> {
            presets << preset;
            return answer;
        });
        form->SetClock([this] { return now; });
        form->resize(1200, 800);
        form->show();
        form->FileOpen();
        ASSERT_TRUE(form->IsOpen()) << sink.Texts().join(" | ").toStdString();
    }
    void TearDown() override { form.reset(); }

    QString Path(const QString& name) const { return QDir(work.path()).filePath(name); }
    void Write(const QString& name, const QStringList& lines) {
        ASSERT_TRUE(WriteCp932LinesAtomic(Path(name), lines));
    }
    // Sends a fix and waits until the main window has handled it.
    void Fix(int sec) {
        const int before = ++fixes;
        pty.Write(Gga(sec, 4));
        ASSERT_TRUE(WaitFor([&] { return handled >= before; }));
    }

    QTemporaryDir prog, work;
    Pty pty;
    TJobSettings settings;
    RecordingSink sink;
    std::unique_ptr<TMainForm> form;
    std::optional<QString> answer = QStringLiteral("測線Ａ");
    QStringList presets;
    qint64 now = 5000;
    int fixes = 0, handled = 0;
};

TEST_F(RecordingTest, RecordsCutsByHandAndByTimeAndLogsTheirSentences) {
    TMainForm& f = *form;
    QObject::connect(&f, &TMainForm::BoatPos, [this] { ++handled; });
    QList<int> cuts;
    int lineEnds = 0;
    QObject::connect(&f, &TMainForm::CutAdded, [&](int index) { cuts << index; });
    QObject::connect(&f, &TMainForm::LineEnd, [&] { ++lineEnds; });
    f.actSurveyStart->trigger();
    ASSERT_TRUE(f.Recording());
    EXPECT_EQ(presets, QStringList{QStringLiteral("1")});
    EXPECT_EQ(f.AppTitle(), QStringLiteral("計測中"));
    for (QAction* a : {f.actExit, f.actSurveyStart, f.actCalibrate, f.actFileClose})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_FALSE(f.pnlRef->cbxRefPoint->isEnabled());
    // The job stays open: new maps and the planned line still work during a line.
    EXPECT_TRUE(f.actNewMap->isEnabled());
    EXPECT_TRUE(f.tbRuler->edtRulerAngle->isEnabled());
    EXPECT_TRUE(f.pnlCut->btnCut->isEnabled());
    EXPECT_FALSE(f.close());  // refused while recording, without a question
    EXPECT_TRUE(sink.questions.isEmpty());

    Fix(1);  // nothing before the first cut, whatever the time
    now += 60000;
    f.SurveyTick();
    EXPECT_FALSE(f.pnlCut->ledCount2->IsOn());
    f.pnlCut->btnCut->click();
    EXPECT_TRUE(f.pnlCut->ledCount0->IsOn());
    Fix(2);
    ASSERT_EQ(cuts.size(), 1);
    EXPECT_EQ(cuts.at(0), 0);
    EXPECT_FALSE(f.pnlCut->ledCount0->IsOn());
    EXPECT_EQ(f.pnlCut->lblCutCutNo->text(), QStringLiteral("測線 測線Ａ ｶｯﾄ 1"));

    now += 7500;  // more than 6 s: the first lamp
    f.SurveyTick();
    EXPECT_TRUE(f.pnlCut->ledCount2->IsOn());
    EXPECT_EQ(f.pnlCut->lblDuration->text(), QStringLiteral("7"));
    Fix(3);
    EXPECT_EQ(cuts.size(), 1);
    now += 4000;  // more than 10 s: the cut is due, taken at the next fix
    f.SurveyTick();
    EXPECT_TRUE(f.pnlCut->ledCount0->IsOn());
    Fix(4);
    ASSERT_EQ(cuts.size(), 2);

    f.actSurveyStop->trigger();
    EXPECT_FALSE(f.Recording());
    EXPECT_EQ(lineEnds, 1);
    EXPECT_EQ(f.AppTitle(), QStringLiteral("Tidrun Zzz"));
    EXPECT_TRUE(f.actFileClose->isEnabled());
    EXPECT_EQ(f.pnlCut->lblDuration->text(), QStringLiteral("0000"));

    // The line log holds exactly the sentences of the two cuts, as framed.
    EXPECT_EQ(test::ReadFile(QDir(f.LogDir()).filePath(QStringLiteral("Line1.Log"))),
              Packet(Gga(2, 4)) + Packet(Gga(4, 4)));
    QStringList lines;
    ASSERT_TRUE(ReadCp932Lines(Path("SOKUSEN.DAT"), lines));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("    1,    1, \"測線Ａ\",    1,")))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("    2,    1, \"測線Ａ\",    2,")))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral(",   11,  3525.123400, 13945.678900,   49.000,")))
        << lines[1].toStdString();

    // The next line: preset 2; a line stopped without a cut finishes nothing on the maps.
    f.actSurveyStart->trigger();
    EXPECT_EQ(presets.last(), QStringLiteral("2"));
    f.actSurveyStop->trigger();
    EXPECT_EQ(lineEnds, 1);

    // A map made during a line but before its first cut shows the last line finished; one
    // made after that cut keeps the new line open.
    answer = QStringLiteral("測線Ｂ");
    f.actSurveyStart->trigger();
    EXPECT_EQ(f.CreateMap(-1, false)->Session().Scene().OpenLine(), nullptr);
    f.pnlCut->btnCut->click();
    Fix(5);
    ASSERT_EQ(cuts.size(), 3);
    const TLineLineSeries* open = f.CreateMap(-1, false)->Session().Scene().OpenLine();
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->FirstRecord(), 2);
    f.actSurveyStop->trigger();
    EXPECT_TRUE(sink.entries.empty()) << sink.Texts().join(" | ").toStdString();
}

// A cut keeps the latitude, longitude and height of its own sentence, GGA or GGK. A sentence
// with a signed or impossible coordinate or a height that is no number is no position; an
// estimated, typed or simulated GGA moves the boat, gray, but is never recorded (a cut asked
// for waits for a measured fix). The received-data window shows every one as sent.
TEST_F(RecordingTest, CutsKeepTheirOwnSentenceAndOnlyMeasuredFixesAreRecorded) {
    TMainForm& f = *form;
    int moves = 0, cuts = 0;
    QObject::connect(&f, &TMainForm::BoatPos, [&] { ++moves; });
    QObject::connect(&f, &TMainForm::CutAdded, [&] { ++cuts; });
    f.actSurveyStart->trigger();
    ASSERT_TRUE(f.Recording());
    const struct {
        const char* body;  // at 12:36:<row> UTC, shown as 21:36:<row>
        bool moves, cut;
        const char *lat, *alt, *quality;  // received-data window
        std::uint32_t colour;             // of the coordinates, for a position
        const char* recorded;             // latitude, longitude and height in the file
    } rows[] = {
        {"GPGGA,123601.00,3525.1234,N,13945.6789,E,4,08,0.9,10.0,M,39.0,M,1.5,0123", true, true,
         "3525.123400", "49.000", "4", 0x0000FF, "3525.123400 13945.678900 49.000"},
        {"PTNL,GGK,123602.00,120826,3525.2234,N,13945.7789,E,3,08,1.2,EHT52.500,M", true, true,
         "3525.223400", "52.500", "3", 0x0000FF, "3525.223400 13945.778900 52.500"},
        {"GPGGA,123603.00,-3525.1234,N,13945.6789,E,4,08,0.9,10.0,M,39.0,M,1.5,0123", false, false,
         "-3525.123400", "49.000", "4", 0, ""},
        {"GPGGA,123604.00,3575.0000,N,13945.6789,E,4,08,0.9,10.0,M,39.0,M,1.5,0123", false, false,
         "3575.000000", "49.000", "4", 0, ""},
        {"GPGGA,123605.00,3525.1234,N,13945.6789,E,4,08,0.9,nan,M,39.0,M,1.5,0123", false, false,
         "3525.123400", "39.000", "4", 0, ""},
        {"PTNL,GGK,123606.00,120826,3525.2234,N,13945.7789,E,3,08,1.2,EHTnan,M", false, false,
         "3525.223400", "0.000", "3", 0, ""},
        {"GPGGA,123607.00,3525.3234,N,13945.6789,E,6,08,0.9,10.0,M,39.0,M,1.5,0123", true, false,
         "3525.323400", "49.000", "6", 0x808080, ""},
        {"GPGGA,123608.00,3525.3234,N,13945.6789,E,7,08,0.9,10.0,M,39.0,M,1.5,0123", true, false,
         "3525.323400", "49.000", "7", 0x808080, ""},
        {"GPGGA,123609.00,3525.3234,N,13945.6789,E,8,08,0.9,10.0,M,39.0,M,1.5,0123", true, false,
         "3525.323400", "49.000", "8", 0x808080, ""},
        {"PTNL,GGK,123610.00,120826,3525.4234,N,13945.8789,E,6,08,1.2,EHT53.000,M", true, true,
         "3525.423400", "53.000", "6", 0x0000FF, "3525.423400 13945.878900 53.000"},
        {"GPGGA,123611.00,3525.5234,N,13945.6789,E,4,08,0.9,11.0,M,39.0,M,1.5,0123", true, true,
         "3525.523400", "50.000", "4", 0x0000FF, "3525.523400 13945.678900 50.000"},
    };
    QByteArray cutSentences;
    QStringList recorded;
    int second = 0;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.body);
        f.pnlCut->btnCut->click();
        const int movesBefore = moves, cutsBefore = cuts;
        const QByteArray sentence = test::Sentence(r.body);
        pty.Write(sentence);
        const QString time = QStringLiteral("21:36:%1").arg(++second, 2, 10, QLatin1Char('0'));
        ASSERT_TRUE(WaitFor([&] { return f.pnlGPS->lblGPSTime->text() == time; }));
        EXPECT_EQ(f.pnlGPS->lblGPSLat->text(), QStringLiteral("緯度:") + r.lat);
        EXPECT_EQ(f.pnlGPS->lblGPSAlt->text(), QStringLiteral("高度:") + r.alt);
        EXPECT_EQ(f.pnlGPS->lblGPSQty->text(), QStringLiteral("測位状態:") + r.quality);
        EXPECT_EQ(moves - movesBefore, r.moves ? 1 : 0);
        EXPECT_EQ(cuts - cutsBefore, r.cut ? 1 : 0);
        if (r.moves) {
            EXPECT_EQ(f.pnlBottom->lblXValue->palette().color(QPalette::Window), QColor(r.colour));
        }
        if (r.cut) {
            cutSentences += Packet(sentence);
            recorded << QString::fromLatin1(r.recorded);
        }
    }
    f.actSurveyStop->trigger();
    QStringList lines, inFile;
    ASSERT_TRUE(ReadCp932Lines(Path("SOKUSEN.DAT"), lines));
    for (const QString& line : lines) {
        const QStringList fields = line.split(QLatin1Char(','));
        ASSERT_EQ(fields.size(), 17) << line.toStdString();
        inFile << fields[9].trimmed() + ' ' + fields[10].trimmed() + ' ' + fields[11].trimmed();
    }
    EXPECT_EQ(inFile.join(" | ").toStdString(), recorded.join(" | ").toStdString());
    EXPECT_EQ(test::ReadFile(QDir(f.LogDir()).filePath(QStringLiteral("Line1.Log"))), cutSentences);
    EXPECT_TRUE(sink.entries.empty()) << sink.Texts().join(" | ").toStdString();
}

TEST_F(RecordingTest, SignalsComeFromTheCurrentFolderOrTheProgramsOwnSounds) {
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(work.path());
    const QString builtIn = TSignalSounds::PathFor(TSound::Warn);
    EXPECT_EQ(builtIn, QStringLiteral(":/sounds/Sound1.Wav"));
    QFile f(builtIn);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(4) == "RIFF");
    Write("Sound1.Wav", {});
    EXPECT_EQ(TSignalSounds::PathFor(TSound::Warn), QDir(work.path()).filePath("Sound1.Wav"));
    QDir::setCurrent(cwd);
}

TEST_F(RecordingTest, StartNeedsTheRecordingFileAndANameFromTheDialog) {
    TMainForm& f = *form;
    answer.reset();
    f.actSurveyStart->trigger();
    EXPECT_FALSE(f.Recording());
    EXPECT_NE(f.AppTitle(), QStringLiteral("計測中"));
    EXPECT_TRUE(f.actSurveyStart->isEnabled());
    // The recording file may be missing from the settings when they are edited by hand.
    form.reset();
    settings.SokusenFile.clear();
    ASSERT_TRUE(settings.Store(Path("Tidrun.CFG")));
    form = std::make_unique<TMainForm>(sink, prog.path());
    form->SetFolderChooser([this](const QString&) { return std::optional(work.path()); });
    form->SetSettingsRunner([&](TJobSettings& s, const QString& cfg) {
        s.Load(cfg);
        return true;  // as typed, without the checks of OK
    });
    form->SetLineNameAsker([this](const QString& p) -> std::optional<QString> {
        presets << p;
        return QStringLiteral("x");
    });
    form->FileOpen();
    presets.clear();
    form->actSurveyStart->trigger();
    EXPECT_FALSE(form->Recording());
    EXPECT_TRUE(presets.isEmpty());
    ASSERT_FALSE(sink.entries.empty());
    EXPECT_EQ(sink.entries.back().text, QStringLiteral("測線が正しく設定されていません。"));
}

TEST_F(RecordingTest, GuidesToTheBuoyAndMovesThePlannedLine) {
    TMainForm& f = *form;
    QObject::connect(&f, &TMainForm::BoatPos, [this] { ++handled; });
    f.pnlGuide->cbxRemPoint->setCurrentIndex(1);  // 設標01
    Fix(5);
    // The fix lies at about X -64500, Y -6500 in zone 9: the buoy is south and east.
    EXPECT_FALSE(f.pnlGuide->lblN->isVisibleTo(f.pnlGuide));
    EXPECT_TRUE(f.pnlGuide->lblS->isVisibleTo(f.pnlGuide));
    EXPECT_TRUE(f.pnlGuide->lblE->isVisibleTo(f.pnlGuide));
    EXPECT_FALSE(f.pnlGuide->lblDMS->text().isEmpty());
    const double dx = f.pnlGuide->lblDeltaXValue->text().toDouble();
    EXPECT_LT(dx, 0);

    f.tbRuler->SetAngleText(QStringLiteral("0"));
    f.tbRuler->SetStep(10);
    const TRulerRect before = f.RulerSegment();
    f.tbRuler->btnMoveUp->click();
    EXPECT_DOUBLE_EQ(f.RulerSegment().Y0, before.Y0 + 10);
    EXPECT_DOUBLE_EQ(f.RulerPivotY(), before.Y0 + 10);
    // An angle that cannot be used turns the field fuchsia and counts as 0 for the maps.
    f.tbRuler->SetAngleText(QStringLiteral("400"));
    EXPECT_EQ(f.RulerAngle(), 0);
    EXPECT_EQ(f.tbRuler->edtRulerAngle->palette().color(QPalette::Base), QColor(0xFF00FF));
}

}  // namespace
}  // namespace tidrun
