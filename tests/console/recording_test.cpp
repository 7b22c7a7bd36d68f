// Recording and guidance through the main window, with the GPS on a real pseudo-terminal
// and the job's files on disk.
#include "console/gui/mainform.h"
#include "surveydata/config.h"
#include "tests/console/named_child.h"

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
#include "tests/surveydata/testfiles.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <iostream>
#include <memory>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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
        settings.CutMethod = cutMethod;
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
    // Counts what the main window sends the map windows.
    void WatchSignals() {
        QObject::connect(form.get(), &TMainForm::BoatPos, [this] { ++handled; });
        QObject::connect(form.get(), &TMainForm::CutAdded, [this](int index) { cuts << index; });
        QObject::connect(form.get(), &TMainForm::LineEnd, [this] { ++lineEnds; });
    }
    // Sends a fix and waits until the main window has handled it.
    void Fix(int sec) {
        const int before = ++fixes;
        pty.Write(Gga(sec, 4));
        ASSERT_TRUE(WaitFor([&] { return handled >= before; }));
    }

    QTemporaryDir prog, work;
    Pty pty;
    QString cutMethod = QStringLiteral("自動");
    TJobSettings settings;
    RecordingSink sink;
    std::unique_ptr<TMainForm> form;
    std::optional<QString> answer = QStringLiteral("測線Ａ");
    QStringList presets;
    qint64 now = 5000;
    int fixes = 0, handled = 0;
    QList<int> cuts;  // record indexes of CutAdded
    int lineEnds = 0;
};

TEST_F(RecordingTest, RecordsCutsByHandAndByTimeAndLogsTheirSentences) {
    TMainForm& f = *form;
    WatchSignals();
    Act(f, "actSurveyStart")->trigger();
    ASSERT_TRUE(f.Recording());
    EXPECT_EQ(presets, QStringList{QStringLiteral("1")});
    EXPECT_EQ(f.AppTitle(), QStringLiteral("計測中"));
    for (QAction* a : {Act(f, "actExit"), Act(f, "actSurveyStart"), Act(f, "actCalibrate"),
                       Act(f, "actFileClose")})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_FALSE(Named<TRefPanel>(f, "pnlRef")->cbxRefPoint->isEnabled());
    // The job stays open: new maps and the planned line still work during a line.
    EXPECT_TRUE(Act(f, "actNewMap")->isEnabled());
    EXPECT_TRUE(Named<TRulerToolBar>(f, "tbRuler")->edtRulerAngle->isEnabled());
    EXPECT_TRUE(Named<TCutPanel>(f, "pnlCut")->btnCut->isEnabled());
    EXPECT_FALSE(f.close());  // refused while recording, without a question
    EXPECT_TRUE(sink.questions.isEmpty());

    Fix(1);  // nothing before the first cut, whatever the time
    now += 60000;
    f.SurveyTick();
    EXPECT_FALSE(Named<TCutPanel>(f, "pnlCut")->ledCount2->IsOn());
    Named<TCutPanel>(f, "pnlCut")->btnCut->click();
    EXPECT_TRUE(Named<TCutPanel>(f, "pnlCut")->ledCount0->IsOn());
    Fix(2);
    ASSERT_EQ(cuts.size(), 1);
    EXPECT_EQ(cuts.at(0), 0);
    EXPECT_FALSE(Named<TCutPanel>(f, "pnlCut")->ledCount0->IsOn());
    EXPECT_EQ(Named<TCutPanel>(f, "pnlCut")->lblCutCutNo->text(),
              QStringLiteral("測線 測線Ａ ｶｯﾄ 1"));

    now += 7500;  // more than 6 s: the first lamp
    f.SurveyTick();
    EXPECT_TRUE(Named<TCutPanel>(f, "pnlCut")->ledCount2->IsOn());
    EXPECT_EQ(Named<TCutPanel>(f, "pnlCut")->lblDuration->text(), QStringLiteral("7"));
    Fix(3);
    EXPECT_EQ(cuts.size(), 1);
    now += 4000;  // more than 10 s: the cut is due, taken at the next fix
    f.SurveyTick();
    EXPECT_TRUE(Named<TCutPanel>(f, "pnlCut")->ledCount0->IsOn());
    Fix(4);
    ASSERT_EQ(cuts.size(), 2);

    Act(f, "actSurveyStop")->trigger();
    EXPECT_FALSE(f.Recording());
    EXPECT_EQ(lineEnds, 1);
    EXPECT_EQ(f.AppTitle(), QStringLiteral("Tidrun Zzz"));
    EXPECT_TRUE(Act(f, "actFileClose")->isEnabled());
    EXPECT_EQ(Named<TCutPanel>(f, "pnlCut")->lblDuration->text(), QStringLiteral("0000"));

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
    Act(f, "actSurveyStart")->trigger();
    EXPECT_EQ(presets.last(), QStringLiteral("2"));
    Act(f, "actSurveyStop")->trigger();
    EXPECT_EQ(lineEnds, 1);

    // A map made during a line but before its first cut shows the last line finished; one
    // made after that cut keeps the new line open.
    answer = QStringLiteral("測線Ｂ");
    Act(f, "actSurveyStart")->trigger();
    EXPECT_EQ(f.CreateMap(-1, false)->Session().Scene().OpenLine(), nullptr);
    Named<TCutPanel>(f, "pnlCut")->btnCut->click();
    Fix(5);
    ASSERT_EQ(cuts.size(), 3);
    const TLineLineSeries* open = f.CreateMap(-1, false)->Session().Scene().OpenLine();
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->FirstRecord(), 2);
    Act(f, "actSurveyStop")->trigger();
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
    Act(f, "actSurveyStart")->trigger();
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
        Named<TCutPanel>(f, "pnlCut")->btnCut->click();
        const int movesBefore = moves, cutsBefore = cuts;
        const QByteArray sentence = test::Sentence(r.body);
        pty.Write(sentence);
        const QString time = QStringLiteral("21:36:%1").arg(++second, 2, 10, QLatin1Char('0'));
        ASSERT_TRUE(
            WaitFor([&] { return Named<TGpsPanel>(f, "pnlGPS")->lblGPSTime->text() == time; }));
        EXPECT_EQ(Named<TGpsPanel>(f, "pnlGPS")->lblGPSLat->text(),
                  QStringLiteral("緯度:") + r.lat);
        EXPECT_EQ(Named<TGpsPanel>(f, "pnlGPS")->lblGPSAlt->text(),
                  QStringLiteral("高度:") + r.alt);
        EXPECT_EQ(Named<TGpsPanel>(f, "pnlGPS")->lblGPSQty->text(),
                  QStringLiteral("測位状態:") + r.quality);
        EXPECT_EQ(moves - movesBefore, r.moves ? 1 : 0);
        EXPECT_EQ(cuts - cutsBefore, r.cut ? 1 : 0);
        if (r.moves) {
            EXPECT_EQ(
                Named<TCoordPanel>(f, "pnlBottom")->lblXValue->palette().color(QPalette::Window),
                QColor(r.colour));
        }
        if (r.cut) {
            cutSentences += Packet(sentence);
            recorded << QString::fromLatin1(r.recorded);
        }
    }
    Act(f, "actSurveyStop")->trigger();
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

// 全データ: every position after the first cut is one, as in the 5 Hz lines of a survey day.
class AllDataRecordingTest : public RecordingTest {
  protected:
    AllDataRecordingTest() { cutMethod = QStringLiteral("全データ"); }
};

// A file-size limit for this process for the life of the scope: a file written past it fails
// as on a full disk.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(qint64 bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit r{static_cast<rlim_t>(bytes), old_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldSignal_);
    }

  private:
    rlimit old_{};
    void (*oldSignal_)(int) = SIG_DFL;
};

// "serial,line,cut" of every line of the recording file, blank-separated.
std::string RecordNumbers(const QString& path) {
    QStringList lines, out;
    if (!ReadCp932Lines(path, lines)) return "<unreadable>";
    for (const QString& l : lines) {
        const QStringList f = l.split(QLatin1Char(','));
        out << (f.size() < 4 ? l : f[0].trimmed() + ',' + f[1].trimmed() + ',' + f[3].trimmed());
    }
    return out.join(' ').toStdString();
}

// What can go wrong with the files of a line on board, and what the crew must see: one
// message; at F3 no line at all; during a line the line ended as 終了 ends it; nothing
// counted or shown that the recording file at its path does not hold; the next line
// numbered on from the last cut on disk, on a line of its own.
TEST_F(AllDataRecordingTest, ACutThatCannotBeStoredEndsTheLineWithOneMessage) {
    TMainForm& f = *form;
    WatchSignals();
    const QString rec = Path("SOKUSEN.DAT");
    const QString named = QStringLiteral("側線ファイル書込エラー\r\nﾌｧｲﾙ名：") + rec;
    const QString outside = Path("outside.txt");
    ASSERT_TRUE(WriteCp932LinesAtomic(outside, {QStringLiteral("not a log")}));
    const QByteArray outsideBytes = test::ReadFile(outside);
    auto logOf = [&](int line) {
        return QDir(f.LogDir()).filePath(QStringLiteral("Line%1.Log").arg(line));
    };
    std::unique_ptr<FileSizeLimit> limit;
    QByteArray saved;
    bool asOtherUser = false;

    struct Row {
        const char* what;
        int faultAfter;   // good cuts of the line before the fault; 0: before F3
        int stored;       // cuts of the line in the file in the end (-1: no line starts)
        bool logChecked;  // the line log holds the sentences of the stored cuts
        QString message;
        std::function<bool(int line)> fault;  // false: cannot be made here
        std::function<void(int line)> mend;
    };
    const Row rows[] = {
        {"full disk", 2, 3, true, QStringLiteral("側線ファイル書込エラー"),
         [&](int) {
             // Room for one more cut and half of the next.
             limit = std::make_unique<FileSizeLimit>(QFileInfo(rec).size() + 300);
             return true;
         },
         [&](int) { limit.reset(); }},
        {"recording file deleted", 2, 2, true, named,
         [&](int) {
             saved = test::ReadFile(rec);
             return QFile::remove(rec);
         },
         [&](int) { testing::WriteBytes(rec, saved); }},  // put back from a copy
        {"another file renamed over the recording file", 2, 2, true, named,
         [&](int) {
             testing::WriteBytes(rec + ".new", test::ReadFile(rec));
             return ::rename(QFile::encodeName(rec + ".new"), QFile::encodeName(rec)) == 0;
         },
         [](int) {}},
        {"line log on a full disk", 0, 0, false, QStringLiteral("ログファイル書込エラー"),
         [&](int line) {  // a device that fails every write as a full disk does
             return ::mknod(QFile::encodeName(logOf(line)), S_IFCHR | 0600, makedev(1, 7)) == 0;
         },
         [&](int line) { QFile::remove(logOf(line)); }},
        {"read-only recording file at F3", 0, -1, false, named,
         [&](int) {
             asOtherUser = ::geteuid() == 0;  // root would write it all the same
             ::chmod(QFile::encodeName(work.path()), 0755);
             return ::chmod(QFile::encodeName(rec), 0444) == 0;
         },
         [&](int) {
             asOtherUser = false;
             ::chmod(QFile::encodeName(rec), 0644);
             ::chmod(QFile::encodeName(work.path()), 0700);
         }},
        {"line log a symbolic link at F3", 0, -1, false,
         QStringLiteral("ログファイル作成/終了エラー"),
         [&](int line) { return QFile::link(outside, logOf(line)); },
         [&](int line) { QFile::remove(logOf(line)); }},
    };

    QStringList expected;  // serial, line, cut of every record on disk
    int serial = 0, line = 0, sec = 0;
    auto fix = [&]() -> QByteArray {
        sec = (sec + 1) % 60;
        Fix(sec);
        return Packet(Gga(sec, 4));
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const int next = line + 1;  // the line the fault is made for
        bool faulted = false;
        if (r.faultAfter == 0) {
            if (!r.fault(next)) {
                std::cout << "not tried here: " << r.what << "\n";
                continue;
            }
            faulted = true;
        }
        {
            const uid_t euid = ::geteuid();
            if (asOtherUser) {
                ASSERT_EQ(::seteuid(65534), 0);
            }
            Act(f, "actSurveyStart")->trigger();
            if (asOtherUser) {
                ASSERT_EQ(::seteuid(euid), 0);
            }
        }
        EXPECT_EQ(presets.last(), QString::number(next));
        EXPECT_EQ(f.Recording(), r.stored >= 0);  // a line that cannot be stored never starts
        const int cutsBefore = int(cuts.size()), endsBefore = lineEnds;
        QByteArray logged;
        int stored = 0;
        if (f.Recording()) {
            Named<TCutPanel>(f, "pnlCut")->btnCut->click();
            for (int i = 0; i < 8 && f.Recording(); ++i) {
                if (!faulted && stored == r.faultAfter) {
                    ASSERT_TRUE(r.fault(next));
                    faulted = true;
                }
                const qsizetype before = cuts.size();
                const QByteArray packet = fix();
                if (cuts.size() > before) {
                    logged += packet;
                    expected << QStringLiteral("%1,%2,%3").arg(++serial).arg(next).arg(++stored);
                }
            }
            EXPECT_FALSE(f.Recording());
            for (int i = 0; i < 3; ++i) fix();  // once ended, nothing more is taken
            if (stored > 0) line = next;        // a line without a cut leaves its number free
        }
        QCoreApplication::processEvents();  // the receiver's messages come from the loop
        EXPECT_EQ(sink.Texts().join(" | ").toStdString(), r.message.toStdString());
        sink.entries.clear();
        EXPECT_EQ(stored, std::max(r.stored, 0));
        EXPECT_EQ(f.AppTitle(), QStringLiteral("Tidrun Zzz"));
        EXPECT_TRUE(Act(f, "actSurveyStart")->isEnabled());
        EXPECT_TRUE(Act(f, "actFileClose")->isEnabled());
        EXPECT_FALSE(Named<TCutPanel>(f, "pnlCut")->btnCut->isEnabled());
        EXPECT_EQ(lineEnds - endsBefore, stored > 0 ? 1 : 0);
        EXPECT_EQ(cuts.size() - cutsBefore, stored);
        EXPECT_EQ(Named<TCutPanel>(f, "pnlCut")->lblCutSEQ->text(),
                  QStringLiteral("前測点 %1").arg(serial));
        if (r.logChecked) {
            EXPECT_EQ(test::ReadFile(logOf(next)), logged);
        }
        r.mend(next);
        EXPECT_EQ(RecordNumbers(rec), expected.join(' ').toStdString());
        EXPECT_EQ(test::ReadFile(outside), outsideBytes);
    }

    // Once the files take writes again, the next line follows the last cut on disk.
    Act(f, "actSurveyStart")->trigger();
    ASSERT_TRUE(f.Recording());
    Named<TCutPanel>(f, "pnlCut")->btnCut->click();
    QByteArray logged = fix();
    logged += fix();
    Act(f, "actSurveyStop")->trigger();
    expected << QStringLiteral("%1,%2,1").arg(serial + 1).arg(line + 1)
             << QStringLiteral("%1,%2,2").arg(serial + 2).arg(line + 1);
    EXPECT_EQ(RecordNumbers(rec), expected.join(' ').toStdString());
    EXPECT_EQ(test::ReadFile(logOf(line + 1)), logged);
    EXPECT_FALSE(test::ReadFile(rec).contains("\r\n\r\n"));
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
    Act(f, "actSurveyStart")->trigger();
    EXPECT_FALSE(f.Recording());
    EXPECT_NE(f.AppTitle(), QStringLiteral("計測中"));
    EXPECT_TRUE(Act(f, "actSurveyStart")->isEnabled());
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
    Act(*form, "actSurveyStart")->trigger();
    EXPECT_FALSE(form->Recording());
    EXPECT_TRUE(presets.isEmpty());
    ASSERT_FALSE(sink.entries.empty());
    EXPECT_EQ(sink.entries.back().text, QStringLiteral("測線が正しく設定されていません。"));
}

TEST_F(RecordingTest, GuidesToTheBuoyAndMovesThePlannedLine) {
    TMainForm& f = *form;
    QObject::connect(&f, &TMainForm::BoatPos, [this] { ++handled; });
    Named<TGuidePanel>(f, "pnlGuide")->cbxRemPoint->setCurrentIndex(1);  // 設標01
    Fix(5);
    // The fix lies at about X -64500, Y -6500 in zone 9: the buoy is south and east.
    EXPECT_FALSE(
        Named<TGuidePanel>(f, "pnlGuide")->lblN->isVisibleTo(Named<TGuidePanel>(f, "pnlGuide")));
    EXPECT_TRUE(
        Named<TGuidePanel>(f, "pnlGuide")->lblS->isVisibleTo(Named<TGuidePanel>(f, "pnlGuide")));
    EXPECT_TRUE(
        Named<TGuidePanel>(f, "pnlGuide")->lblE->isVisibleTo(Named<TGuidePanel>(f, "pnlGuide")));
    EXPECT_FALSE(Named<TGuidePanel>(f, "pnlGuide")->lblDMS->text().isEmpty());
    const double dx = Named<TGuidePanel>(f, "pnlGuide")->lblDeltaXValue->text().toDouble();
    EXPECT_LT(dx, 0);

    Named<TRulerToolBar>(f, "tbRuler")->edtRulerAngle->setText(QStringLiteral("0"));
    Named<TRulerToolBar>(f, "tbRuler")->edtRulerStep->setValue(10);
    const TRulerRect before = f.Session().Guidance().Segment();
    Named<TRulerToolBar>(f, "tbRuler")->btnMoveUp->click();
    EXPECT_DOUBLE_EQ(f.Session().Guidance().Segment().Y0, before.Y0 + 10);
    EXPECT_DOUBLE_EQ(f.Session().Guidance().Pivot().Y, before.Y0 + 10);
    // An angle that cannot be used turns the field fuchsia and counts as 0 for the maps.
    Named<TRulerToolBar>(f, "tbRuler")->edtRulerAngle->setText(QStringLiteral("400"));
    EXPECT_EQ(f.RulerAngle(), 0);
    EXPECT_EQ(Named<TRulerToolBar>(f, "tbRuler")->edtRulerAngle->palette().color(QPalette::Base),
              QColor(0xFF00FF));
}

}  // namespace
}  // namespace tidrun
