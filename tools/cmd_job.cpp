// tidrun-tool job WORKDIR: loads the files a work folder's Tidrun.CFG names, as the console
// does at open, and prints one line per file: settings key, records loaded, path.
#include <QDir>
#include <QFileInfo>

#include <cstdio>

#include "platform/messagesink.h"
#include "tools/commands.h"
#include "tools/jobload.h"

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
    TLoadedJob job(sink);
    const bool allLoaded =
        LoadJob(workDir, job, [](const char* key, const TPointColl& coll, const QString& path) {
            std::fflush(stderr);
            std::printf("%s\t%d\t%s\n", key, coll.Count(), path.toUtf8().constData());
            std::fflush(stdout);
        });
    return allLoaded ? 0 : 1;
}

}  // namespace tidrun::tool
