// tidrun-tool export WORKDIR OUT [--what KINDS] [--wgs84] [--jgd2000]: the job's kinds through
// GDAL to the format of OUT's extension, with progress on standard error every second.
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>

#include "export/jobexport.h"
#include "platform/messagesink.h"
#include "tools/commands.h"
#include "tools/jobload.h"

namespace tidrun::tool {

namespace {

int Usage() {
    std::fputs(
        "usage: tidrun-tool export WORKDIR OUT [--what lines,cuts,soundings,points,area,marks]"
        " [--wgs84] [--jgd2000]\n"
        "  OUT: .geojson .gpkg .shp .kml .gpx .dxf .csv\n",
        stderr);
    return 2;
}

}  // namespace

int RunExport(const QStringList& args) {
    QStringList positional;
    TExportOptions options;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--wgs84")) {
            options.wgs84 = true;
        } else if (a == QLatin1String("--jgd2000")) {
            options.jgd2000 = true;
        } else if (a == QLatin1String("--what")) {
            if (++i >= args.size() || !ParseExportKinds(args[i], options.kinds)) return Usage();
        } else if (a.startsWith(QLatin1String("--"))) {
            return Usage();
        } else {
            positional << a;
        }
    }
    if (positional.size() != 2) return Usage();
    StderrSink sink;
    const QString workDir = QDir::cleanPath(positional[0]);
    const QString out = positional[1];
    if (!QFileInfo(workDir).isDir()) {
        sink.Show(MessageSink::Kind::Plain, QStringLiteral("作業フォルダが見つかりません"));
        return 1;
    }
    if (ExportFormatOf(out) == ExportFormat::Unknown) {
        sink.Error(QStringLiteral("出力形式が分かりません（拡張子 .%1）\r\nﾌｧｲﾙ名：")
                       .arg(ExportExtensions().join(QStringLiteral(" ."))) +
                   out);
        return 2;
    }
    TLoadedJob job(sink);
    if (!LoadJob(workDir, job, {})) return 1;  // a job not read whole is not handed on
    TDepthTable depths;
    bool hasDepths = false;
    if (!job.settings.SokusenPath().isEmpty()) {
        const QString problem =
            LoadDepthsOf(job.settings.Resolve(job.settings.SokusenPath()), depths, hasDepths);
        if (!problem.isEmpty()) sink.Error(problem);
    }
    QElapsedTimer clock;
    clock.start();
    qint64 lastReport = 0;
    options.progress = [&](std::int64_t done, std::int64_t total) {
        if (clock.elapsed() - lastReport < 1000) return;
        lastReport = clock.elapsed();
        std::fprintf(stderr, "エクスポート中 %lld / %lld (%d%%)\n", static_cast<long long>(done),
                     static_cast<long long>(total),
                     total > 0 ? static_cast<int>(done * 100 / total) : 100);
    };
    const TExportSource source{job.settings,
                               job.kijun,
                               job.tansa,
                               job.sokusen,
                               job.ijo,
                               job.misoku,
                               hasDepths ? &depths : nullptr};
    const TExportResult result = ExportJob(source, out, options);
    if (!result.ok) {
        sink.Error(result.error);
        return 1;
    }
    for (const QString& f : result.files) std::printf("%s\n", f.toUtf8().constData());
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fputs("tidrun-tool export: cannot write the output\n", stderr);
        return 1;
    }
    return 0;
}

}  // namespace tidrun::tool
