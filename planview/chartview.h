// The survey chart's state and transform without a widget: axis limits with the equal
// physical scale on both axes, the grid step, the origin and current extents, rectangle
// zoom with its limits, undo and percentage zoom, the resize rule, auto-follow, and the
// mapping between world values and pixels of the widget.
//
// Convention: the vertical axis carries X (northing, up), the horizontal axis Y (easting,
// right). A point's horizontal value is its Y, its vertical value its X.
#pragma once

#include <QFont>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tidrun {

// Ticks, major and minor, reach this many pixels outside the plot; labels start kLabelGap
// pixels beyond them.
inline constexpr int kTickLength = 4;
inline constexpr int kLabelGap = 2;

// Four axis limits: X (vertical) and Y (horizontal), metres.
struct TExtent {
    double XMin = 0, XMax = 0, YMin = 0, YMax = 0;
    friend bool operator==(const TExtent&, const TExtent&) = default;
};

// Grid step for u metres per pixel: 1, 5, 10, 50, 100, 500, 1000 or 5000 m, so that a grid
// line comes about every 200 pixels or more.
double GridStep(double metresPerPixel);

// Pixel aspect (width of a pixel over its height) from the screen's physical size in
// millimetres and its size in pixels; 1 when the screen reports no physical size.
double PixelAspect(QSizeF physicalMm, QSize pixels);

// The warning shown when a zoom rectangle is below the one-metre limit.
QString ZoomLimitWarning();  // "拡大の限度を超えています"

// One tick of an axis: its pixel position along the axis, and for major ticks the label.
// Major ticks carry a grid line each; a label only every so many of them, so that labels
// keep a character's gap at any zoom (empty between).
struct TAxisTick {
    double Pixel = 0;
    bool Major = false;
    double Value = 0;
    QString Label;
};

class TChartView {
  public:
    TChartView();

    // --- layout -------------------------------------------------------------------------
    // The widget (or page) size; the plot rectangle follows from it, the margins (left 0 %,
    // top 2 %, right 2 %, bottom 1 %) and the widths of the axis labels at the current
    // grid step. Layout() recomputes the plot rectangle; SetWidgetSize() lays out too.
    void SetWidgetSize(QSize size);
    QSize WidgetSize() const { return widget_; }
    void SetLabelFont(const QFont& font);
    const QFont& LabelFont() const { return font_; }
    void Layout();
    QRect PlotRect() const { return plot_; }
    // Sets the plot rectangle directly (no axis labels), for callers that lay out elsewhere.
    void SetPlotRect(const QRect& plot) { plot_ = plot; }

    void SetPixelAspect(double k) { aspect_ = k > 0 ? k : 1.0; }
    double PixelAspectValue() const { return aspect_; }

    // --- axes ---------------------------------------------------------------------------
    TExtent Axes() const { return axes_; }
    void SetAxes(const TExtent& e);  // both axes through SetMinMax
    // SetMinMax of one axis: smaller value as minimum; a span below 1e-10 becomes 1e-10.
    void SetVertical(double a, double b);
    void SetHorizontal(double a, double b);
    // Adds the offset to both limits of one axis, without checks.
    void ScrollVertical(double offset);
    void ScrollHorizontal(double offset);

    double Increment() const { return increment_; }
    int MinorCount() const { return minorCount_; }

    TExtent Origin() const { return origin_; }
    TExtent Current() const { return current_; }
    void SetOrigin(const TExtent& e) { origin_ = e; }
    void SetCurrent(const TExtent& e) { current_ = e; }
    bool Zoomed() const { return zoomed_; }
    void SetZoomed(bool z) { zoomed_ = z; }

    // --- the chart's operations ---------------------------------------------------------
    // Equal physical scale: widens one axis so that a metre has the same physical length
    // across and up; sets the grid step; ends by saving the current extent.
    void RecalcAxis();
    void SaveOriginAxisSize() { origin_ = axes_; }
    void SaveCurrentAxisSize() { current_ = axes_; }

    enum class ZoomResult {
        Zoomed,   // the axes now show the rectangle
        Refused,  // under one metre: show ZoomLimitWarning(), axes unchanged
        Undone,   // a drag other than towards the lower right: undo zoom
        Ignored,  // a drag of 16 pixels or less in some direction
    };
    // Finishes a zoom rectangle dragged from p0 to p1 (pixels): accepted when it covers at
    // least one metre both ways as dragged.
    ZoomResult CalcZoomPoints(QPointF p0, QPointF p1);
    // Same as the chart's zoom tool on releasing the zoom button after a drag from start
    // to end: the 16-pixel rule, then zoom (towards the lower right) or undo zoom.
    ZoomResult FinishZoomDrag(QPoint start, QPoint end);
    // Origin extent, RecalcAxis, not zoomed.
    void UnDoZoom();
    // Each axis shrinks by (p - 100) % of its span at both ends; zoomed. The caller then
    // runs RecalcAxis. 120 zooms in (span x 0.6), 50 zooms out (span x 2).
    void ZoomPercent(double p);
    // The resize rule: lay out, axes from the current extent when zoomed (else the
    // origin), RecalcAxis, lay out, RecalcAxis again (label widths follow the grid step),
    // lay out.
    void Resize(QSize size);
    // After a zoom to the requested extent (undo zoom: the origin): when the axis labels
    // now need another width, lays the plot out again and makes the requested extent
    // equal-scale for it, twice as Resize does (the equal scale comes last).
    void FitLabels(const TExtent& requested);
    // After a pan or follow: when the axis labels now need another width, lays the plot
    // out again keeping the scale, the vertical axis and the right end, so that nothing on
    // the map moves; the left end follows the plot's edge.
    void FitLabelsKeepingScale();
    // Auto-follow for a boat at (x northing, y easting): scrolls an axis whose middle
    // fifth the boat has left so that it sits at two fifths from the edge it came from.
    // True when an axis moved.
    bool Follow(double x, double y);

    // --- transform ----------------------------------------------------------------------
    // Pixel position (within the widget) of a horizontal or vertical world value, and back.
    double HPixel(double h) const { return hx_ * h + hb_; }
    double VPixel(double v) const { return vy_ * v + vb_; }
    QPointF ToPixel(double h, double v) const { return {HPixel(h), VPixel(v)}; }
    // Integer pixel as the series draw it (rounded to the nearest, halves up). Far values
    // are clamped; the series clip in world values before converting.
    static int RoundPixel(double p) {
        constexpr double lim = 1 << 28;
        if (std::isnan(p)) return static_cast<int>(lim);  // nowhere near the plot
        const double q = std::clamp(p, -lim, lim) + 0.5;
        const int i = static_cast<int>(q);  // toward zero; one less below zero
        return i - (q < i ? 1 : 0);
    }
    QPoint ToPixelRounded(double h, double v) const {
        return {RoundPixel(HPixel(h)), RoundPixel(VPixel(v))};
    }
    double HValue(double px) const;
    double VValue(double py) const;
    // Affine factors of the mapping: pixel = scale * value + offset.
    double HScale() const { return hx_; }
    double HOffset() const { return hb_; }
    double VScale() const { return vy_; }
    double VOffset() const { return vb_; }

    // Ticks of both axes for the current limits and grid step.
    std::vector<TAxisTick> HorizontalTicks() const;
    std::vector<TAxisTick> VerticalTicks() const;
    static QString AxisLabel(double value);

  private:
    void UpdateTransform();
    double MinorIncrement() const;

    QSize widget_{100, 100};
    QRect plot_{0, 0, 100, 100};
    QFont font_;
    double aspect_ = 1.0;
    TExtent axes_{0, 100, 0, 100};
    TExtent origin_{0, 100, 0, 100};
    TExtent current_{0, 100, 0, 100};
    double increment_ = 50;
    int minorCount_ = 4;
    bool zoomed_ = false;
    double hx_ = 1, hb_ = 0, vy_ = -1, vb_ = 100;
};

}  // namespace tidrun
