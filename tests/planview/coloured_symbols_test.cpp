// A recorded line whose cuts are coloured by their depths is stamped by
// the fast canvas cut by cut as QPainter draws it, whatever the line's symbol: the 7 x 7
// diagonal cross is stamped by its shape, every other symbol from its sprite.
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

#include "planview/chartview.h"
#include "planview/cutstore.h"
#include "planview/paintplan.h"
#include "planview/planraster.h"
#include "planview/series.h"

namespace tidrun {
namespace {

TEST(RasterCanvas, ColouredCutsStampEverySymbolAsQPainterDoes) {
    TCutStore cuts;
    for (int i = 0; i < 2200; ++i)  // a zigzag over the view, out past its right edge
        cuts.Append(45 + 30 * std::sin(i * 0.02), -5 + i * 0.06, i == 0);
    TChartView view;
    view.SetPlotRect(QRect(0, 0, 120, 90));
    view.SetAxes({0, 120, 0, 90});
    struct Case {
        TSymbolStyle style;
        int size;
    } cases[] = {{TSymbolStyle::DiagCross, 3}, {TSymbolStyle::DiagCross, 2},
                 {TSymbolStyle::Cross, 3},     {TSymbolStyle::Square, 3},
                 {TSymbolStyle::Circle, 2},    {TSymbolStyle::Triangle, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.style) * 10 + c.size);
        TLineLineSeries line(0, cuts, nullptr);
        line.SetCount(cuts.Count());
        line.Symbol = {true, c.style, c.size, c.size, kClBlack, kClDefault};
        TDepthColours depths;  // a step of the ramp for two cuts in three
        for (int l = 1; l <= kDepthLevels; ++l) depths.palette[l] = TColour(0x30205u * unsigned(l));
        for (int i = 0; i < line.Count(); ++i)
            depths.levels.push_back(std::uint8_t(i % 3 ? 1 + i % kDepthLevels : 0));
        line.SetDepthColours(&depths);
        QImage exact(120, 90, QImage::Format_RGB32);
        exact.fill(Qt::black);
        QImage fast = exact;
        {
            QPainter p(&exact);
            TPainterCanvas painted(p);
            line.Draw(view, painted);
        }
        TRasterCanvas raster(fast, fast.rect(), QFont());
        raster.DrawSeries(line, view);
        raster.Flush();
        EXPECT_EQ(fast, exact);
    }
}

}  // namespace
}  // namespace tidrun
