// tidrun-tool job WORKDIR: loads the files a work folder's Tidrun.CFG names, as the console
// does at open, and prints one line per file: settings key, records loaded, path.
#include <QDir>
#include <QFileInfo>

#include <cstdio>

#include "platform/messagesink.h"
#include "surveydata/config.h"
#include "surveydata/jobsettings.h"
#include "surveydata/pointcoll.h"
#include "surveydata/sokusencoll.h"
#include "tools/commands.h"

namespace tidrun::tool {

int RunJob(const QStringList& args) {
    if (args.size() != 1) {
        std::fputs("usage: tidrun-tool job WORKDIR\n", stderr);
        return 2;
    }
    StderrSink sink;
    const QString workDir = QDir::cleanPath(args.front());  // as the console takes its choice
    if (!QFileInfo(workDir).isDir()) {
        sink.Show(MessageSink::Kind::Plain, QStringLiteral("作業フォルダが見つかりません"));
        return 1;
    }
    TJobSettings settings;
    const QString cfgPath = TidrunCfgPath(workDir);
    if (!settings.Load(cfgPath)) {
        sink.Error(QStringLiteral("ﾌｧｲﾙが読めません\r\nﾌｧｲﾙ名：") + cfgPath);
        return 1;
    }
    // Paths are found exactly as the console finds them.
    auto resolve = [&settings](const QString& path) { return settings.Resolve(path); };

    TKijunColl kijun(sink);
    TTansaColl tansa(sink);
    TSokusenColl sokusen(sink);
    TIjoColl ijo(sink);
    TMisokuColl misoku(sink);
    struct Entry {
        const char* key;
        TPointColl* coll;
        QString path;
        bool always;
    };
    const Entry entries[] = {
        {"基準", &kijun, resolve(settings.KijunPath()), true},
        {"調査", &tansa, resolve(settings.TansaPath()), true},
        {"収録", &sokusen, resolve(settings.SokusenPath()), true},
        {"設標", &ijo, resolve(settings.IjoPath()), false},
        {"マーク", &misoku, resolve(settings.MisokuPath()), false},
    };
    bool allLoaded = true;
    for (const Entry& e : entries) {
        if (!e.always && e.path.isEmpty()) continue;
        const bool ok = e.coll->Load(e.path);
        allLoaded = allLoaded && ok;
        std::fflush(stderr);
        std::printf("%s\t%d\t%s\n", e.key, e.coll->Count(), e.path.toUtf8().constData());
        std::fflush(stdout);
    }
    return allLoaded ? 0 : 1;
}

}  // namespace tidrun::tool
