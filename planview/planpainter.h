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
    // The groups under base, each over a copy of the one before: the wall and the rest as
    // above with the circle ruler and the recorded lines; then the outlines and points. A
    // change to the marks starts from the second, one to the points from the first.
    struct Group {
        QImage image;
        std::optional<TLabelSpace> labels;
        int end = 0;                 // series 0..end-1 are in it
        std::uint64_t key = 0;       // their StateKey
        std::uint64_t revision = 0;  // the scene's LinesRevision
    };
    Group groups[2];
    // The line being recorded: its finished runs over base, and the room their labels take
    // over base's. Grows a run at a time; drawn anew when anything else of the line changes.
    QImage open;
    std::optional<TLabelSpace> openLabels;
    int openCuts = 0;           // the cuts drawn in open
    std::uint64_t openKey = 0;  // the line's KeyBesidesGrowth (its address included)
    TLabelWidths widths;        // of the label texts drawn, between paints
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
