// The two ways PaintPlan draws: exactly through QPainter, or fast through the rasteriser
// with the layer cache. Internal to the plan view's painting.
#pragma once

#include <QImage>

#include <cstdint>
#include <optional>

#include "planview/labelspace.h"
#include "planview/paintplan.h"

namespace tidrun {

struct TPlanLayerCache::Layers {
    QImage base;  // wall, grid, axes, north arrow and every series below the live ones
    std::optional<TLabelSpace> labels;  // the room the labels in base take
    // The lower group of base alone: the wall and the rest as above, the circle ruler and the
    // recorded lines. A change above them (marks, points, outlines) starts from a copy.
    QImage lines;
    std::optional<TLabelSpace> linesLabels;
    int linesEnd = 0;                 // series 0..linesEnd-1 are in it
    std::uint64_t linesKey = 0;       // their StateKey
    std::uint64_t linesRevision = 0;  // the scene's LinesRevision
    TLabelWidths widths;              // of the label texts drawn, between paints
    TExtent axes;
    QSize size;
    QRect plot;
    std::uint64_t sceneRevision = 0;
    std::uint64_t seriesKey = 0;  // StateKey of every series in the static picture
    qreal ratio = 1.0;            // device pixels per pixel of the view
    QRgb wall = 0;
    bool axesShown = true;
};

struct TPlanPainter {
    static void Paint(QPainter& painter, const TChartView& view, const TPlanScene& scene,
                      const TPlanPaintOptions& options);
    // The back wall, grid, axes and north arrow. With direct, the image the painter paints
    // on (no clip, no transform): the dotted grid and the frame are written into its
    // pixels, as QPainter would set them, rather than drawn a dot at a time through it.
    static void PaintBase(QPainter& painter, const TChartView& view,
                          const TPlanPaintOptions& options, QImage* direct = nullptr);
};

}  // namespace tidrun
