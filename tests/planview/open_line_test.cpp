// The line being recorded keeps the picture of its finished runs in the layer cache while
// cuts come: what the cache shows is what a fresh cache and the exact painter show, also
// once the line takes another colour.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/planview/planjob.h"

namespace tidrun {
namespace {

TEST(PaintPlan, TheRecordedLineKeepsItsFinishedRunsAsCutsCome) {
    Job job;
    const double corners[][2] = {{4980, 1930}, {5250, 1930}, {5250, 2070}, {4980, 2070}};
    for (int k = 0; k < 5; ++k)
        job.tansa.Add(corners[k % 4][0], corners[k % 4][1], 1, 0, QStringLiteral("A%1").arg(k));
    TPlanScene scene([] { return 0; });
    TChartView view;
    view.Resize(QSize(640, 480));
    scene.Build(job.Sources(), true, view);
    scene.CreateBoat();
    TPlanLayerCache kept;  // painted after every few cuts, as the screen is
    const QImage bare = Paint(view, TPlanScene({}), TPlanPaintOptions::Mode::Exact);
    auto check = [&](const char* what) {
        SCOPED_TRACE(what);
        TPlanLayerCache fresh;
        const QImage shown = Paint(view, scene, TPlanPaintOptions::Mode::Fast, &kept);
        EXPECT_EQ(shown, Paint(view, scene, TPlanPaintOptions::Mode::Fast, &fresh));
        const QImage exact = Paint(view, scene, TPlanPaintOptions::Mode::Exact);
        EXPECT_EQ(FarPixels(shown, exact, bare), 0);
        EXPECT_EQ(FarPixels(exact, shown, bare), 0);
    };
    // A line that swings back over its own cut numbers, across three runs' ends.
    for (int i = 0; i < 700; ++i) {
        job.AddCut(QStringLiteral("L"), 5000 + 60 * std::sin(i * 0.03), 2000 + i * 0.3, i + 1);
        scene.AddCut(i);
        if (i == 0) scene.OpenLine()->Marks.Visible = true;
        if (i % 7 == 0) Paint(view, scene, TPlanPaintOptions::Mode::Fast, &kept);
        if (i == 100 || i == 256 || i == 257 || i == 520 || i == 699)
            check(QByteArray::number(i).constData());
    }
    scene.OpenLine()->Colour = kClRed;
    check("the line in another colour");
    EXPECT_EQ(scene.OpenLine()->SettledCuts(), 512);
}

}  // namespace
}  // namespace tidrun
