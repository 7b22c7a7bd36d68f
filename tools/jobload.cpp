#include "tools/jobload.h"

#include <QDir>

#include "surveydata/config.h"

namespace tidrun::tool {

bool LoadJob(const QString& workDir, TLoadedJob& job,
             const std::function<void(const char*, const TPointColl&, const QString&)>& report) {
    const QString cfgPath = TidrunCfgPath(workDir);
    if (!job.settings.Load(cfgPath)) {
        job.sink.Error(CfgUnreadableText(cfgPath));
        return false;
    }
    // Paths are found exactly as the console finds them.
    auto resolve = [&job](const QString& path) { return job.settings.Resolve(path); };
    struct Entry {
        const char* key;
        TPointColl* coll;
        QString path;
        bool always;
    };
    const Entry entries[] = {
        {"基準", &job.kijun, resolve(job.settings.KijunPath()), true},
        {"調査", &job.tansa, resolve(job.settings.TansaPath()), true},
        {"収録", &job.sokusen, resolve(job.settings.SokusenPath()), true},
        {"設標", &job.ijo, resolve(job.settings.IjoPath()), false},
        {"マーク", &job.misoku, resolve(job.settings.MisokuPath()), false},
    };
    bool allLoaded = true;
    for (const Entry& e : entries) {
        if (!e.always && e.path.isEmpty()) continue;
        const bool ok = e.coll->Load(e.path);
        allLoaded = allLoaded && ok;
        if (report) report(e.key, *e.coll, e.path);
    }
    return allLoaded;
}

}  // namespace tidrun::tool
