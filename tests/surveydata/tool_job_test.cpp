#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "surveydata/depthfile.h"
#include "surveydata/jobsettings.h"
#include "surveydata/sokusencoll.h"

#include "testfiles.h"

namespace tidrun {
namespace {

using testing::WriteSjis;

struct JobRun {
    int status;
    QString out, err;
};

JobRun RunJob(const QString& workDir) {
    QProcess p;
    p.start(QStringLiteral(TIDRUN_TOOL_PATH), {"job", workDir});
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

TEST(ToolJob, LoadsTheFilesTheSettingsName) {
    QTemporaryDir dir;
    const QString work = dir.path();
    WriteSjis(dir.filePath("基準.dat"), QStringLiteral("K1 1 2 3\r\nK2 4 5\r\n"));
    WriteSjis(dir.filePath("area.dat"), "a 0 0 1 0\r\nb 1 1 1 0\r\nc 2 0 1 0\r\n");
    WriteSjis(dir.filePath("rec.dat"), "");
    WriteSjis(dir.filePath("mark.dat"), QStringLiteral("1 2 \"a b\" 3\r\n"));
    WriteSjis(dir.filePath("Tidrun.CFG"),
              QStringLiteral("[設定]\r\n基準=%1\r\n調査=area.dat\r\n収録= rec.dat \r\n"
                             "設標=\r\nマーク=mark.dat\r\n")
                  .arg(dir.filePath("基準.dat")));
    JobRun r = RunJob(work);
    EXPECT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, QStringLiteral("基準\t2\t%1\n調査\t3\t%2\n収録\t0\t%3\nマーク\t1\t%4\n")
                         .arg(dir.filePath("基準.dat"), dir.filePath("area.dat"),
                              dir.filePath("rec.dat"), dir.filePath("mark.dat")));

    // A bad line and a missing buoy file: every error on its own line, status 1.
    WriteSjis(dir.filePath("mark.dat"), "1 2 a 3\r\n1 x b 3\r\n");
    WriteSjis(dir.filePath("Tidrun.CFG"),
              QStringLiteral("[設定]\r\n基準=%1\r\n調査=area.dat\r\n収録=rec.dat\r\n"
                             "設標=none.dat\r\nマーク=mark.dat\r\n")
                  .arg(dir.filePath("基準.dat")));
    r = RunJob(work);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("ﾌｧｲﾙが読めません / ﾌｧｲﾙ名：%1\n"
                                    "読込ｴﾗｰ / ﾌｧｲﾙ名：%2（2行目）\n")
                         .arg(dir.filePath("none.dat"), dir.filePath("mark.dat")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("設標\t0\t") + dir.filePath("none.dat") + "\n"));
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("マーク\t1\t") + dir.filePath("mark.dat") + "\n"));

    EXPECT_EQ(RunJob(dir.filePath("nowhere")).status, 1);
}

// A job moved from Windows names its files with backslashes and in any letter case, its
// settings file too (TIDRUN.CFG); the tool finds them as the console does (through the same
// resolution, "sub/.." included, which goes where the symbolic link leads), and leaves the
// settings as written.
TEST(ToolJob, FindsFilesAsTheConsoleDoes) {
    QTemporaryDir dir, elsewhere;
    const QString work = dir.path();
    ASSERT_TRUE(QDir(work).mkpath("data/Sub"));
    ASSERT_TRUE(QDir(elsewhere.path()).mkpath("deep/dir"));
    ASSERT_TRUE(QFile::link(elsewhere.filePath("deep/dir"), dir.filePath("link")));
    WriteSjis(dir.filePath("data/kijun.dat"), "K1 1 2\r\n");
    WriteSjis(dir.filePath("data/Sub/Area.dat"), "a 0 0 1 0\r\nb 1 1 1 0\r\n");
    WriteSjis(dir.filePath("rec.dat"), "");
    WriteSjis(dir.filePath("m.dat"), "1 2 a 1\r\n");  // what a cleaned path would load
    WriteSjis(elsewhere.filePath("deep/m.dat"), "1 2 a 1\r\n3 4 b 2\r\n");
    const QByteArray cfg = EncodeCp932(
        QStringLiteral("[設定]\r\n基準=DATA\\KIJUN.DAT\r\n調査=.\\data\\sub\\AREA.DAT\r\n"
                       "収録=REC.dat\r\nマーク=link/../m.dat\r\n"));
    testing::WriteBytes(dir.filePath("TIDRUN.CFG"), cfg);
    TJobSettings settings;
    ASSERT_TRUE(settings.Load(dir.filePath("TIDRUN.CFG")));
    const JobRun r = RunJob(work);
    EXPECT_EQ(r.status, 0) << qPrintable(r.err);
    EXPECT_EQ(r.out, QStringLiteral("基準\t1\t%1\n調査\t2\t%2\n収録\t0\t%3\nマーク\t2\t%4\n")
                         .arg(dir.filePath("data/kijun.dat"), dir.filePath("./data/Sub/Area.dat"),
                              dir.filePath("rec.dat"), dir.filePath("link/../m.dat")));
    EXPECT_EQ(settings.Resolve(settings.MisokuPath()), dir.filePath("link/../m.dat"));
    EXPECT_EQ(testing::ReadBytes(dir.filePath("TIDRUN.CFG")), cfg);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("Tidrun.CFG")));
}

// A Tidrun.CFG that cannot be read (a folder, a loop of symbolic links) is named.
TEST(ToolJob, UnreadableSettingsAreNamed) {
    for (const bool loop : {false, true}) {
        QTemporaryDir dir;
        const QString cfg = dir.filePath("Tidrun.CFG");
        ASSERT_TRUE(loop ? QFile::link(cfg, cfg) : QDir().mkdir(cfg));
        const JobRun r = RunJob(dir.path());
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, QStringLiteral("ﾌｧｲﾙが読めません / ﾌｧｲﾙ名：") + cfg + "\n");
        EXPECT_EQ(r.out, "");
    }
}

TEST(ToolSoundings, CutsWithADepthJoinedBySerial) {
    QTemporaryDir dir;
    WriteSjis(dir.filePath("Tidrun.CFG"), QStringLiteral("[設定]\r\n収録=収録.txt\r\n"));
    const QString rec = dir.filePath(QStringLiteral("収録.txt"));
    WriteSjis(rec, "");
    RecordingSink sink;
    TSokusenColl cuts(sink);
    ASSERT_TRUE(cuts.Load(rec));
    cuts.BeginLine();
    TDepthWriter depth;
    ASSERT_TRUE(depth.Open(rec));
    const double depths[] = {8.456, -1, 9.1};
    for (int i = 0; i < 3; ++i) {
        TCutInput c;
        c.LineName = QStringLiteral("測線 1");
        c.X = -67600.5 + i;
        c.Y = 3300.25;
        c.Time = QDateTime(QDate(2026, 12, 10), QTime(9, 0, i));
        ASSERT_GE(cuts.AddCut(c), 0);
        TDepthRow row{cuts.Serial(), cuts.LineNo(), cuts.CutNo(), c.LineName, c.X, c.Y, {}, 0,
                      c.Time,        c.Time};
        if (depths[i] >= 0) row.depth = depths[i];
        ASSERT_TRUE(depth.Append(row));
    }
    cuts.EndLine();
    depth.Close();
    QProcess p;
    p.start(QStringLiteral(TIDRUN_TOOL_PATH), {"soundings", dir.path()});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()),
              QStringLiteral("X,Y,depth,line,cut,serial\n"
                             "-67600.500,3300.250,8.46,\"測線 1\",1,1\n"
                             "-67598.500,3300.250,9.10,\"測線 1\",3,3\n"));
}

}  // namespace
}  // namespace tidrun
