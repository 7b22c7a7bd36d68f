#include "console/jobload.h"

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

}  // namespace tidrun
