#include "console/jobload.h"

#include <QDir>
#include <QFileInfo>

#include "planview/cutstore.h"
#include "platform/messagesink.h"
#include "surveydata/codec.h"
#include "surveydata/config.h"
#include "surveydata/depthfile.h"

namespace tidrun {

bool LoadJobFiles(const TJobSettings& settings, const TJobFiles& files,
                  const JobFileReport& report) {
    auto resolve = [&settings](const QString& path) { return settings.Resolve(path); };
    struct Entry {
        const char* key;
        TPointColl* coll;
        QString path;
        bool always;
    };
    const Entry entries[] = {
        {"基準", &files.kijun, resolve(settings.KijunPath()), true},
        {"調査", &files.tansa, resolve(settings.TansaPath()), true},
        {"収録", &files.sokusen, resolve(settings.SokusenPath()), true},
        {"設標", &files.ijo, resolve(settings.IjoPath()), false},
        {"マーク", &files.misoku, resolve(settings.MisokuPath()), false},
    };
    bool allLoaded = true;
    for (const Entry& e : entries) {
        if (!e.always && e.path.isEmpty()) {
            e.coll->Clear();  // a file the settings no longer name leaves nothing behind
            continue;
        }
        const bool ok = e.coll->Load(e.path);
        allLoaded = allLoaded && ok;
        if (report) report(e.key, *e.coll, e.path);
    }
    return allLoaded;
}

std::shared_ptr<TCutStore> LoadCutStore(const TJobSettings& settings, const TSokusenColl& sokusen,
                                        MessageSink& sink, bool* depthsRead,
                                        TDepthCompanion* companion) {
    if (depthsRead) *depthsRead = true;
    if (companion) *companion = TDepthCompanion();
    auto store = std::make_shared<TCutStore>();
    store->SyncFrom(sokusen);
    if (settings.SokusenPath().isEmpty()) return store;
    TDepthCompanion read = ReadDepthCompanion(settings.Resolve(settings.SokusenPath()));
    const QString problem = DepthLoadProblem(read);
    if (!problem.isEmpty()) sink.Error(problem);
    if (depthsRead) *depthsRead = problem.isEmpty();
    if (read.load == DepthLoad::Ok) store->JoinDepths(sokusen, read.table);
    if (companion) *companion = std::move(read);
    return store;
}

TJobFolder JobFolderIn(const QString& workDir) {
    const QString work = QDir::cleanPath(workDir);
    return {work, TidrunCfgPath(work), QDir(work).filePath(QStringLiteral("Calib")),
            QDir(work).filePath(QStringLiteral("Log"))};
}

QString PrepareJobFolder(const TJobFolder& folder) {
    if (!QFileInfo(folder.work).isDir()) return QStringLiteral("作業フォルダが見つかりません");
    if (!QFileInfo(folder.log).isDir() && !QDir().mkdir(folder.log))
        return QStringLiteral("ログ出力用フォルダが作成できません");
    if (!QFileInfo(folder.calib).isDir() && !QDir().mkdir(folder.calib))
        return QStringLiteral("キャリブレーション出力用フォルダが作成できません");
    RemoveLeftoverCopies(folder.cfg);
    return {};
}

}  // namespace tidrun
