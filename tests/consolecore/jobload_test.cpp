// The files of a job loaded as their settings name them, one open after another on the same
// collections, as the console reopens a job; the job's folder made ready or its problem said.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "console/jobload.h"
#include "platform/messagesink.h"
#include "surveydata/codec.h"
#include "surveydata/jobsettings.h"

namespace tidrun {
namespace {

struct Open {
    const char* what;
    const char* survey;      // the survey file named in the settings
    bool namesBuoyAndMarks;  // the buoy and mark files named at all
    bool loaded;
    QStringList reported;  // settings keys, in load order
    int sizes[5];          // reference, survey, recording, buoy, mark
};

TEST(JobLoad, LoadsWhatTheSettingsNameAndEmptiesWhatTheyNoLongerName) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDir d(dir.path());
    const std::pair<const char*, QStringList> files[] = {
        {"KIJUN.DAT", {QStringLiteral("基準1 -67895.365 3158.766 2.839")}},
        {"CHOSA.DAT", {QStringLiteral("A1 -68000 3000 1 0"), QStringLiteral("A2 -67000 4000 1 0")}},
        {"SETUHYO.DAT", {QStringLiteral("設標01 -67563.159 3512.585 灯浮標")}},
        {"SOKUSEN.DAT", {}},
        {"MARK.DAT", {QStringLiteral("-67500 3500 M1 1")}},
    };
    for (const auto& [name, lines] : files)
        ASSERT_TRUE(WriteCp932LinesAtomic(d.filePath(QLatin1String(name)), lines));

    const QStringList all = {"基準", "調査", "収録", "設標", "マーク"};
    const QStringList three = {"基準", "調査", "収録"};
    const Open opens[] = {
        {"every file", "CHOSA.DAT", true, true, all, {1, 2, 0, 1, 1}},
        {"no buoy or mark file any more", "CHOSA.DAT", false, true, three, {1, 2, 0, 0, 0}},
        {"a survey file that is not there", "NONE.DAT", true, false, all, {1, 0, 0, 1, 1}},
    };
    RecordingSink sink;
    TKijunColl kijun(sink);
    TTansaColl tansa(sink);
    TSokusenColl sokusen(sink);
    TIjoColl ijo(sink);
    TMisokuColl misoku(sink);
    for (const Open& o : opens) {
        SCOPED_TRACE(o.what);
        TJobSettings settings;
        settings.KijunFile = d.filePath("KIJUN.DAT");
        settings.TansaFile = d.filePath(QLatin1String(o.survey));
        settings.SokusenFile = d.filePath("SOKUSEN.DAT");
        settings.IjoFile = o.namesBuoyAndMarks ? d.filePath("SETUHYO.DAT") : QString();
        settings.MisokuFile = o.namesBuoyAndMarks ? d.filePath("MARK.DAT") : QString();
        QStringList reported;
        const bool loaded = LoadJobFiles(
            settings, {kijun, tansa, sokusen, ijo, misoku},
            [&](const char* key, const TPointColl&, const QString&) { reported << key; });
        EXPECT_EQ(loaded, o.loaded);
        EXPECT_EQ(reported, o.reported);
        const int sizes[5] = {kijun.Count(), tansa.Count(), sokusen.Count(), ijo.Count(),
                              misoku.Count()};
        for (int i = 0; i < 5; ++i) EXPECT_EQ(sizes[i], o.sizes[i]) << "collection " << i;
    }
    EXPECT_FALSE(sink.entries.empty());  // the missing survey file was said
}

struct FolderCase {
    const char* what;
    const char* work;     // the folder chosen, in the temporary folder
    QStringList present;  // the job's folders there already
    const char* blocked;  // a plain file stands where this folder goes (none: nullptr)
    QString problem;      // empty: the job may open
};

TEST(JobFolder, IsMadeReadyOrSaysTheFirstFolderThatCannotBeHad) {
    const FolderCase cases[] = {
        {"ready", "job", {}, nullptr, {}},
        {"ready with its folders", "job", {"Log", "Calib"}, nullptr, {}},
        {"folder not there",
         "nicht-da",
         {},
         nullptr,
         QStringLiteral("作業フォルダが見つかりません")},
        {"log folder blocked",
         "job",
         {},
         "Log",
         QStringLiteral("ログ出力用フォルダが作成できません")},
        {"calibration folder blocked",
         "job",
         {"Log"},
         "Calib",
         QStringLiteral("キャリブレーション出力用フォルダが作成できません")},
    };
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkdir("job"));
        const TJobFolder folder = JobFolderIn(QDir(dir.path()).filePath(QLatin1String(c.work)));
        for (const QString& sub : c.present) ASSERT_TRUE(QDir(folder.work).mkdir(sub));
        if (c.blocked) {
            QFile block(QDir(folder.work).filePath(QLatin1String(c.blocked)));
            ASSERT_TRUE(block.open(QIODevice::WriteOnly));
        }
        EXPECT_EQ(PrepareJobFolder(folder), c.problem);
        if (c.problem.isEmpty()) {
            EXPECT_TRUE(QFileInfo(folder.log).isDir());
            EXPECT_TRUE(QFileInfo(folder.calib).isDir());
        }
    }
}

}  // namespace
}  // namespace tidrun
