// tidrun-tool soundings WORKDIR: every recorded cut that has a depth, as UTF-8 CSV
// "X,Y,depth,line,cut,serial", from the recording file that Tidrun.CFG names and its
// depth companion.
#include <QDir>
#include <QFileInfo>

#include <cstdio>

#include "platform/messagesink.h"
#include "surveydata/config.h"
#include "surveydata/depthfile.h"
#include "surveydata/jobsettings.h"
#include "surveydata/sokusencoll.h"
#include "tools/commands.h"

namespace tidrun::tool {

int RunSoundings(const QStringList& args) {
    if (args.size() != 1) {
        std::fputs("usage: tidrun-tool soundings WORKDIR\n", stderr);
        return 2;
    }
    StderrSink sink;
    const QString workDir = QDir::cleanPath(args.front());
    if (!QFileInfo(workDir).isDir()) {
        sink.Show(MessageSink::Kind::Plain, QStringLiteral("作業フォルダが見つかりません"));
        return 1;
    }
    TJobSettings settings;
    const QString cfg = TidrunCfgPath(workDir);
    if (!settings.Load(cfg)) {
        sink.Error(QStringLiteral("設定ファイルが読めません\r\nﾌｧｲﾙ名：") + cfg);
        return 1;
    }
    const QString recording = settings.Resolve(settings.SokusenPath());
    if (settings.SokusenPath().isEmpty()) {
        sink.Error(QStringLiteral("収録ﾌｧｲﾙ名を入力して下さい"));
        return 1;
    }
    TSokusenColl cuts(sink);
    if (!cuts.Load(recording)) return 1;
    TDepthTable depths;
    bool hasDepths = false;
    const QString problem = LoadDepthsOf(recording, depths, hasDepths);
    if (!problem.isEmpty()) sink.Error(problem);
    // No companion: a job recorded without a sounder has no soundings. An unreadable one is
    // a failure; a line that could not be read leaves the depths before it.
    if (!hasDepths && !problem.isEmpty()) return 1;
    std::fputs("X,Y,depth,line,cut,serial\n", stdout);
    for (int i = 0; i < cuts.Count(); ++i) {
        const TSokusen& c = cuts.Item(i);
        const auto depth = depths.DepthOf(c.Serial);
        if (!depth) continue;
        // The line name is quoted as in the recording file (it holds no double quote).
        std::printf("%.3f,%.3f,%.2f,\"%s\",%d,%d\n", c.X, c.Y, static_cast<double>(*depth),
                    cuts.LineName(i).toUtf8().constData(), c.CutNo, c.Serial);
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("tidrun-tool soundings: cannot write the output\n", stderr);
        return 1;
    }
    return 0;
}

}  // namespace tidrun::tool
