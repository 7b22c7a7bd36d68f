#include "planview/planpainter.h"

#include <QFontMetrics>

#include "planview/planraster.h"
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

namespace {

// Series drawn live over the cached pictures: from the open line (or, without one, from
// the boat) to the end of the list. The circle ruler (first) is live too.
int FirstLive(const TPlanScene& scene) {
    const auto& list = scene.Series();
    const TChartSeries* open = scene.OpenLine();
    const TChartSeries* boat = scene.Boat();
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == open) return static_cast<int>(i);
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == boat) return static_cast<int>(i);
    return static_cast<int>(list.size());
}

bool IsCircle(const TPlanScene& scene, int i) {
    return scene.Series()[static_cast<size_t>(i)].get() == scene.CircleRuler();
}

}  // namespace

void TPlanPainter::Paint(QPainter& painter, const TChartView& view, const TPlanScene& scene,
                         const TPlanPaintOptions& options) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (!options.Region.isEmpty()) painter.setClipRect(options.Region);
    const int live = FirstLive(scene);
    const int count = static_cast<int>(scene.Series().size());

    if (options.Draw == TPlanPaintOptions::Mode::Exact) {
        PaintBase(painter, view, options);
        painter.setClipRect(view.PlotRect(),
                            options.Region.isEmpty() ? Qt::ReplaceClip : Qt::IntersectClip);
        painter.setFont(view.LabelFont());
        TPainterCanvas canvas(painter);
        for (const auto& s : scene.Series()) s->Draw(view, canvas);
        painter.restore();
        return;
    }

    // Fast: the base and the static series as pictures, kept in the cache when given.
    std::unique_ptr<TPlanLayerCache::Layers> local;
    TPlanLayerCache::Layers* L = nullptr;
    if (options.Cache) {
        if (!options.Cache->layers_)
            options.Cache->layers_ = std::make_unique<TPlanLayerCache::Layers>();
        L = options.Cache->layers_.get();
    } else {
        local = std::make_unique<TPlanLayerCache::Layers>();
        L = local.get();
    }
    const QRgb wall = options.Wall.rgb();
    const bool valid = !L->base.isNull() && L->size == view.WidgetSize() &&
                       L->plot == view.PlotRect() && L->axes == view.Axes() &&
                       L->sceneRevision == scene.Revision() && L->wall == wall &&
                       L->axesShown == options.Axes && L->statics.size() == view.WidgetSize();
    if (!valid) {
        const QSize size = view.WidgetSize();
        L->base = QImage(size, QImage::Format_RGB32);
        {
            QPainter bp(&L->base);
            PaintBase(bp, view, options);
        }
        L->statics = QImage(size, QImage::Format_ARGB32_Premultiplied);
        L->statics.fill(Qt::transparent);
        TRasterCanvas raster(L->statics, view.PlotRect(), view.LabelFont());
        for (int i = 0; i < live; ++i) {
            if (IsCircle(scene, i)) continue;
            raster.DrawSeries(*scene.Series()[static_cast<size_t>(i)], view);
        }
        L->size = size;
        L->plot = view.PlotRect();
        L->axes = view.Axes();
        L->sceneRevision = scene.Revision();
        L->wall = wall;
        L->axesShown = options.Axes;
    }
    const QRect area = options.Region.isEmpty()
                           ? QRect(QPoint(0, 0), view.WidgetSize())
                           : options.Region & QRect(QPoint(0, 0), view.WidgetSize());
    painter.drawImage(area.topLeft(), L->base, area);
    painter.setClipRect(view.PlotRect(),
                        options.Region.isEmpty() ? Qt::ReplaceClip : Qt::IntersectClip);
    painter.setFont(view.LabelFont());
    TPainterCanvas canvas(painter);
    for (int i = 0; i < live; ++i)
        if (IsCircle(scene, i)) scene.Series()[static_cast<size_t>(i)]->Draw(view, canvas);
    const QRect plotArea = area & view.PlotRect();
    painter.drawImage(plotArea.topLeft(), L->statics, plotArea);
    for (int i = live; i < count; ++i) scene.Series()[static_cast<size_t>(i)]->Draw(view, canvas);
    painter.restore();
}

}  // namespace tidrun
