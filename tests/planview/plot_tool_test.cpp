// tidrun-tool plot on the demo job: the real program, real files, PNG and PDF out.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <csignal>

#include "platform/messagesink.h"
#include "surveydata/codec.h"
#include "surveydata/depthfile.h"
#include "surveydata/sokusencoll.h"

namespace {

int RunPlot(const QStringList& args, QByteArray* err = nullptr) {
    QProcess p;
    p.start(QStringLiteral(TIDRUN_TOOL_PATH), QStringList{QStringLiteral("plot")} + args);
    if (!p.waitForFinished(60000)) return -1;
    if (err) *err = p.readAllStandardError();
    return p.exitCode();
}

TEST(PlotTool, DrawsTheDemoJobToPngAndPdf) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString demo = QStringLiteral(TIDRUN_SOURCE_DIR "/examples/demo");
    const QString png = dir.filePath(QStringLiteral("plan.png"));
    ASSERT_EQ(RunPlot({demo, png, QStringLiteral("--size"), QStringLiteral("800x600")}), 0);
    const QImage img(png);
    ASSERT_EQ(img.size(), QSize(800, 600));
    int wall = 0, area = 0, buoys = 0, arrow = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y) & 0xFFFFFF;
            wall += c == 0x008080;
            area += c == 0x00FF00;  // area outlines and buoy fills
            arrow += c == 0xFFFF00;
            buoys += c == 0x000000;
        }
    EXPECT_GT(wall, 800 * 600 / 2);
    EXPECT_GT(area, 500);
    EXPECT_GT(arrow, 100);  // the north arrow
    EXPECT_GT(buoys, 50);   // symbol outlines and axis text

    const QString pdf = dir.filePath(QStringLiteral("plan.pdf"));
    ASSERT_EQ(RunPlot({demo, pdf}), 0);
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5) == "%PDF-");
    EXPECT_GT(f.size(), 2000);

    struct Bad {
        QStringList args;
        int status;
    } bad[] = {
        {{demo, dir.filePath(QStringLiteral("plan.jpg"))}, 2},
        {{demo, png, QStringLiteral("--size"), QStringLiteral("800")}, 2},
        {{demo}, 2},
        {{dir.filePath(QStringLiteral("missing")), png}, 1},
    };
    for (const Bad& b : bad) {
        QByteArray err;
        EXPECT_EQ(RunPlot(b.args, &err), b.status) << b.args.join(' ').toStdString();
        EXPECT_FALSE(err.isEmpty());
    }

    // A disk that fills up while the file is written (a file-size limit of 4 KB stands in
    // for it): an error, and neither a cut-short file nor one in place of the old one.
    for (const char* name : {"full.png", "full.pdf"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QProcess p;
        p.setChildProcessModifier([] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit r{4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &r);
        });
        p.start(QStringLiteral(TIDRUN_TOOL_PATH), {QStringLiteral("plot"), demo, path});
        ASSERT_TRUE(p.waitForFinished(60000)) << name;
        EXPECT_EQ(p.exitCode(), 1) << name;
        EXPECT_TRUE(p.readAllStandardError().contains("cannot write")) << name;
        EXPECT_FALSE(QFile::exists(path)) << name;
    }
}

// --depth: the cuts of the companion file in the ramp's colours, with the legend; without
// it, or for a cut without a depth, the plan is drawn as always.
TEST(PlotTool, ColoursCutsByDepthWithTheLegend) {
    using namespace tidrun;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // The demo job, its recording file filled with one line.
    const QDir demo(QStringLiteral(TIDRUN_SOURCE_DIR "/examples/demo"));
    for (const QString& name : demo.entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(demo.filePath(name), dir.filePath(name)));
    const QString rec = dir.filePath(QStringLiteral("SOKUSEN.DAT"));
    NullSink sink;
    TSokusenColl cuts(sink);
    ASSERT_TRUE(cuts.Load(rec));
    cuts.BeginLine();
    TDepthWriter depth;
    ASSERT_TRUE(depth.Open(rec));
    for (int i = 0; i < 40; ++i) {
        TCutInput c;
        c.LineName = QStringLiteral("測線 1");
        c.X = -67600 + 10 * i;
        c.Y = 3500 + 5 * (i % 7);
        c.Time = QDateTime(QDate(2026, 12, 10), QTime(9, 0, i));
        ASSERT_GE(cuts.AddCut(c), 0);
        TDepthRow row{cuts.Serial(), cuts.LineNo(), cuts.CutNo(), c.LineName, c.X, c.Y, {}, 0,
                      c.Time,        c.Time};
        if (i % 10 != 5) row.depth = 3.0 + 0.2 * i;
        ASSERT_TRUE(depth.Append(row));
    }
    cuts.EndLine();
    depth.Close();

    const QString png = dir.filePath(QStringLiteral("plan.png"));
    for (const bool byDepth : {false, true}) {
        QStringList args{dir.path(), png, QStringLiteral("--size"), QStringLiteral("640x480")};
        if (byDepth) args << QStringLiteral("--depth");
        QByteArray err;
        ASSERT_EQ(RunPlot(args, &err), 0) << err.toStdString();
        const QImage img(png);
        int deep = 0, shallow = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                deep += (img.pixel(x, y) & 0xFFFFFF) == 0x0d0887;  // the ramp's two ends
                shallow += (img.pixel(x, y) & 0xFFFFFF) == 0xf0f921;
            }
        EXPECT_EQ(deep > 0 && shallow > 0, byDepth);
    }
}

}  // namespace
