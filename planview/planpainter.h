// The two ways PaintPlan draws: exactly through QPainter, or fast through the rasteriser
// with the layer cache. Internal to the plan view's painting.
#pragma once

#include <QImage>

#include <cstdint>

#include "planview/paintplan.h"

namespace tidrun {

struct TPlanLayerCache::Layers {
    QImage base;     // wall, grid, axes, north arrow
    QImage statics;  // every series but the circle ruler, the open line and the boat
    TExtent axes;
    QSize size;
    QRect plot;
    std::uint64_t sceneRevision = 0;
    QRgb wall = 0;
    bool axesShown = true;
};

struct TPlanPainter {
    static void Paint(QPainter& painter, const TChartView& view, const TPlanScene& scene,
                      const TPlanPaintOptions& options);
    // The back wall, grid, axes and north arrow.
    static void PaintBase(QPainter& painter, const TChartView& view,
                          const TPlanPaintOptions& options);
};

}  // namespace tidrun
