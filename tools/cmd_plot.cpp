// tidrun-tool plot WORKDIR OUT.png|OUT.pdf [--size WxH] [--depth]: paints the plan a new map
// window of the job shows (origin extent, the job's map colour, every overlay, recorded
// lines finished) through the map window's own painting function, to PNG or PDF. --depth
// colours the cuts by the depths of the recording's companion file, with the legend.
#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>

#include <cstdio>
#include <memory>

#include "console/jobload.h"
#include "planview/chartview.h"
#include "planview/cutstore.h"
#include "planview/paintplan.h"
#include "planview/planscene.h"
#include "platform/messagesink.h"
#include "surveydata/codec.h"
#include "tools/commands.h"
#include "tools/jobload.h"

namespace tidrun::tool {

namespace {

int Usage() {
    std::fputs("usage: tidrun-tool plot WORKDIR OUT.png|OUT.pdf [--size WxH] [--depth]\n", stderr);
    return 2;
}

}  // namespace

int RunPlot(const QStringList& argsIn) {
    QStringList args = argsIn;
    QSize size(1920, 1080);
    const int sizeAt = args.indexOf(QStringLiteral("--size"));
    if (sizeAt >= 0) {
        if (sizeAt + 1 >= args.size()) return Usage();
        static const QRegularExpression re(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
        const auto m = re.match(args[sizeAt + 1]);
        if (!m.hasMatch()) return Usage();
        size = QSize(m.captured(1).toInt(), m.captured(2).toInt());
        if (size.width() < 16 || size.height() < 16 || size.width() > 20000 ||
            size.height() > 20000)
            return Usage();
        args.remove(sizeAt, 2);
    }
    const bool byDepth = args.removeAll(QStringLiteral("--depth")) > 0;
    if (args.size() != 2) return Usage();
    const QString workDir = args[0], out = args[1];
    const QString ext = QFileInfo(out).suffix().toLower();
    if (ext != QLatin1String("png") && ext != QLatin1String("pdf")) return Usage();

    StderrSink sink;
    if (!QFileInfo(workDir).isDir()) {
        sink.Show(MessageSink::Kind::Plain, QStringLiteral("作業フォルダが見つかりません"));
        return 1;
    }
    TLoadedJob job(sink);
    const bool allLoaded = LoadJob(workDir, job, {});
    std::fflush(stderr);

    bool depthsRead = true;
    TPlanSources sources{&job.kijun,
                         &job.tansa,
                         &job.ijo,
                         &job.misoku,
                         &job.sokusen,
                         byDepth ? LoadCutStore(job.settings, job.sokusen, sink, &depthsRead)
                                 : std::make_shared<TCutStore>()};
    TPlanScene scene([] { return std::int64_t(0); });
    TChartView view;
    view.SetWidgetSize(size);
    scene.Build(sources, false, view);
    if (byDepth) scene.SetDepthColouring(true, std::nullopt);
    TPlanPaintOptions options;
    options.Wall = MapColour(job.settings.MapColor);

    // Drawn in memory, then written as the job's files are: whole or not at all, so that a
    // failed write (which the PDF writer would not report) leaves no cut-short file.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    bool written = buffer.open(QIODevice::WriteOnly);
    if (written && ext == QLatin1String("png")) {
        QImage image(size, QImage::Format_RGB32);
        {
            QPainter p(&image);
            PaintPlan(p, view, scene, options);
        }
        written = image.save(&buffer, "PNG");
    } else if (written) {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(size) * 25.4 / 96, QPageSize::Millimeter));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(QStringLiteral("平面図"));
        QPainter p;
        written = p.begin(&pdf);
        if (written) {
            options.Draw = TPlanPaintOptions::Mode::Exact;
            PaintPlan(p, view, scene, options);
            written = p.end();
        }
    }
    written = written && WriteFileReplacing(out, bytes) == WriteResult::Ok;
    if (!written) {
        std::fprintf(stderr, "cannot write %s\n", out.toUtf8().constData());
        return 1;
    }
    return allLoaded && depthsRead ? 0 : 1;
}

}  // namespace tidrun::tool
