#include "planview/series.h"

#include "planview/chartview.h"
#include "planview/cutstore.h"
#include "surveydata/sokusencoll.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tidrun {

namespace {

// All four tests at once: points lie anywhere, so tests one by one would mispredict.
bool Inside(double h, double v, const TClipWindow& w) {
    return (h >= w.HMin) & (h <= w.HMax) & (v >= w.VMin) & (v <= w.VMax);
}

}  // namespace

bool ClipSegment(double& h0, double& v0, double& h1, double& v1, const TClipWindow& w) {
    // Both ends beyond one side (most segments of a zoomed view) or both inside (most of
    // a whole view): nothing to divide.
    if ((h0 < w.HMin && h1 < w.HMin) || (h0 > w.HMax && h1 > w.HMax) ||
        (v0 < w.VMin && v1 < w.VMin) || (v0 > w.VMax && v1 > w.VMax))
        return false;
    if (Inside(h0, v0, w) && Inside(h1, v1, w)) return true;
    const double dh = h1 - h0, dv = v1 - v0;
    double t0 = 0, t1 = 1;
    const double q[4] = {w.HMin - h0, h0 - w.HMax, w.VMin - v0, v0 - w.VMax};
    const double p[4] = {dh, -dh, dv, -dv};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (q[k] > 0) return false;
        } else if (p[k] > 0) {
            const double t = q[k] / p[k];
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            const double t = q[k] / p[k];
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
    }
    const double sh = h0, sv = v0;
    if (t1 < 1) {
        h1 = sh + t1 * dh;
        v1 = sv + t1 * dv;
    }
    if (t0 > 0) {
        h0 = sh + t0 * dh;
        v0 = sv + t0 * dv;
    }
    return true;
}

std::uint64_t TChartSeries::KeyOf(std::uint64_t revision, int count) const {
    // FNV-1a over what decides the picture of the series.
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&h](std::uint64_t v) {
        h ^= v;
        h *= 1099511628211ull;
    };
    mix(reinterpret_cast<std::uintptr_t>(this));
    mix(revision);
    mix(static_cast<std::uint64_t>(count));
    mix(Colour);
    mix(Active);
    mix(static_cast<std::uint64_t>(base_));
    mix(Symbol.Visible);
    mix(static_cast<std::uint64_t>(Symbol.Style));
    mix(static_cast<std::uint64_t>(Symbol.HSize) << 32 | static_cast<std::uint32_t>(Symbol.VSize));
    mix(Symbol.Pen);
    mix(Symbol.Fill);
    mix(Marks.Visible);
    mix(static_cast<std::uint64_t>(Marks.ArrowLength));
    mix(Marks.ArrowColour);
    return h;
}

TColour TChartSeries::DrawColour(int i) const {
    const TColour c = PointColour(i);
    return c == kClDefault ? Colour : c;
}

namespace {

TClipWindow WindowOf(const TChartView& view) {
    const TExtent a = view.Axes();
    return {a.YMin, a.YMax, a.XMin, a.XMax};
}

// One pass of a safe base over points first..last. S is the series' own type where its
// point accessors are final, so that the thousands of marks and outline vertices of a view
// are read directly rather than through virtual calls.
template <class S>
class SafeWalk {
  public:
    // labels: the series' labels drawn at the end of each run (false: the caller draws them).
    SafeWalk(const S& s, const TChartView& view, TCanvas& canvas, bool labels = true)
        : s_(s), view_(view), canvas_(canvas), w_(WindowOf(view)), labels_(labels) {
        const QRect kept = canvas.Kept();
        if (kept.isEmpty()) return;
        // What can touch the kept pixels, in world values: symbols reach past their point.
        const int m = std::max(s.Symbol.HSize, s.Symbol.VSize) + 2;
        const double h0 = view.HValue(kept.left() - m), h1 = view.HValue(kept.right() + 1 + m);
        const double v0 = view.VValue(kept.top() - m), v1 = view.VValue(kept.bottom() + 1 + m);
        cull_ = {std::min(h0, h1), std::max(h0, h1), std::min(v0, v1), std::max(v0, v1)};
        culling_ = true;
    }

    void Run(int first, int last) {
        const bool lines = s_.Base() != TSeriesBase::Point;
        if (s_.Base() == TSeriesBase::FastLine) {
            RunFast(first, last);
            return;
        }
        if (!lines) {  // symbols only: each point's in order, as the walk below gives them
            if (s_.Symbol.Visible)
                for (int i = first; i <= last; ++i) PointSymbol(i);
            if (labels_ && s_.Marks.Visible) s_.DrawLabels(view_, canvas_, first, last);
            return;
        }
        for (int i = first; i <= last; ++i) {
            if (prevColour_ == kClNone) {
                prevH_ = s_.H(i);
                prevV_ = s_.V(i);
            }
            if (i == first) {
                if (i > 0) {
                    prevH_ = s_.H(i - 1);
                    prevV_ = s_.V(i - 1);
                    if (s_.PointColour(i - 1) != kClNone && lines) Segment(i);
                }
                if (i == last && s_.Symbol.Visible) PointSymbol(i);
            } else {
                if (lines) Segment(i);
                if (s_.Symbol.Visible) {
                    PointSymbol(i - 1);
                    if (i == last) PointSymbol(i);
                }
            }
            prevH_ = s_.H(i);
            prevV_ = s_.V(i);
            prevColour_ = s_.PointColour(i);
        }
        if (labels_ && s_.Marks.Visible) s_.DrawLabels(view_, canvas_, first, last);
    }

  private:
    void RunFast(int first, int last) {
        for (int i = first; i <= last; ++i) {
            if (i == first) {
                if (i == 0) {
                    Remember(i);
                    continue;
                }
                prevH_ = s_.H(i - 1);
                prevV_ = s_.V(i - 1);
            }
            double h0 = prevH_, v0 = prevV_, h1 = s_.H(i), v1 = s_.V(i);
            if (!Culled(h0, v0, h1, v1) && ClipSegment(h0, v0, h1, v1, w_)) {
                const QPoint a = view_.ToPixelRounded(h0, v0), b = view_.ToPixelRounded(h1, v1);
                // A fast line is one colour unless its cuts are coloured by depth.
                TColour c = s_.PointColour(i);
                if (c == kClDefault || c == kClNone) c = s_.Colour;
                if (a != b) canvas_.Line(a, b, c);
            }
            Remember(i);
        }
        if (labels_ && s_.Marks.Visible) s_.DrawLabels(view_, canvas_, first, last);
    }

    void Remember(int i) {
        prevH_ = s_.H(i);
        prevV_ = s_.V(i);
        prevColour_ = s_.PointColour(i);
    }

    // A segment whose box misses the kept pixels: left out before it is clipped, so that
    // what is drawn is clipped exactly as in a whole paint.
    bool Culled(double h0, double v0, double h1, double v1) const {
        return culling_ && (std::max(h0, h1) < cull_.HMin || std::min(h0, h1) > cull_.HMax ||
                            std::max(v0, v1) < cull_.VMin || std::min(v0, v1) > cull_.VMax);
    }

    void Segment(int i) {
        const TColour c = s_.PointColour(i);
        double h0 = prevH_, v0 = prevV_, h1 = s_.H(i), v1 = s_.V(i);
        if (Culled(h0, v0, h1, v1)) return;
        if (!ClipSegment(h0, v0, h1, v1, w_)) return;
        const QPoint a = view_.ToPixelRounded(h0, v0), b = view_.ToPixelRounded(h1, v1);
        if (a != b && c != kClNone) canvas_.Line(a, b, c == kClDefault ? s_.Colour : c);
    }

    void PointSymbol(int i) {
        const TColour c = s_.PointColour(i);
        if (c == kClNone) return;
        const double h = s_.H(i), v = s_.V(i);
        if (!Inside(h, v, w_) || (culling_ && !Inside(h, v, cull_))) return;
        const TColour fill =
            s_.Symbol.Fill == kClDefault ? (c == kClDefault ? s_.Colour : c) : s_.Symbol.Fill;
        canvas_.Symbol(view_.ToPixelRounded(h, v), s_.Symbol, fill);
    }

    const S& s_;
    const TChartView& view_;
    TCanvas& canvas_;
    TClipWindow w_;
    TClipWindow cull_;
    bool culling_ = false;
    bool labels_;
    double prevH_ = 0, prevV_ = 0;
    TColour prevColour_ = kClNone;
};

}  // namespace

namespace {

// Points first..last (all when last < 0) of an active series through its safe base.
template <class S>
void Walk(const S& s, const TChartView& view, TCanvas& canvas, int first, int last) {
    const int n = s.Count();
    if (!s.Active || n == 0) return;
    if (last < 0 || last >= n) last = n - 1;
    first = std::max(0, first);
    if (first > last) return;
    SafeWalk<S>(s, view, canvas).Run(first, last);
}

}  // namespace

void TChartSeries::DrawLabels(const TChartView& view, TCanvas& canvas, int first, int last) const {
    const TClipWindow w = WindowOf(view);
    auto label = [&](int i, TLabelRule rule) {
        if (PointColour(i) == kClNone) return;
        const double h = H(i), v = V(i);
        if (Inside(h, v, w)) canvas.Label(view.ToPixelRounded(h, v), Label(i), Marks, rule);
    };
    // The newest cut's number is the one the crew looks for: it never yields and is drawn
    // over the others. It takes its room after them, so the labels before it do not depend
    // on it: a cut added changes only the labels of the newest point before and after.
    const bool newest = kind_ == TSeriesKind::LineLine && last == Count() - 1 && last >= first;
    for (int i = first; i <= (newest ? last - 1 : last); ++i) label(i, TLabelRule::Yield);
    if (newest) label(last, TLabelRule::Always);
}

void TChartSeries::Draw(const TChartView& view, TCanvas& canvas, int first, int last) const {
    Walk(*this, view, canvas, first, last);
}

const std::vector<TClipWindow>& TPointListSeries::ChunkBoxes() const {
    if (boxesRevision_ == Revision() &&
        boxes_.size() == (points_.size() + kChunk - 1) / static_cast<size_t>(kChunk))
        return boxes_;
    constexpr double inf = std::numeric_limits<double>::infinity();
    boxes_.assign((points_.size() + kChunk - 1) / kChunk, TClipWindow{inf, -inf, inf, -inf});
    for (size_t i = 0; i < points_.size(); ++i) {
        const double h = points_[i].H, v = points_[i].V;
        // A point enters its own chunk's box and, as a segment's start, the next one's.
        for (size_t c = i / kChunk; c <= (i + 1) / kChunk && c < boxes_.size(); ++c) {
            TClipWindow& b = boxes_[c];
            if (std::isnan(h) || std::isnan(v)) {  // never left out: drawn as it always was
                b = {-inf, inf, -inf, inf};
                continue;
            }
            b.HMin = std::min(b.HMin, h);
            b.HMax = std::max(b.HMax, h);
            b.VMin = std::min(b.VMin, v);
            b.VMax = std::max(b.VMax, v);
        }
    }
    boxesRevision_ = Revision();
    return boxes_;
}

void TPointListSeries::Draw(const TChartView& view, TCanvas& canvas, int first, int last) const {
    const int n = Count();
    // Bubbles reach past their point; short lists cost nothing to walk.
    if (n < 4 * kChunk || Base() == TSeriesBase::Bubble || !Active) {
        Walk(*this, view, canvas, first, last);
        return;
    }
    if (last < 0 || last >= n) last = n - 1;
    first = std::max(0, first);
    if (first > last) return;
    // A chunk whose box misses the window has no segment that clips into it and no point
    // inside it, so it draws nothing: runs of the others are walked as one walk would, and
    // the labels come after every segment and symbol, as they do in one walk.
    const std::vector<TClipWindow>& boxes = ChunkBoxes();
    const TClipWindow w = WindowOf(view);
    SafeWalk<TPointListSeries> walk(*this, view, canvas, false);
    int from = -1;
    for (int c = first / kChunk; c <= last / kChunk; ++c) {
        const TClipWindow& b = boxes[static_cast<size_t>(c)];
        const bool seen =
            b.HMax >= w.HMin && b.HMin <= w.HMax && b.VMax >= w.VMin && b.VMin <= w.VMax;
        const int start = std::max(first, c * kChunk);
        if (seen && from < 0) from = start;
        if (!seen && from >= 0) {
            walk.Run(from, start - 1);
            from = -1;
        }
    }
    if (from >= 0) walk.Run(from, last);
    if (Marks.Visible) DrawLabels(view, canvas, first, last);
}

void TPointListSeries::SetPointColour(int i, TColour c) {
    if (i >= 0 && i < Count()) points_[static_cast<size_t>(i)].Colour = c;
    Changed();
}

void TPointListSeries::Add(double h, double v, const QString& label, TColour colour) {
    points_.push_back({h, v, label, colour});
    Changed();
}

void TPointListSeries::SetPoint(int i, double h, double v) {
    if (i < 0 || i >= Count()) return;
    points_[static_cast<size_t>(i)].H = h;
    points_[static_cast<size_t>(i)].V = v;
    Changed();
}

void TPointListSeries::Delete(int i) {
    if (i >= 0 && i < Count()) points_.erase(points_.begin() + i);
    Changed();
}

// --- the kinds ---------------------------------------------------------------------------

TMoveObjectSeries::TMoveObjectSeries(TTickSource clock)
    : TPointListSeries(TSeriesKind::MoveObject, TSeriesBase::Point), clock_(std::move(clock)) {
    Title = QStringLiteral("移動体");
    Colour = kClRed;
    Symbol = {true, TSymbolStyle::Circle, kLargestSize, kLargestSize, kClAqua, kClRed};
    Marks.Visible = false;
}

void TMoveObjectSeries::AddPosition(const QString& label, double h, double v) {
    lastH_ = h;
    lastV_ = v;
    Add(h, v, label);
    past_.push_back(clock_ ? clock_() : 0);
    RemoveOldPoints();
}

void TMoveObjectSeries::RemoveOldPoints() {
    const std::int64_t now = clock_ ? clock_() : 0;
    size_t drop = 0;
    while (drop < past_.size() && past_[drop] < now - kRetentionMs) ++drop;
    if (drop == 0) return;
    past_.erase(past_.begin(), past_.begin() + static_cast<std::ptrdiff_t>(drop));
    points_.erase(points_.begin(), points_.begin() + static_cast<std::ptrdiff_t>(drop));
    Changed();
}

int TMoveObjectSeries::SymbolSize(int i, int n) {
    return std::max(1, kLargestSize - (n - 1 - i));
}

void TMoveObjectSeries::Draw(const TChartView& view, TCanvas& canvas, int first, int last) const {
    const int n = Count();
    if (!Active || n == 0) return;
    if (last < 0 || last >= n) last = n - 1;
    const TClipWindow w = WindowOf(view);
    TSymbol sym = Symbol;
    for (int i = std::max(0, first); i <= last; ++i) {
        const TSeriesPoint& p = points_[static_cast<size_t>(i)];
        if (!Inside(p.H, p.V, w)) continue;
        sym.HSize = sym.VSize = SymbolSize(i, n);
        canvas.Symbol(view.ToPixelRounded(p.H, p.V), sym, Symbol.Fill);
    }
}

TRegionLineSeries::TRegionLineSeries(int region)
    : TPointListSeries(TSeriesKind::RegionLine, TSeriesBase::FastLine), region_(region) {
    Title = QStringLiteral("区域") + QString::number(region);
    Colour = kClLime;
    Marks = {false, 0, kClBlack};
}

TGuideLineSeries::TGuideLineSeries() : TPointListSeries(TSeriesKind::GuideLine, TSeriesBase::Line) {
    Title = QStringLiteral("誘導線");
    Colour = kClRed;
    Symbol = {true, TSymbolStyle::Cross, 4, 4, kClBlack, kClDefault};
    Marks = {false, 8, kClBlack};
}

TOriginSeries::TOriginSeries() : TPointListSeries(TSeriesKind::Origin, TSeriesBase::Point) {
    Title = QStringLiteral("基準点");
    Colour = kClAqua;
    Symbol = {true, TSymbolStyle::Circle, 4, 4, kClBlack, kClDefault};
    Marks = {false, 8, kClBlack};
}

TRemPointSeries::TRemPointSeries() : TPointListSeries(TSeriesKind::RemPoint, TSeriesBase::Point) {
    Title = QStringLiteral("異常点");
    Colour = kClLime;
    Symbol = {true, TSymbolStyle::Square, 4, 4, kClBlack, kClDefault};
    Marks = {false, 8, kClBlack};
}

THotSpotSeries::THotSpotSeries() : TPointListSeries(TSeriesKind::HotSpot, TSeriesBase::Point) {
    Title = QStringLiteral("未測点");
    Colour = kClFuchsia;
    Symbol = {true, TSymbolStyle::Triangle, 4, 4, kClBlack, kClDefault};
    Marks = {false, 8, kClBlack};
}

TRulerSeries::TRulerSeries() : TPointListSeries(TSeriesKind::Ruler, TSeriesBase::Line) {
    Title = QStringLiteral("計画線");
    Colour = kClRed;
    Symbol.Visible = false;
    Marks.Visible = false;
}

TMeasureSeries::TMeasureSeries() : TChartSeries(TSeriesKind::Measure, TSeriesBase::Bubble) {
    Title = QStringLiteral("円定規");
    Colour = kClAqua;
    Symbol = {true, TSymbolStyle::Circle, 0, 0, kClAqua, kClNone};
    Marks.Visible = false;
    HandCursor = false;
}

void TMeasureSeries::Draw(const TChartView& view, TCanvas& canvas, int, int) const {
    if (!Active) return;
    const TExtent a = view.Axes();
    if (!(radius_ < std::max(a.YMax - a.YMin, a.XMax - a.XMin))) return;
    const QPointF tl = view.ToPixel(h_ - radius_, v_ + radius_);
    const QPointF br = view.ToPixel(h_ + radius_, v_ - radius_);
    canvas.Ellipse(QRectF(tl, br).normalized(), Colour);
}

TLineLineSeries::TLineLineSeries(int firstRecord, const TCutStore& cuts,
                                 const TSokusenColl* records)
    : TChartSeries(TSeriesKind::LineLine, TSeriesBase::Line),
      cuts_(cuts),
      records_(records),
      first_(firstRecord) {
    Title = QString::number(firstRecord);
    Colour = kClYellow;
    Marks = {true, 0, kClBlack};
    ShowPointers();
}

double TLineLineSeries::H(int i) const {
    return cuts_.Y(first_ + i);
}
double TLineLineSeries::V(int i) const {
    return cuts_.X(first_ + i);
}

QString TLineLineSeries::Label(int i) const {
    const int r = first_ + i;
    if (!records_ || r < 0 || r >= records_->Count()) return {};
    return QString::number(records_->Item(r).CutNo);
}

TColour TLineLineSeries::PointColour(int i) const {
    if (!overrides_.empty()) {
        const auto it = overrides_.find(i);
        if (it != overrides_.end()) return it->second;
    }
    return depthColours_ ? depthColours_->Of(first_ + i) : kClDefault;
}

void TLineLineSeries::SetDepthColours(const TDepthColours* colours) {
    if (!colours && !depthColours_) return;
    depthColours_ = colours;  // the same colours with new values are a change too
    Changed();
}

void TLineLineSeries::SetPointColour(int i, TColour c) {
    if (i < 0 || i >= count_) return;
    if (c == kClDefault)
        overrides_.erase(i);
    else
        overrides_[i] = c;
    Changed();
}

void TLineLineSeries::DrawRuns(const TChartView& view, TCanvas& canvas, int from, int to) const {
    for (int first = from; first < std::min(to, count_); first += kRun)
        Draw(view, canvas, first, std::min({to, count_, first + kRun}) - 1);
}

void TLineLineSeries::ShowPointers() {
    Symbol = {true, TSymbolStyle::DiagCross, 3, 3, kClBlack, kClDefault};
}

void TLineLineSeries::SetFast(bool fast) {
    if (fast == Fast()) return;
    if (fast) {
        SetBase(TSeriesBase::FastLine);
        Colour = kClWhite;
        Marks.Visible = false;
        Symbol.Visible = false;
        HandCursor = false;
        Clickable = false;
    } else {
        SetBase(TSeriesBase::Line);
        HandCursor = true;
        Clickable = true;
        ShowPointers();
    }
}

}  // namespace tidrun
