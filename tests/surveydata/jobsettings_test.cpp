#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>

#include "surveydata/config.h"
#include "surveydata/inifile.h"
#include "surveydata/jobsettings.h"
#include "testfiles.h"

namespace tidrun {
namespace {

using testing::ReadSjis;
using testing::WriteSjis;

class JobSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        cfg = TidrunCfgPath(dir.path());
        WriteSjis(Path("area.dat"), "a 0 0 1 0\r\n");
        WriteSjis(Path("ref.dat"), "r 0 0\r\n");
    }
    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    // Settings that pass every check.
    TJobSettings Valid() const {
        TJobSettings s;
        s.TansaFile = "  " + Path("area.dat") + " ";
        s.KijunFile = Path("ref.dat");
        s.SokusenFile = Path("rec.dat");
        s.MisokuFile = Path("mark.dat");
        WriteSjis(Path("rec.dat"), "");
        WriteSjis(Path("mark.dat"), "");
        return s;
    }
    QTemporaryDir dir;
    QString cfg;
    RecordingSink sink;
};

TEST_F(JobSettingsTest, FreshWorkFolderGivesTheDefaults) {
    TJobSettings s;
    s.Port = "COM7";
    s.Load(cfg);
    EXPECT_EQ(QStringList({s.Port, s.Speed, s.GpsDatum, s.CutMethod, s.MapDatum, s.Zone, s.OutPort,
                           s.OutSpeed, s.OutMethod, s.Interval, s.MapColor}),
              QStringList({"COM1", "4800", "WGS84", QStringLiteral("自動"),
                           QStringLiteral("世界測地系"), QStringLiteral("5系"), "COM2", "4800",
                           QStringLiteral("しない"), "30", "Teal"}));
    EXPECT_TRUE(s.ShiftNew);
    EXPECT_TRUE(s.JobName.isEmpty() && s.KijunFile.isEmpty() && s.OutText.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(cfg));  // reading creates nothing
}

TEST_F(JobSettingsTest, StoresInItsOrderAndKeepsTheRestOfTheFile) {
    WriteSjis(cfg, QStringLiteral("[設定]\r\n平面図=2\r\n補正X=1.5\r\n\r\n[平面図0]\r\nTop=3\r\n"
                                  "[Dock]\r\nbar=1\r\n"));
    TJobSettings s = Valid();
    s.JobName = QStringLiteral("港湾 測量");
    s.ShiftNew = false;
    s.MapColor = "Navy";
    ASSERT_TRUE(s.Store(cfg));
    const QString expected =
        QStringLiteral(
            "[設定]\r\n平面図=2\r\n補正X=1.5\r\n通信=COM1\r\n速度=4800\r\n転送通信=COM2\r\n"
            "転送速度=4800\r\n転送方法=しない\r\n座標系=WGS84\r\n収録方法=自動\r\n"
            "間隔=30\r\n地図座標系=世界測地系\r\n平面座標=5系\r\n工事名=港湾 測量\r\n"
            "基準=%1\r\n調査=  %2 \r\n設標=\r\n収録=%3\r\nマーク=%4\r\n転送文字=\r\n"
            "変換新=0\r\n\r\n[平面図0]\r\nTop=3\r\n[Dock]\r\nbar=1\r\n"
            "[Color]\r\n平面図=Navy\r\n")
            .arg(Path("ref.dat"), Path("area.dat"), Path("rec.dat"), Path("mark.dat"));
    EXPECT_EQ(ReadSjis(cfg), expected);

    TJobSettings back;
    back.Load(cfg);
    EXPECT_EQ(back.JobName, s.JobName);
    EXPECT_EQ(back.TansaPath(), Path("area.dat"));
    EXPECT_FALSE(back.ShiftNew);
    EXPECT_EQ(back.MapColor, "Navy");
}

TEST_F(JobSettingsTest, ValidationRunsInOrderWithItsTexts) {
    struct Step {
        std::function<void(TJobSettings&)> change;
        QString text;
    };
    // A folder where the recording or mark file should be is no file to create.
    const QString folder = Path("rec.dat.d");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString notAFile = QStringLiteral("ﾌｧｲﾙではありません\r\nﾌｧｲﾙ名：");
    const Step steps[] = {
        {[](TJobSettings& s) { s.TansaFile = "  "; }, "調査区域ﾌｧｲﾙ名を入力して下さい"},
        {[&](TJobSettings& s) { s.TansaFile = Path("none.dat"); }, "調査区域ﾌｧｲﾙが見つかりません"},
        {[](TJobSettings& s) { s.KijunFile = ""; }, "基準点ﾌｧｲﾙ名を入力して下さい"},
        {[&](TJobSettings& s) { s.KijunFile = dir.path(); }, "基準点ﾌｧｲﾙが見つかりません"},
        {[&](TJobSettings& s) { s.IjoFile = Path("none.dat"); }, "設標ﾌｧｲﾙが見つかりません"},
        {[](TJobSettings& s) { s.SokusenFile = ""; }, "収録ﾌｧｲﾙ名を入力して下さい"},
        {[](TJobSettings& s) { s.MisokuFile = " "; }, "マークﾌｧｲﾙ名を入力して下さい"},
        {[&](TJobSettings& s) { s.SokusenFile = folder; }, notAFile + folder},
        {[&](TJobSettings& s) { s.MisokuFile = folder; }, notAFile + folder},
        {[](TJobSettings& s) { s.Interval = "9"; }, "自動収録の間隔は10秒以上を指定してください"},
        {[](TJobSettings& s) { s.Interval = "x"; }, "自動収録の間隔は10秒以上を指定してください"},
        // Two faults at once: the first in the order wins.
        {[](TJobSettings& s) {
             s.KijunFile = "";
             s.TansaFile = "";
         },
         "調査区域ﾌｧｲﾙ名を入力して下さい"},
    };
    for (const Step& step : steps) {
        TJobSettings s = Valid();
        step.change(s);
        RecordingSink out;
        EXPECT_FALSE(s.Validate(out)) << step.text.toStdString();
        EXPECT_EQ(out.Texts(), QStringList{step.text});
        EXPECT_TRUE(out.questions.isEmpty());
    }
    TJobSettings manual = Valid();
    manual.CutMethod = QStringLiteral("手動");
    manual.Interval = "9";
    EXPECT_TRUE(manual.Validate(sink));
    EXPECT_TRUE(sink.entries.empty());
}

TEST_F(JobSettingsTest, MissingRecordingAndMarkFilesAreOfferedForCreation) {
    TJobSettings s = Valid();
    s.SokusenFile = Path("new_rec.dat");
    s.MisokuFile = Path("new_mark.dat");
    sink.answer = true;
    EXPECT_TRUE(s.Validate(sink));
    EXPECT_EQ(sink.questions,
              QStringList({Path("new_rec.dat") + QStringLiteral("\r\n\n新規で作成しますか"),
                           Path("new_mark.dat") + QStringLiteral("\r\n\n新規で作成しますか")}));
    EXPECT_EQ(QFileInfo(Path("new_rec.dat")).size(), 0);
    EXPECT_TRUE(QFileInfo::exists(Path("new_mark.dat")));

    RecordingSink no;
    no.answer = false;
    s.MisokuFile = Path("other_mark.dat");
    EXPECT_FALSE(s.Validate(no));
    EXPECT_EQ(no.Texts(), QStringList{QStringLiteral("マークﾌｧｲﾙが見つかりません")});
    EXPECT_FALSE(QFileInfo::exists(Path("other_mark.dat")));

    RecordingSink yes;
    s.SokusenFile = Path("no/such/folder/rec.dat");
    EXPECT_FALSE(s.Validate(yes));
    EXPECT_EQ(yes.Texts(), QStringList({QStringLiteral("書込ｴﾗｰ\r\nﾌｧｲﾙを作成できません"),
                                        QStringLiteral("収録ﾌｧｲﾙが見つかりません")}));
}

TEST_F(JobSettingsTest, RelativePathsAreTakenFromTheWorkFolder) {
    TJobSettings s;
    s.Load(cfg);
    s.TansaFile = "area.dat";
    s.KijunFile = "ref.dat";
    s.SokusenFile = "rec_new.dat";
    s.MisokuFile = "mark_new.dat";
    EXPECT_TRUE(s.Validate(sink)) << qPrintable(sink.Texts().join('|'));
    EXPECT_EQ(sink.questions.first(), QStringLiteral("rec_new.dat\r\n\n新規で作成しますか"));
    EXPECT_TRUE(QFileInfo::exists(Path("rec_new.dat")));
    EXPECT_EQ(s.Resolve("mark_new.dat"), Path("mark_new.dat"));
    EXPECT_EQ(s.Resolve("/abs/x.dat"), "/abs/x.dat");
}

TEST_F(JobSettingsTest, AcceptStoresAndTellsWhetherTheSurveyAreaChanged) {
    TJobSettings s = Valid();
    ASSERT_TRUE(s.Store(cfg));
    s.Load(cfg);
    ASSERT_TRUE(s.Accept(cfg, sink));
    EXPECT_FALSE(s.SurveyAreaChanged());  // blanks around the path do not count
    WriteSjis(Path("area2.dat"), "a 0 0 1 0\r\n");
    s.TansaFile = Path("area2.dat");
    s.Interval = "5";
    EXPECT_FALSE(s.Accept(cfg, sink));  // refused: nothing stored
    TJobSettings stored;
    stored.Load(cfg);
    EXPECT_EQ(stored.TansaPath(), Path("area.dat"));
    s.Interval = "10";
    ASSERT_TRUE(s.Accept(cfg, sink));
    EXPECT_TRUE(s.SurveyAreaChanged());
    stored.Load(cfg);
    EXPECT_EQ(stored.TansaPath(), Path("area2.dat"));
}

TEST(JobSettingsDerived, IndexesAsTheMainWindowUsesThem) {
    TJobSettings s;
    EXPECT_EQ(s.ZoneIndex(), 4);
    s.Zone = QStringLiteral("18系");
    EXPECT_EQ(s.ZoneIndex(), 17);
    s.Zone = QStringLiteral("19系");
    EXPECT_EQ(s.ZoneIndex(), 18);
    s.Zone = "?";
    EXPECT_EQ(s.ZoneIndex(), 18);
    EXPECT_EQ(TJobSettings::ZoneChoices().size(), 19);
    EXPECT_EQ(TJobSettings::ColorChoices().size(), 16);

    // GPS datum x map datum x parameters -> source and target datum indexes.
    struct Case {
        int gps, map;
        bool shiftNew;
        int source, target;
    };
    for (const Case c : {Case{0, 0, true, 0, 0}, Case{0, 1, true, 0, 1}, Case{0, 1, false, 0, 2},
                         Case{1, 0, true, 1, 0}, Case{1, 1, true, 1, 1}, Case{1, 1, false, 2, 2}}) {
        s.GpsDatum = TJobSettings::GpsDatumChoices()[c.gps];
        s.MapDatum = TJobSettings::MapDatumChoices()[c.map];
        s.ShiftNew = c.shiftNew;
        EXPECT_EQ(s.SourceDatum(), c.source) << c.gps << c.map << c.shiftNew;
        EXPECT_EQ(s.TargetDatum(), c.target) << c.gps << c.map << c.shiftNew;
    }
    s.CutMethod = QStringLiteral("全データ");
    EXPECT_EQ(s.CutMethodIndex(), 2);
    s.OutMethod = QStringLiteral("文字");
    EXPECT_EQ(s.OutMethodIndex(), 2);
    s.OutText = "  ABCD \t";
    EXPECT_EQ(s.TransferText(), "ABCD\r");
    s.Port = "COM3";
    s.Speed = "9600";
    s.OutSpeed = "19200";
    EXPECT_EQ(s.PortNumber(), 3);
    EXPECT_EQ(s.Baud(), 9600);
    EXPECT_EQ(s.OutBaud(), 0);
}

TEST(LineName, BlankAndQuotedNamesAreRefused) {
    EXPECT_EQ(ValidateLineName("  \t"), QStringLiteral("測線名を入力して下さい"));
    EXPECT_EQ(ValidateLineName("a\"b"), QStringLiteral("測線名に引用符(\")は使えません"));
    EXPECT_EQ(ValidateLineName(" L-1 "), QString());
}

TEST(Config, MainWindowAndMapWindowSectionsRoundTrip) {
    QTemporaryDir dir;
    const QString cfg = TidrunCfgPath(dir.path());
    MainWindowConfig m;
    m.Load(cfg);
    EXPECT_EQ(m.CircleSize, 1);
    EXPECT_EQ(m.RulerDMS, "0");
    EXPECT_EQ(m.RulerStep, 1);
    m.CircleSize = 25;
    m.RulerDMS = "123.4530";
    m.RulerX0 = -1234.5678;
    m.MapCount = 3;
    m.HoseiA = 0.1;
    m.GuidePoint = QStringLiteral("基準１");
    ASSERT_TRUE(m.Store(cfg));
    MainWindowConfig back;
    back.Load(cfg);
    EXPECT_EQ(back.CircleSize, 25);
    EXPECT_EQ(back.RulerDMS, "123.4530");
    EXPECT_EQ(back.RulerX0, -1234.5678);
    EXPECT_EQ(back.MapCount, 3);
    EXPECT_EQ(back.HoseiA, 0.1);
    EXPECT_EQ(back.GuidePoint, QStringLiteral("基準１"));
    EXPECT_TRUE(ReadSjis(cfg).startsWith(
        QStringLiteral("[設定]\r\n円定規(Size)=25\r\n計画線(DMS)=123.4530\r\n")));

    for (int n = 0; n < 3; ++n) {
        MapWindowConfig w;
        w.Top = n;
        w.Maximize = n == 1;
        w.X0 = 100.25 * n;
        w.X1 = 200.5;
        w.Circle = n == 2;
        ASSERT_TRUE(w.Store(cfg, n));
    }
    MapWindowConfig w;
    w.Load(cfg, 2);
    EXPECT_EQ(w.Top, 2);
    EXPECT_EQ(w.Width, 100);
    EXPECT_FALSE(w.Maximize);
    EXPECT_EQ(w.X0, 200.5);
    EXPECT_FALSE(w.Y0.has_value());  // absent: the window keeps its current axis
    EXPECT_EQ(w.Circle, true);
    EXPECT_FALSE(w.Fast.has_value());
    MapWindowConfig missing;
    missing.Load(cfg, 7);
    EXPECT_EQ(missing.Height, 100);
    EXPECT_FALSE(missing.X1.has_value());

    EXPECT_EQ(ReadCalibRefPoint(cfg), "");
    ASSERT_TRUE(WriteCalibRefPoint(cfg, "K2"));
    EXPECT_EQ(ReadCalibRefPoint(cfg), "K2");
    back.Load(cfg);  // other sections untouched by the calibration write
    EXPECT_EQ(back.CircleSize, 25);
}

TEST(Config, WorkFolderAndPortMapping) {
    QTemporaryDir dir;
    const QString programDir = dir.path();
    const QString ini = TidrunIniPath(programDir);
    EXPECT_EQ(ini, QDir(programDir).filePath("Tidrun.INI"));
    EXPECT_EQ(ReadWorkDir(ini, programDir), programDir);
    ASSERT_TRUE(WriteWorkDir(ini, "/data/job"));
    EXPECT_EQ(ReadWorkDir(ini, programDir), "/data/job");

    TIniFile(ini).WriteString("Ports", "COM1", "/dev/ttyUSB0");
    TIniFile(ini).WriteString("Ports", "COM2", "replay:captures/track.nmea");
    TIniFile(ini).WriteString("Ports", "COM4", "replay:/abs/x.nmea");
    EXPECT_EQ(ReadPortMapping(ini, "COM1"), "/dev/ttyUSB0");
    EXPECT_EQ(ReadPortMapping(ini, "COM2"), "replay:captures/track.nmea");
    EXPECT_EQ(ReadPortMapping(ini, "COM4"), "replay:/abs/x.nmea");
    EXPECT_EQ(ReadPortMapping(ini, "COM3"), QString());
    EXPECT_EQ(ReadWorkDir(ini, programDir), "/data/job");  // [] kept beside [Ports]
}

// An installed program (<prefix>/bin beside <prefix>/share/tidrun) keeps Tidrun.INI in the
// user's configuration folder and offers the home folder for a job, even where its own
// folder may be written (as by root); run from its build, both stay in the program folder.
TEST(Config, AnInstalledProgramKeepsItsIniInTheUsersFolder) {
    QTemporaryDir root;
    const QString home = root.filePath("home"), config = root.filePath("config");
    ASSERT_TRUE(QDir().mkpath(home) && QDir().mkpath(root.filePath("usr/bin")) &&
                QDir().mkpath(root.filePath("usr/share/tidrun")) &&
                QDir().mkpath(root.filePath("build/app")));
    const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    struct Row {
        const char* programDir;
        QString ini, workDir, data;
    } rows[] = {
        {"usr/bin", QDir(config).filePath("tidrun/Tidrun.INI"), home,
         root.filePath("usr/share/tidrun")},
        {"build/app", root.filePath("build/app/Tidrun.INI"), root.filePath("build/app"), {}},
    };
    for (const Row& row : rows) {
        const QString programDir = root.filePath(row.programDir);
        const QString ini = TidrunIniPath(programDir);
        EXPECT_EQ(ini.toStdString(), row.ini.toStdString());
        EXPECT_EQ(ReadWorkDir(ini, programDir).toStdString(), row.workDir.toStdString());
        EXPECT_EQ(InstalledDataDir(programDir).toStdString(), row.data.toStdString());
        EXPECT_TRUE(WriteWorkDir(ini, "/data/job")) << row.programDir;
        EXPECT_TRUE(QFileInfo::exists(row.ini)) << row.programDir;
    }
    qputenv("HOME", oldHome);
    oldConfig.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", oldConfig);
}

}  // namespace
}  // namespace tidrun
