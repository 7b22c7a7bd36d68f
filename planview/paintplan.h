// The one painting function of the plan view: the screen, printing, PDF and PNG all paint
// through PaintPlan. The back wall, the axes and the north arrow come first, then every
// series in list order.
//
// Two ways to draw the series, with the same result within one pixel:
// - exact: every segment, symbol and label through QPainter (printing and PDF);
// - fast: recorded lines are culled by chunk box and rasterised straight into an image,
//   one symbol per pixel where many fall on one, the other point series stamped from
//   prepared sprites. With a layer cache the static picture (everything below the open
//   line and the boat) is kept between paints and a boat move repaints only its
//   rectangle; without one, an image target is drawn into directly.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QLine>
#include <QPainter>
#include <QRect>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "planview/chartview.h"
#include "planview/depthramp.h"
#include "planview/series.h"

namespace tidrun {

class TPlanScene;
class TMoveObjectSeries;
class TLineLineSeries;

// The widths of label texts in one font, kept between paints: measuring a text shapes it,
// which costs far more than drawing a point, and a line's cut numbers come back at every
// paint.
class TLabelWidths {
  public:
    int Width(const QFontMetrics& fm, const QFont& font, const QString& text);

  private:
    QFont font_;
    QHash<QString, int> widths_;
};

// The box a point's label takes (its frame included) with the text's width and the font's
// height.
QRect LabelBox(QPoint p, int textWidth, int fontHeight, const TMarks& marks);

// The exact canvas: draws through a QPainter (aliased, pens one pixel wide). Runs of
// segments in one colour go to the painter in one call when the colour changes, something
// else is drawn, or the canvas ends: the same pixels as one call a segment, without the
// painter's cost per call. Labels take their room in labels (none: every label is drawn).
class TPainterCanvas : public TCanvas {
  public:
    // widths: kept between paints (none: each text measured).
    explicit TPainterCanvas(QPainter& painter, TLabelSpace* labels = nullptr,
                            TLabelWidths* widths = nullptr)
        : p_(painter), labels_(labels), widths_(widths) {}
    ~TPainterCanvas() override { FlushLines(); }
    TPainterCanvas(const TPainterCanvas&) = delete;
    TPainterCanvas& operator=(const TPainterCanvas&) = delete;
    void Line(QPoint a, QPoint b, TColour colour) override;
    void Symbol(QPoint p, const TSymbol& symbol, TColour fill) override;
    void Label(QPoint p, const QString& text, const TMarks& marks, TLabelRule rule) override;
    void Ellipse(const QRectF& pixels, TColour pen) override;
    QRect Kept() const override { return kept_; }
    // Only these pixels are kept (the painter clips to them): the rest is not drawn.
    void Keep(const QRect& pixels) { kept_ = pixels; }

  private:
    void FlushLines();
    QPainter& p_;
    QRect kept_;
    TLabelSpace* labels_;
    TLabelWidths* widths_;
    std::optional<QFontMetrics> metrics_;  // of the painter's font at the first label
    std::vector<QLine> lines_;             // waiting, all in lineColour_
    TColour lineColour_ = 0;
};

// The static picture for the screen, kept between paints while the view, the scene, its
// series and the wall colour stay the same.
class TPlanLayerCache {
  public:
    TPlanLayerCache();
    ~TPlanLayerCache();
    TPlanLayerCache(const TPlanLayerCache&) = delete;
    TPlanLayerCache& operator=(const TPlanLayerCache&) = delete;
    void Drop();
    std::size_t MemoryBytes() const;

  private:
    friend struct TPlanPainter;
    struct Layers;
    std::unique_ptr<Layers> layers_;
};

struct TPlanPaintOptions {
    enum class Mode { Exact, Fast };
    Mode Draw = Mode::Fast;
    QColor Wall = QColor(0x00, 0x80, 0x80);  // the back wall, the job's map colour
    bool Axes = true;                        // axis lines, ticks and labels
    // Screen only: keeps the static layers between paints (Fast mode).
    TPlanLayerCache* Cache = nullptr;
    // Non-empty: only this rectangle of the widget is repainted (a boat move).
    QRect Region;
};

// Paints the plan on a device of the view's widget size (the caller scales the painter
// for other sizes).
void PaintPlan(QPainter& painter, const TChartView& view, const TPlanScene& scene,
               const TPlanPaintOptions& options);

// The pixel rectangle a boat trail covers (its symbols), empty when it has no points.
// A boat move repaints the union of the rectangles before and after.
QRect BoatRect(const TChartView& view, const TMoveObjectSeries& boat);

// The pixel rectangle that changes when an open line grows from its points 0..from to
// 0..to: the new segments and symbols, and the labels of the newest point before and after
// (the newest label is always drawn; the one before it may now yield). A cut added
// repaints only this, so its cost does not grow with the line.
QRect GrowthRect(const TChartView& view, const TLineLineSeries& line, int from, int to,
                 TLabelWidths* widths = nullptr);

// The depth legend in the plot's bottom-right corner: the ramp from shallow to deep with
// both ends in metres.
void PaintDepthLegend(QPainter& painter, const QRect& plot, const TDepthRange& range,
                      const QFont& font);
// The rectangle the legend takes in a plot.
QRect DepthLegendRect(const QRect& plot, const QFont& font);

// One of the 16 colour names of the settings ("Black" .. "White"); teal for others.
QColor MapColour(const QString& name);

// The north arrow, relative to the plot rectangle's top-left corner.
void PaintNorthArrow(QPainter& painter, const QRect& plot);

}  // namespace tidrun
