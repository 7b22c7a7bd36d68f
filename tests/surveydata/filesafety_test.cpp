// What the job's files go through outside the office: a full disk, a folder that cannot be
// written, files that cannot be read, and huge or endless input. Each case runs on real
// files in a forked child, so that a full file system, a lower user or a memory peak stay
// out of the test process.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <string>
#include <vector>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "childprocess.h"
#include "surveydata/config.h"
#include "surveydata/inifile.h"
#include "surveydata/jobsettings.h"
#include "surveydata/pointcoll.h"
#include "surveydata/sokusencoll.h"
#include "testfiles.h"

namespace tidrun {
namespace {

using testing::ChildChecks;
using testing::InChild;
using testing::ReadBytes;
using testing::WriteBytes;
using testing::WriteSjis;

// A Tidrun.CFG as a job carries it, with window sections and a toolbar section.
QString CfgText() {
    QString t = QStringLiteral(
        "[設定]\r\n通信=COM3\r\n速度=9600\r\n基準=kijun.dat\r\n調査=area.dat\r\n"
        "収録=rec.dat\r\nマーク=mark.dat\r\n工事名=港内　深浅測量\r\n平面図=2\r\n"
        "補正X=0.125\r\n[Color]\r\n平面図=Navy\r\n");
    for (int n = 0; n < 2; ++n) {
        t += QStringLiteral(
                 "[平面図%1]\r\nTop=10\r\nLeft=20\r\nWidth=800\r\nHeight=600\r\n"
                 "X0=-1200.5\r\nX1=300.25\r\nY0=-50\r\nY1=75\r\n")
                 .arg(n);
    }
    return t + QStringLiteral("[ToolBar]\r\nState=AAAA/wAAAAD9AAAAAgAAAAAAAAEU\r\n");
}

QString RecordingLine(int serial, const QString& name) {
    return QString::asprintf("%5d,    1, \"", serial) + name +
           QStringLiteral(
               "\",    1,    -100.000,     200.000,    1.000,    0.000,    1,   "
               "35.000000,  139.000000,   10.000, \"26/12/08 10:00:00\",       "
               "0.000,       0.000,    0.000,    0.000\r\n");
}

TCutInput SomeCut() {
    TCutInput c;
    c.LineName = QStringLiteral("測線");
    c.X = 1;
    c.Y = 2;
    c.Time = QDateTime(QDate(2026, 12, 8), QTime(10, 0, 0));
    return c;
}

// The files end 20 bytes short of a whole page, so that on the full tmpfs a write that
// grows them fits in part at most, as on a disk that fills up in the middle of a write.
constexpr int kFileBytes = 4096 - 20;

QByteArray PadWith(QByteArray head, const std::function<QByteArray(int)>& line) {
    const int base = static_cast<int>(line(0).size());
    return head + line(kFileBytes - static_cast<int>(head.size()) - base);
}

struct FullDiskCase {
    const char* what;
    const char* file;
    std::function<QByteArray()> content;
    // Runs the write against the full disk and checks what it reports.
    std::function<void(const QString& path, RecordingSink& sink, ChildChecks& c)> write;
};

std::vector<FullDiskCase> FullDiskCases() {
    auto comment = [](int n) { return ";" + QByteArray(n, 'c') + "\r\n"; };
    const QByteArray cfg = PadWith(EncodeCp932(CfgText()), comment);
    const QByteArray ini =
        PadWith("[]\r\nWORKDIR=/data/old job\r\n[Ports]\r\nCOM1=/dev/ttyUSB0\r\n", comment);
    const QByteArray marks = PadWith("  -100.000    200.000 m1 1\r\n", [](int n) {
        return "  -101.000    201.000 m" + QByteArray(n, 'm') + " 2\r\n";
    });
    const QByteArray rec = PadWith(EncodeCp932(RecordingLine(1, QStringLiteral("a"))), [](int n) {
        return EncodeCp932(RecordingLine(2, QString(n, QLatin1Char('b'))));
    });
    return {
        {"job settings into Tidrun.CFG", "Tidrun.CFG", [cfg] { return cfg; },
         [](const QString& path, RecordingSink&, ChildChecks& c) {
             TJobSettings s;
             s.Load(path);
             s.Port = QStringLiteral("COM1");
             c.Check(!s.Store(path), "the settings store reports success");
         }},
        {"main window keys into Tidrun.CFG", "Tidrun.CFG", [cfg] { return cfg; },
         [](const QString& path, RecordingSink&, ChildChecks& c) {
             MainWindowConfig m;
             m.Load(path);
             m.HoseiX = 2.5;
             c.Check(!m.Store(path), "the main window store reports success");
         }},
        {"work folder into Tidrun.INI", "Tidrun.INI", [ini] { return ini; },
         [](const QString& path, RecordingSink&, ChildChecks& c) {
             c.Check(!WriteWorkDir(path, QStringLiteral("/data/a new job with a longer name")),
                     "the work folder write reports success");
         }},
        {"a new mark into the mark file", "mark.dat", [marks] { return marks; },
         [](const QString& path, RecordingSink& sink, ChildChecks& c) {
             TMisokuColl marks(sink);
             c.Check(marks.Load(path), "the mark file does not load");
             c.Check(!marks.AddAndSave(5, 6, QStringLiteral("新しいマーク"), 3),
                     "adding a mark reports success");
             c.Check(sink.Texts() == QStringList{QStringLiteral("書込ｴﾗｰ\r\nﾌｧｲﾙ名：") + path},
                     "no write error box: " + sink.Texts().join('|').toStdString());
         }},
        {"a cut appended to the recording file", "rec.dat", [rec] { return rec; },
         [](const QString& path, RecordingSink& sink, ChildChecks& c) {
             TSokusenColl coll(sink);
             c.Check(coll.Load(path), "the recording file does not load");
             const int before = coll.Count();
             coll.BeginLine();
             c.Check(coll.AddCut(SomeCut()) == -1 && coll.Count() == before,
                     "a cut that did not reach the disk is kept");
             c.Check(!coll.EndLine(), "the line counts a cut that did not reach the disk");
             c.Check(sink.Texts() == QStringList{QStringLiteral("側線ファイル書込エラー")},
                     "no write error box: " + sink.Texts().join('|').toStdString());
         }},
    };
}

// Each write on a full file system fails visibly and leaves the file as it was; once in a
// folder that lets a temporary file be made, once in a folder that does not (the file is
// then written in place, and a full disk must still not cut it short).
TEST(FullDisk, EveryWriteFailsVisiblyAndKeepsTheOldFile) {
    for (const bool readOnlyFolder : {false, true}) {
        for (const FullDiskCase& k : FullDiskCases()) {
            QTemporaryDir dir;
            const QString path = dir.filePath(QLatin1String(k.file));
            const QByteArray before = k.content();
            std::string how;
            const std::string failures = InChild([&](ChildChecks& c) {
                how = testing::MakeFullFileSystem(
                    dir.path(),
                    [&] {
                        WriteBytes(path, before);
                        if (readOnlyFolder) {
                            ::chown(QFile::encodeName(path).constData(), 65534, 65534);
                            ::chmod(QFile::encodeName(dir.path()).constData(), 0555);
                        }
                    },
                    before.size() + 10);
                if (readOnlyFolder) testing::DropRoot();
                RecordingSink sink;
                k.write(path, sink, c);
                c.Check(ReadBytes(path) == before, "the file changed (" + how + ")");
                QStringList left = QDir(dir.path()).entryList(QDir::Files);
                left.removeAll(QStringLiteral("filler"));
                c.Check(left == QStringList{QLatin1String(k.file)},
                        "files left: " + left.join(' ').toStdString());
            });
            ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
            EXPECT_EQ(failures, "") << k.what << (readOnlyFolder ? ", read-only folder" : "");
        }
    }
}

// The mark file may be writable where its folder is not (a shared job folder): marks are
// then saved in place.
TEST(ReadOnlyFolder, MarksAreSavedInPlace) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mark.dat"));
    WriteBytes(path, QByteArray("  -100.000    200.000 m1 1\r\n"));
    ::chown(QFile::encodeName(path).constData(), 65534, 65534);
    ::chmod(QFile::encodeName(path).constData(), 0666);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0555);
    const std::string failures = InChild([&](ChildChecks& c) {
        testing::DropRoot();
        RecordingSink sink;
        TMisokuColl marks(sink);
        c.Check(marks.Load(path), "the mark file does not load");
        c.Check(marks.AddAndSave(1, 2, QStringLiteral("追加"), 7), "adding a mark failed");
        c.Check(marks.DeleteAndSave(0), "deleting a mark failed");
        c.Check(sink.entries.empty(), "boxes: " + sink.Texts().join('|').toStdString());
    });
    ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    EXPECT_EQ(failures, "");
    EXPECT_EQ(testing::ReadSjis(path), QStringLiteral("     1.000      2.000 追加 7\r\n"));
}

// A configuration file that exists but cannot be read completely is not written over with
// only the keys being written; the settings dialog says so.
TEST(UnreadableConfig, IsNeverReplaced) {
    QTemporaryDir dir;
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    const QString cfg = TidrunCfgPath(dir.path());
    const QByteArray before = EncodeCp932(CfgText());
    WriteBytes(cfg, before);
    ::chmod(QFile::encodeName(cfg).constData(), 0200);  // write-only for its owner
    ::chown(QFile::encodeName(cfg).constData(), 65534, 65534);
    WriteSjis(dir.filePath("area.dat"), "a 0 0 1 0\r\n");
    WriteSjis(dir.filePath("kijun.dat"), "r 0 0\r\n");
    WriteSjis(dir.filePath("rec.dat"), "");
    WriteSjis(dir.filePath("mark.dat"), "");
    const std::string failures = InChild([&](ChildChecks& c) {
        testing::DropRoot();
        RecordingSink sink;
        TJobSettings s;
        s.Load(cfg);
        s.KijunFile = QStringLiteral("kijun.dat");
        s.TansaFile = QStringLiteral("area.dat");
        s.SokusenFile = QStringLiteral("rec.dat");
        s.MisokuFile = QStringLiteral("mark.dat");
        c.Check(!s.Accept(cfg, sink), "the settings were accepted");
        c.Check(sink.Texts() ==
                    QStringList{QStringLiteral("設定ファイルに書込できません\r\nﾌｧｲﾙ名：") + cfg},
                "boxes: " + sink.Texts().join('|').toStdString());
        MainWindowConfig m;
        m.Load(cfg);
        c.Check(!m.Store(cfg), "the main window keys were written");
        c.Check(!TIniFile(cfg).WriteString(QStringLiteral("補正"), QStringLiteral("基準点"), "x"),
                "a key was written");
        c.Check(!TIniFile(cfg).EraseSection(QStringLiteral("平面図1")), "a section was erased");
    });
    EXPECT_EQ(failures, "");
    EXPECT_EQ(ReadBytes(cfg), before);

    // A folder in the file's place cannot be read either.
    QTemporaryDir dir2;
    const QString asDir = TidrunCfgPath(dir2.path());
    ASSERT_TRUE(QDir().mkdir(asDir));
    EXPECT_FALSE(TIniFile(asDir).WriteString(QStringLiteral("設定"), QStringLiteral("通信"), "x"));
}

// A save killed in the middle of its write leaves its temporary copy beside the file for
// good (where the file system cannot make an unnamed temporary file: a share or a stick
// from Windows; here /proc is hidden from the writer, which then names its copy). What
// clears such copies at the next open takes that copy, and no other name, no other folder,
// no link and no file of another user.
TEST(KilledSave, ItsTemporaryCopyIsRemovedAndNothingElse) {
    QTemporaryDir dir, outside;
    const QString name = QStringLiteral("plan.png");
    const QString saved = dir.filePath(name);
    const QByteArray before("the plan before");
    WriteBytes(saved, before);
    // A fresh tool writes the file and is ended by the kernel half-way (past a file-size
    // limit, SIGXFSZ), as a kill would end it.
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", "/proc", "tmpfs", 0, nullptr) != 0)
            ::_exit(77);
        const rlimit noCore{0, 0}, small{100, 100};
        ::setrlimit(RLIMIT_CORE, &noCore);
        ::setrlimit(RLIMIT_FSIZE, &small);
        const QByteArray work = QFile::encodeName(outside.path());
        const QByteArray out = QFile::encodeName(saved);
        ::execl(TIDRUN_TOOL_PATH, TIDRUN_TOOL_PATH, "plot", work.constData(), out.constData(),
                "--size", "300x200", static_cast<char*>(nullptr));
        ::_exit(78);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot hide /proc";
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
    QStringList left = QDir(dir.path()).entryList(QDir::Files);
    left.removeAll(name);
    ASSERT_EQ(left.size(), 1) << left.join(' ').toStdString();
    const QString copy = left.front();
    ASSERT_TRUE(copy.startsWith(name + '.') && copy.size() == name.size() + 7)
        << copy.toStdString();

    auto file = [](const QString& p) {
        WriteBytes(p, "x");
        return true;
    };
    const QString target = outside.filePath("target");
    file(target);
    struct Decoy {
        QString path;
        std::function<bool(const QString&)> make;  // false: cannot be made here
    };
    const Decoy decoys[] = {
        {dir.filePath(name + ".bak"), file},
        {dir.filePath(name + ".ABCDEFG"), file},
        {dir.filePath(name + ".ABC-EF"), file},
        {dir.filePath(name + "xABCDEF"), file},
        {dir.filePath(QStringLiteral("PLAN.PNG.ABCDEF")), file},
        {dir.filePath(QStringLiteral("other.png.ABCDEF")), file},
        {outside.filePath(name + ".ABCDEF"), file},
        {dir.filePath(name + ".FOLDER"), [](const QString& p) { return QDir().mkdir(p); }},
        {dir.filePath(name + ".LINKED"), [&](const QString& p) { return QFile::link(target, p); }},
        {dir.filePath(name + ".NOBODY"),
         [&](const QString& p) {
             // Only root can give a file away.
             return file(p) && (::chown(QFile::encodeName(p).constData(), 65534, 65534) == 0 ||
                                !QFile::remove(p));
         }},
    };
    std::vector<QString> made;
    for (const Decoy& d : decoys)
        if (d.make(d.path)) made.push_back(d.path);
    EXPECT_EQ(RemoveLeftoverCopies(saved), 1);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(copy)));
    for (const QString& p : made)
        EXPECT_TRUE(QFileInfo::exists(p) || QFileInfo(p).isSymLink()) << p.toStdString();
    EXPECT_TRUE(QFileInfo::exists(target));
    EXPECT_EQ(ReadBytes(saved), before);
}

// A point, recording or configuration file of 2 GB of NUL bytes (a disk image restored
// over a job, say) is one bad line that is not held in memory: the load reports it and
// the process grows by far less than the file. A device in a file's place is not read.
TEST(HugeInput, IsReadInBoundedMemory) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.dat"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64{2} << 30));  // sparse: costs no disk
    }
    constexpr qint64 kBoundKb = 96 << 10;
    const std::string failures = InChild([&](ChildChecks& c) {
        const qint64 startKb = testing::ProcStatusKb("VmRSS:");
        RecordingSink sink;
        TKijunColl points(sink);
        c.Check(!points.Load(path), "the point file loaded");
        c.Check(
            sink.Texts() == QStringList{QStringLiteral("読込ｴﾗｰ\r\nﾌｧｲﾙ名：%1（1行目）").arg(path)},
            "boxes: " + sink.Texts().join('|').toStdString());
        TSokusenColl cuts(sink);
        c.Check(!cuts.Load(path) && cuts.Count() == 0, "the recording file loaded");
        // A device never ends: it is no point file.
        sink.entries.clear();
        c.Check(!points.Load(QStringLiteral("/dev/zero")), "/dev/zero loaded");
        c.Check(
            sink.Texts() == QStringList{QStringLiteral("ﾌｧｲﾙが読めません\r\nﾌｧｲﾙ名：/dev/zero")},
            "boxes: " + sink.Texts().join('|').toStdString());
        TJobSettings s;
        s.Load(path);
        c.Check(s.Port == QStringLiteral("COM1"), "settings read from NUL bytes");
        c.Check(!s.Store(path), "a huge file was written over");
        const qint64 peakKb = testing::ProcStatusKb("VmHWM:");
        c.Check(peakKb - startKb < kBoundKb,
                "memory grew by " + std::to_string(peakKb - startKb) + " kB");
    });
    EXPECT_EQ(failures, "");
    EXPECT_EQ(QFileInfo(path).size(), qint64{2} << 30);
}

}  // namespace
}  // namespace tidrun
