#include "planview/planpainter.h"

#include <QFontMetrics>

#include "planview/planscene.h"

namespace tidrun {

void TPlanPainter::PaintBase(QPainter& painter, const TChartView& view,
                             const TPlanPaintOptions& options) {
    const QRect all(QPoint(0, 0), view.WidgetSize());
    const QRect plot = view.PlotRect();
    painter.fillRect(all, QColor(0xF0, 0xF0, 0xF0));
    painter.fillRect(plot, options.Wall);
    if (options.Axes) {
        painter.setFont(view.LabelFont());
        const QFontMetrics fm(view.LabelFont());
        QPen grid(QColor(0x80, 0x80, 0x80), 0, Qt::DotLine);
        QPen black(Qt::black, 0);
        for (const TAxisTick& t : view.HorizontalTicks()) {
            const int x = qRound(t.Pixel);
            if (x < plot.left() || x > plot.right()) continue;
            if (t.Major) {
                painter.setPen(grid);
                painter.drawLine(x, plot.top(), x, plot.bottom());
                painter.setPen(black);
                painter.drawLine(x, plot.bottom() + 1, x, plot.bottom() + 4);
                const int w = fm.horizontalAdvance(t.Label);
                painter.drawText(x - w / 2, plot.bottom() + 6 + fm.ascent(), t.Label);
            } else {
                painter.setPen(black);
                painter.drawLine(x, plot.bottom() + 1, x, plot.bottom() + 3);
            }
        }
        for (const TAxisTick& t : view.VerticalTicks()) {
            const int y = qRound(t.Pixel);
            if (y < plot.top() || y > plot.bottom()) continue;
            if (t.Major) {
                painter.setPen(grid);
                painter.drawLine(plot.left(), y, plot.right(), y);
                painter.setPen(black);
                painter.drawLine(plot.left() - 4, y, plot.left() - 1, y);
                const int w = fm.horizontalAdvance(t.Label);
                painter.drawText(plot.left() - 6 - w, y + fm.ascent() / 2 - 1, t.Label);
            } else {
                painter.setPen(black);
                painter.drawLine(plot.left() - 3, y, plot.left() - 1, y);
            }
        }
        painter.setPen(black);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(plot.adjusted(-1, -1, 0, 0));
    }
    PaintNorthArrow(painter, plot);
}

void TPlanPainter::Paint(QPainter& painter, const TChartView& view, const TPlanScene& scene,
                         const TPlanPaintOptions& options) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (!options.Region.isEmpty()) painter.setClipRect(options.Region);
    PaintBase(painter, view, options);
    painter.setClipRect(view.PlotRect(),
                        options.Region.isEmpty() ? Qt::ReplaceClip : Qt::IntersectClip);
    painter.setFont(view.LabelFont());
    TPainterCanvas canvas(painter);
    for (const auto& s : scene.Series()) s->Draw(view, canvas);
    painter.restore();
}

}  // namespace tidrun
