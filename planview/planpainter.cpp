#include "planview/planpainter.h"

#include <QFontMetrics>
#include <QRegion>

#include <cstring>

#include "planview/planraster.h"
#include "planview/planscene.h"

namespace tidrun {

namespace {

// Every gap-th pixel of a row or a column from one end, both ends included when the
// length allows. A gap of 3 is a cosmetic dotted line as Qt's raster engine draws it.
void PixelRun(QImage& image, QPoint from, QPoint step, int length, int gap, QRgb colour) {
    auto* bits = reinterpret_cast<QRgb*>(image.bits());
    const std::ptrdiff_t stride = image.bytesPerLine() / 4;
    const std::ptrdiff_t jump = gap * (step.y() * stride + step.x());
    QRgb* p = bits + from.y() * stride + from.x();
    for (int i = 0; i <= length; i += gap, p += jump) *p = colour;
}

}  // namespace

void TPlanPainter::PaintBase(QPainter& painter, const TChartView& view,
                             const TPlanPaintOptions& options, QImage* direct) {
    const QRect all(QPoint(0, 0), view.WidgetSize());
    const QRect plot = view.PlotRect();
    // Direct writes need the frame, one pixel around the plot, inside the image.
    if (direct && !all.adjusted(1, 1, -1, -1).contains(plot)) direct = nullptr;
    const QRgb gridColour = qRgb(0x80, 0x80, 0x80);
    // The margins around the plot, then the plot: each pixel filled once.
    for (const QRect& margin : QRegion(all).subtracted(plot))
        painter.fillRect(margin, QColor(0xF0, 0xF0, 0xF0));
    painter.fillRect(plot, options.Wall);
    if (options.Axes) {
        painter.setFont(view.LabelFont());
        const QFontMetrics fm(view.LabelFont());
        QPen grid(QColor(gridColour), 0, Qt::DotLine);
        QPen black(Qt::black, 0);
        // Every tick outside the plot; major ones also a grid line across it and a label.
        for (const TAxisTick& t : view.HorizontalTicks()) {
            const int x = qRound(t.Pixel);
            if (x < plot.left() || x > plot.right()) continue;
            painter.setPen(black);
            painter.drawLine(x, plot.bottom() + 1, x, plot.bottom() + kTickLength);
            if (!t.Major) continue;
            if (direct) {
                PixelRun(*direct, {x, plot.top()}, {0, 1}, plot.height() - 1, 3, gridColour);
            } else {
                painter.setPen(grid);
                painter.drawLine(x, plot.top(), x, plot.bottom());
                painter.setPen(black);
            }
            if (t.Label.isEmpty()) continue;  // a grid line between labels
            const int w = fm.horizontalAdvance(t.Label);
            painter.drawText(x - w / 2, plot.bottom() + kTickLength + kLabelGap + fm.ascent(),
                             t.Label);
        }
        for (const TAxisTick& t : view.VerticalTicks()) {
            const int y = qRound(t.Pixel);
            if (y < plot.top() || y > plot.bottom()) continue;
            painter.setPen(black);
            painter.drawLine(plot.left() - kTickLength, y, plot.left() - 1, y);
            if (!t.Major) continue;
            if (direct) {
                PixelRun(*direct, {plot.left(), y}, {1, 0}, plot.width() - 1, 3, gridColour);
            } else {
                painter.setPen(grid);
                painter.drawLine(plot.left(), y, plot.right(), y);
                painter.setPen(black);
            }
            if (t.Label.isEmpty()) continue;
            const int w = fm.horizontalAdvance(t.Label);
            painter.drawText(plot.left() - kTickLength - kLabelGap - w, y + fm.ascent() / 2 - 1,
                             t.Label);
        }
        if (direct) {  // the frame, one pixel around the plot
            const QRgb ink = qRgb(0, 0, 0);
            const int l = plot.left() - 1, t = plot.top() - 1, r = plot.right() + 1,
                      b = plot.bottom() + 1;
            PixelRun(*direct, {l, t}, {1, 0}, r - l, 1, ink);
            PixelRun(*direct, {l, b}, {1, 0}, r - l, 1, ink);
            PixelRun(*direct, {l, t}, {0, 1}, b - t, 1, ink);
            PixelRun(*direct, {r, t}, {0, 1}, b - t, 1, ink);
        } else {
            painter.setPen(black);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(plot.adjusted(-1, -1, 0, 0));
        }
    }
    PaintNorthArrow(painter, plot);
}

namespace {

// Series drawn live over the static picture: from the open line (or, without one, from
// the boat) to the end of the list.
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

}  // namespace

void TPlanPainter::Paint(QPainter& painter, const TChartView& view, const TPlanScene& scene,
                         const TPlanPaintOptions& options) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (!options.Region.isEmpty()) painter.setClipRect(options.Region);
    const int live = FirstLive(scene);
    const int count = static_cast<int>(scene.Series().size());
    // Series i; the line being recorded from cut `from` on, in its runs.
    const TLineLineSeries* open = scene.OpenLine();
    auto drawSeries = [&](int i, TCanvas& canvas, int from) {
        const TChartSeries& s = *scene.Series()[static_cast<size_t>(i)];
        if (&s == open)
            open->DrawRuns(view, canvas, from, open->Count());
        else
            s.Draw(view, canvas);
    };

    if (options.Draw == TPlanPaintOptions::Mode::Exact) {
        PaintBase(painter, view, options);
        painter.setClipRect(view.PlotRect(),
                            options.Region.isEmpty() ? Qt::ReplaceClip : Qt::IntersectClip);
        painter.setFont(view.LabelFont());
        {
            // The canvas draws its last segments when it goes: still inside the plot's clip.
            TLabelSpace labels(view.WidgetSize());
            TPainterCanvas canvas(painter, &labels);
            for (int i = 0; i < count; ++i) drawSeries(i, canvas, 0);
        }
        painter.restore();
        return;
    }

    // Fast: the base and every series below the live ones make one static picture, kept
    // in the cache when given. Series changed from outside (a highlighted point, labels
    // shown) redraw it even when the scene was not told.
    const QRgb wall = options.Wall.rgb();
    auto drawStatics = [&](TRasterCanvas& raster) {
        for (int i = 0; i < live; ++i)
            raster.DrawSeries(*scene.Series()[static_cast<size_t>(i)], view);
        raster.Flush();
    };
    // The live labels yield to the static ones as in one exact pass, also when only a
    // boat's rectangle is repainted.
    // settled: the recorded line's cuts already in the picture under them.
    auto drawLive = [&](const TLabelSpace& statics, TLabelWidths* widths, int settled) {
        painter.setClipRect(view.PlotRect(),
                            options.Region.isEmpty() ? Qt::ReplaceClip : Qt::IntersectClip);
        painter.setFont(view.LabelFont());
        TLabelSpace labels(view.WidgetSize(), &statics);
        TPainterCanvas canvas(painter, &labels, widths);
        if (!options.Region.isEmpty()) canvas.Keep(options.Region);
        for (int i = live; i < count; ++i) drawSeries(i, canvas, settled);
    };

    // Without a cache, an image of the view's size is drawn into directly.
    QPaintDevice* device = painter.device();
    QImage* target =
        device && device->devType() == QInternal::Image ? static_cast<QImage*>(device) : nullptr;
    if (!options.Cache && options.Region.isEmpty() && target &&
        target->size() == view.WidgetSize() && painter.worldTransform().isIdentity() &&
        (target->format() == QImage::Format_RGB32 ||
         target->format() == QImage::Format_ARGB32_Premultiplied)) {
        PaintBase(painter, view, options, target);
        TLabelSpace labels(view.WidgetSize());
        TRasterCanvas raster(*target, view.PlotRect(), view.LabelFont(), &painter, &labels);
        drawStatics(raster);
        drawLive(labels, nullptr, 0);
        painter.restore();
        return;
    }

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
    // The lowest group: the circle ruler and the recorded lines at the bottom of the list.
    int linesEnd = 0;
    while (linesEnd < live) {
        const TSeriesKind k = scene.Series()[static_cast<size_t>(linesEnd)]->Kind();
        if (k != TSeriesKind::LineLine && k != TSeriesKind::Measure) break;
        ++linesEnd;
    }
    // The middle group: outlines and points, up to the marks.
    int midEnd = linesEnd;
    const int marksAt = scene.IndexOf(scene.Marks());
    if (marksAt > linesEnd && marksAt <= live) midEnd = marksAt;
    std::uint64_t seriesKey = 0, linesKey = 0, midKey = 0;
    for (int i = 0; i < live; ++i) {
        seriesKey = seriesKey * 1000003u + scene.Series()[static_cast<size_t>(i)]->StateKey();
        if (i + 1 == linesEnd) linesKey = seriesKey;
        if (i + 1 == midEnd) midKey = seriesKey;
    }
    // On a high-density screen the static picture is kept at the device's resolution and
    // drawn by the exact painter: outlines one device pixel, labels as smooth as the
    // widgets' text, symbols at their size on screen.
    const qreal ratio = device ? device->devicePixelRatioF() : 1.0;
    const bool valid = !L->base.isNull() && L->ratio == ratio && L->size == view.WidgetSize() &&
                       L->plot == view.PlotRect() && L->axes == view.Axes() &&
                       L->sceneRevision == scene.Revision() && L->seriesKey == seriesKey &&
                       L->wall == wall && L->axesShown == options.Axes;
    if (!valid) {
        const QSize size = view.WidgetSize();
        const bool same = L->ratio == ratio && L->size == size && L->plot == view.PlotRect() &&
                          L->axes == view.Axes() && L->wall == wall && L->axesShown == options.Axes;
        // Series from..to-1 onto image with the room of labels taken in labels.
        auto draw = [&](QImage& image, TLabelSpace& labels, int from, int to) {
            if (ratio == 1.0) {
                TRasterCanvas raster(image, view.PlotRect(), view.LabelFont(), nullptr, &labels);
                for (int i = from; i < to; ++i)
                    raster.DrawSeries(*scene.Series()[static_cast<size_t>(i)], view);
                raster.Flush();
                return;
            }
            QPainter bp(&image);
            bp.setRenderHint(QPainter::Antialiasing, false);
            bp.setClipRect(view.PlotRect());
            bp.setFont(view.LabelFont());
            TPainterCanvas canvas(bp, &labels, &L->widths);
            for (int i = from; i < to; ++i)
                scene.Series()[static_cast<size_t>(i)]->Draw(view, canvas);
        };
        // Into the pixels an image holds already where it can: a new image of this size
        // costs its pages' first writes on top of the copy.
        auto copyInto = [&](QImage& to, const QImage& from) {
            if (!to.isNull() && to.size() == from.size() && to.format() == from.format() &&
                to.bytesPerLine() == from.bytesPerLine())
                std::memcpy(to.bits(), from.constBits(),
                            static_cast<std::size_t>(from.sizeInBytes()));
            else
                to = from.copy();
            to.setDevicePixelRatio(ratio);
        };
        // Each group over a copy of the one below it, redrawn from the lowest that changed.
        const int ends[2] = {linesEnd, midEnd};
        const std::uint64_t keys[2] = {linesKey, midKey};
        bool redrawn = false;
        for (int g = 0; g < 2; ++g) {
            TPlanLayerCache::Layers::Group& G = L->groups[g];
            if (!redrawn && same && !G.image.isNull() && G.end == ends[g] && G.key == keys[g] &&
                G.revision == scene.LinesRevision())
                continue;
            redrawn = true;
            if (g == 0) {
                G.labels.emplace(size);
                G.image = QImage((QSizeF(size) * ratio).toSize(), QImage::Format_RGB32);
                G.image.setDevicePixelRatio(ratio);
                QPainter bp(&G.image);
                bp.setRenderHint(QPainter::Antialiasing, false);
                if (ratio == 1.0)
                    PaintBase(bp, view, options, &G.image);
                else
                    PaintBase(bp, view, options);
            } else {
                copyInto(G.image, L->groups[g - 1].image);
                G.labels = L->groups[g - 1].labels;
            }
            draw(G.image, *G.labels, g == 0 ? 0 : ends[g - 1], ends[g]);
            G.end = ends[g];
            G.key = keys[g];
            G.revision = scene.LinesRevision();
        }
        copyInto(L->base, L->groups[1].image);
        L->labels = L->groups[1].labels;
        draw(L->base, *L->labels, midEnd, live);
        L->ratio = ratio;
        L->size = size;
        L->plot = view.PlotRect();
        L->axes = view.Axes();
        L->sceneRevision = scene.Revision();
        L->seriesKey = seriesKey;
        L->wall = wall;
        L->axesShown = options.Axes;
    }
    // The recorded line's finished runs over base: only a run finished since is drawn.
    const bool openLive =
        open && live < count && scene.Series()[static_cast<size_t>(live)].get() == open;
    const int settled = openLive ? open->SettledCuts() : 0;
    if (settled == 0) {
        L->open = QImage();
        L->openLabels.reset();
    } else {
        if (!valid || L->open.isNull() || L->openKey != open->KeyBesidesGrowth() ||
            L->openCuts > settled) {
            L->open = L->base.copy();
            L->open.setDevicePixelRatio(ratio);
            L->openLabels.emplace(view.WidgetSize(), &*L->labels);
            L->openCuts = 0;
        }
        if (L->openCuts < settled) {
            QPainter bp(&L->open);
            bp.setRenderHint(QPainter::Antialiasing, false);
            bp.setClipRect(view.PlotRect());
            bp.setFont(view.LabelFont());
            TPainterCanvas canvas(bp, &*L->openLabels, &L->widths);
            open->DrawRuns(view, canvas, L->openCuts, settled);
        }
        L->openCuts = settled;
        L->openKey = open->KeyBesidesGrowth();
    }
    const QRect all(QPoint(0, 0), view.WidgetSize());
    const QRect area = options.Region.isEmpty() ? all : options.Region & all;
    const QRectF source(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio);
    painter.drawImage(QRectF(area), settled > 0 ? L->open : L->base, source);
    drawLive(settled > 0 ? *L->openLabels : *L->labels, options.Cache ? &L->widths : nullptr,
             settled);
    painter.restore();
}

}  // namespace tidrun
