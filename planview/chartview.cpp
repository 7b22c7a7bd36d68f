#include "planview/chartview.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tidrun {

namespace {

constexpr double kMinSpan = 1e-10;
// Axis ends are kept within this many metres of zero, far beyond any plane coordinate, so
// that spans, scales and the equal-scale correction stay finite whatever a file holds.
constexpr double kAxisReach = 1e15;
double WithinReach(double v) {
    return std::isnan(v) ? 0 : std::clamp(v, -kAxisReach, kAxisReach);
}
// The smallest span kept at a value: kMinSpan, or a few steps of the number's precision
// where that is coarser (far from zero the plain kMinSpan would add nothing).
double MinSpanAt(double v) {
    return std::max(kMinSpan, std::abs(v) * 8 * std::numeric_limits<double>::epsilon());
}

// n = u * 200 truncated, kept within int range.
int GridIndex(double u) {
    const double n = std::trunc(u * 200.0);
    if (!(n > 0)) return 0;
    if (n > 1e9) return 1000000000;
    return static_cast<int>(n);
}

}  // namespace

double GridStep(double metresPerPixel) {
    const int n = GridIndex(metresPerPixel);
    if (n > 5000) return 5000;
    if (n > 1000) return 1000;
    if (n > 500) return 500;
    if (n > 100) return 100;
    if (n > 50) return 50;
    if (n > 10) return 10;
    if (n > 5) return 5;
    return 1;
}

double PixelAspect(QSizeF physicalMm, QSize pixels) {
    if (!(physicalMm.width() > 0) || !(physicalMm.height() > 0) || pixels.width() <= 0 ||
        pixels.height() <= 0)
        return 1.0;
    const double k =
        (physicalMm.width() / pixels.width()) / (physicalMm.height() / pixels.height());
    return std::isfinite(k) && k > 0 ? k : 1.0;
}

QString ZoomLimitWarning() {
    return QStringLiteral("拡大の限度を超えています");
}

TChartView::TChartView() {
    font_.setFamily(QStringLiteral("Sans Serif"));
    font_.setPixelSize(11);
    UpdateTransform();
}

void TChartView::SetWidgetSize(QSize size) {
    widget_ = size;
    Layout();
}

void TChartView::SetLabelFont(const QFont& font) {
    font_ = font;
    Layout();
}

void TChartView::Layout() {
    const int w = widget_.width(), h = widget_.height();
    const QFontMetrics fm(font_);
    int labelWidth = 0;
    for (const TAxisTick& t : VerticalTicks())
        if (t.Major) labelWidth = std::max(labelWidth, fm.horizontalAdvance(t.Label));
    const int left = labelWidth + kTickLength + kLabelGap + 1;
    const int top = h * 2 / 100 + fm.height() / 2;
    const int right = w * 2 / 100 + 1;
    const int bottom = h * 1 / 100 + fm.height() + kTickLength + kLabelGap;
    plot_ = QRect(left, top, std::max(0, w - left - right), std::max(0, h - top - bottom));
    UpdateTransform();
}

void TChartView::SetAxes(const TExtent& e) {
    SetVertical(e.XMin, e.XMax);
    SetHorizontal(e.YMin, e.YMax);
}

void TChartView::SetVertical(double a, double b) {
    a = WithinReach(a);
    b = WithinReach(b);
    axes_.XMin = std::min(a, b);
    axes_.XMax = std::max(a, b);
    if (axes_.XMax - axes_.XMin < kMinSpan) axes_.XMax = axes_.XMin + MinSpanAt(axes_.XMin);
    UpdateTransform();
}

void TChartView::SetHorizontal(double a, double b) {
    a = WithinReach(a);
    b = WithinReach(b);
    axes_.YMin = std::min(a, b);
    axes_.YMax = std::max(a, b);
    if (axes_.YMax - axes_.YMin < kMinSpan) axes_.YMax = axes_.YMin + MinSpanAt(axes_.YMin);
    UpdateTransform();
}

void TChartView::ScrollVertical(double offset) {
    axes_.XMin += offset;
    axes_.XMax += offset;
    UpdateTransform();
}

void TChartView::ScrollHorizontal(double offset) {
    axes_.YMin += offset;
    axes_.YMax += offset;
    UpdateTransform();
}

void TChartView::RecalcAxis() {
    const int w = plot_.width(), h = plot_.height();
    if (w < 1 || h < 1) {
        SaveCurrentAxisSize();
        return;
    }
    const double spanH = axes_.YMax - axes_.YMin;
    const double spanV = axes_.XMax - axes_.XMin;
    const double uH = spanH / w;
    const double uV = spanV / h * aspect_;
    double u = 0;
    if (uH > 0 && std::abs(uH - uV) <= 1e-12 * std::max(uH, uV)) {
        // Already at equal scale but for rounding: left as it is, since correcting it again
        // would move the extent by a last digit each time.
        u = std::max(uH, uV);
    } else if (uH > uV) {
        if (uV == 0) {
            SaveCurrentAxisSize();
            return;
        }
        const double g = (uH * spanV / uV - spanV) / 2;
        u = uH;
        axes_.XMin -= g;
        axes_.XMax += g;
    } else {
        if (uH == 0) {
            SaveCurrentAxisSize();
            return;
        }
        const double g = (spanH * uV / uH - spanH) / 2;
        u = uV;
        axes_.YMin -= g;
        axes_.YMax += g;
    }
    increment_ = GridStep(u);
    minorCount_ = increment_ > 1 ? 4 : 0;
    UpdateTransform();
    SaveCurrentAxisSize();
}

TChartView::ZoomResult TChartView::CalcZoomPoints(QPointF p0, QPointF p1) {
    const double h0 = HValue(p0.x()), h1 = HValue(p1.x());
    const double v1 = VValue(p1.y()), v0 = VValue(p0.y());
    if (v0 - v1 >= 1 && h1 - h0 >= 1) {
        SetVertical(v1, v0);
        SetHorizontal(h0, h1);
        RecalcAxis();
        zoomed_ = true;
        return ZoomResult::Zoomed;
    }
    return ZoomResult::Refused;
}

TChartView::ZoomResult TChartView::FinishZoomDrag(QPoint start, QPoint end) {
    if (std::abs(end.x() - start.x()) <= 16 || std::abs(end.y() - start.y()) <= 16)
        return ZoomResult::Ignored;
    if (start.x() < end.x() && start.y() < end.y()) return CalcZoomPoints(start, end);
    UnDoZoom();
    return ZoomResult::Undone;
}

void TChartView::UnDoZoom() {
    SetAxes(origin_);
    RecalcAxis();
    zoomed_ = false;
}

void TChartView::ZoomPercent(double p) {
    const double dv = (axes_.XMax - axes_.XMin) * (p - 100) / 100;
    const double dh = (axes_.YMax - axes_.YMin) * (p - 100) / 100;
    SetVertical(axes_.XMin + dv, axes_.XMax - dv);
    SetHorizontal(axes_.YMin + dh, axes_.YMax - dh);
    zoomed_ = true;
}

void TChartView::Resize(QSize size) {
    widget_ = size;
    Layout();
    SetAxes(zoomed_ ? current_ : origin_);
    RecalcAxis();
    Layout();
    RecalcAxis();
    Layout();
}

void TChartView::FitLabels(const TExtent& requested) {
    const QRect before = plot_;
    Layout();
    if (plot_ == before) return;
    for (int pass = 0; pass < 2; ++pass) {
        if (pass > 0) Layout();
        SetAxes(requested);
        RecalcAxis();
    }
}

void TChartView::FitLabelsKeepingScale() {
    const QRect before = plot_;
    const double hx = hx_;
    Layout();
    if (plot_ == before || !(hx > 0) || !std::isfinite(hx)) return;
    // The plot's right edge stays where it was: so does every point at this scale.
    axes_.YMin = axes_.YMax - plot_.width() / hx;
    UpdateTransform();
}

bool TChartView::Follow(double x, double y) {
    bool moved = false;
    const double d = (axes_.YMax - axes_.YMin) / 5;
    if (y > axes_.YMax - 2 * d) {
        ScrollHorizontal(y + d - (axes_.YMax - 2 * d));
        moved = true;
    } else if (y < axes_.YMin + 2 * d) {
        ScrollHorizontal(y - d - (axes_.YMin + 2 * d));
        moved = true;
    }
    const double e = (axes_.XMax - axes_.XMin) / 5;
    if (x > axes_.XMax - 2 * e) {
        ScrollVertical(x + e - (axes_.XMax - 2 * e));
        moved = true;
    } else if (x < axes_.XMin + 2 * e) {
        ScrollVertical(x - e - (axes_.XMin + 2 * e));
        moved = true;
    }
    return moved;
}

void TChartView::UpdateTransform() {
    const double spanH = axes_.YMax - axes_.YMin;
    const double spanV = axes_.XMax - axes_.XMin;
    hx_ = plot_.width() / spanH;
    hb_ = plot_.left() - axes_.YMin * hx_;
    vy_ = -plot_.height() / spanV;
    vb_ = plot_.top() + plot_.height() - axes_.XMin * vy_;
}

double TChartView::HValue(double px) const {
    return (px - hb_) / hx_;
}
double TChartView::VValue(double py) const {
    return (py - vb_) / vy_;
}

double TChartView::MinorIncrement() const {
    return minorCount_ > 0 ? increment_ / (minorCount_ + 1) : 0;
}

namespace {

constexpr double kTickReach = 1e12;  // tick numbers: far below 2^53, labels far below 2^63

// Every how many grid steps a label is drawn: 1, 2, 5, 10, 20, 50 ... the first at which
// neighbouring labels keep a character's gap: across, the widest label and a digit's width
// apart; up, a line of text and another line apart. The grid itself stays at every step.
double LabelEvery(double first, double last, double inc, double pixelsPerMetre, bool vertical,
                  const QFont& font) {
    const QFontMetrics fm(font);
    const double digit = fm.horizontalAdvance(QLatin1Char('0'));
    // Label pixels are rounded and a label is centred on its tick by integer halves: a
    // pixel or two less apart than the exact spacing.
    constexpr double kRounding = 2;
    const double perStep = inc * std::abs(pixelsPerMetre);
    if (!(perStep > 0) || !std::isfinite(perStep)) return 1;
    for (double decade = 1; decade < kTickReach; decade *= 10) {
        for (const double m : {1.0, 2.0, 5.0}) {
            const double every = m * decade;
            const double spacing = every * perStep;
            // One label or none in the range meets no other (none: see Ticks).
            if (every > last - first) return every;
            if (vertical) {
                if (spacing >= 2 * fm.height() + kRounding) return every;
                continue;
            }
            if (spacing < 2 * digit + kRounding) continue;  // no label is narrower
            int widest = 0;
            for (double k = std::ceil(first / every) * every; k <= last; k += every)
                widest = std::max(widest, fm.horizontalAdvance(TChartView::AxisLabel(k * inc)));
            if (spacing >= widest + digit + kRounding) return every;
        }
    }
    return kTickReach;
}

std::vector<TAxisTick> Ticks(double lo, double hi, double inc, double minorInc, bool vertical,
                             const TChartView& view) {
    std::vector<TAxisTick> out;
    if (!(inc > 0) || !(hi > lo)) return out;
    const double first = std::ceil(lo / inc);
    const double last = std::floor(hi / inc);
    // A degenerate view gets no ticks rather than millions, and so does one so far from zero
    // (a damaged file) that neighbouring ticks would be the same number.
    if (!(last - first <= 2000) || !(std::abs(first) < kTickReach && std::abs(last) < kTickReach))
        return out;
    auto pixel = [&](double value) { return vertical ? view.VPixel(value) : view.HPixel(value); };
    const double every = LabelEvery(first, last, inc, vertical ? view.VScale() : view.HScale(),
                                    vertical, view.LabelFont());
    // A plot too small for two labels, with no multiple of the label step in it, still
    // shows one: at its middle grid line.
    const double only =
        std::ceil(first / every) * every > last ? std::floor((first + last) / 2) : first - 1;
    const int n = static_cast<int>(last - first);
    for (int i = -1; i <= n; ++i) {
        const double step = first + i;
        const double value = step * inc;
        if (value >= lo) {
            // Step numbers are whole and far below 2^53: the remainder is exact.
            const bool labelled = step == only || std::fmod(step, every) == 0;
            out.push_back(
                {pixel(value), true, value, labelled ? TChartView::AxisLabel(value) : QString()});
        }
        if (minorInc > 0) {
            for (int m = 1; m * minorInc < inc - minorInc / 2; ++m) {
                const double mv = value + m * minorInc;
                if (mv >= lo && mv <= hi) out.push_back({pixel(mv), false, mv, {}});
            }
        }
    }
    return out;
}

}  // namespace

std::vector<TAxisTick> TChartView::HorizontalTicks() const {
    return Ticks(axes_.YMin, axes_.YMax, increment_, MinorIncrement(), false, *this);
}

std::vector<TAxisTick> TChartView::VerticalTicks() const {
    return Ticks(axes_.XMin, axes_.XMax, increment_, MinorIncrement(), true, *this);
}

QString TChartView::AxisLabel(double value) {
    // Whole metres with thousands separators; the grid never goes below one metre.
    const long long v = std::llround(value);
    QString digits = QString::number(v < 0 ? -v : v);
    for (int i = digits.size() - 3; i > 0; i -= 3) digits.insert(i, QLatin1Char(','));
    return v < 0 ? QLatin1Char('-') + digits : digits;
}

}  // namespace tidrun
