#include "planview/planscene.h"

#include <algorithm>
#include <cmath>

#include "planview/chartview.h"
#include "planview/cutstore.h"
#include "surveydata/pointcoll.h"
#include "surveydata/sokusencoll.h"

namespace tidrun {

TColour MarkNumberToColour(int number) {
    const auto n = static_cast<std::uint32_t>(number);
    return ((n & 0xFF) << 16) | (n & 0xFF00) | ((n >> 16) & 0xFF);
}

double AxisMinimum(double m) {
    const double hundreds = m >= 0 ? std::trunc(m / 100) : std::trunc((m - 100) / 100);
    return hundreds * 100 - 100;
}

double AxisMaximum(double m) {
    return m + 100;
}

TPlanScene::TPlanScene(TTickSource clock) : clock_(std::move(clock)) {}
TPlanScene::~TPlanScene() = default;

template <class S, class... A>
S* TPlanScene::Append(A&&... args) {
    auto s = std::make_unique<S>(std::forward<A>(args)...);
    S* raw = s.get();
    series_.push_back(std::move(s));
    Changed();
    return raw;
}

int TPlanScene::IndexOf(const TChartSeries* s) const {
    // From the back: the series looked for (the open line, the boat) were added last, and
    // a season's ten thousand lines lie before them.
    for (size_t i = series_.size(); i-- > 0;)
        if (series_[i].get() == s) return static_cast<int>(i);
    return -1;
}

void TPlanScene::BringToFront(const TChartSeries* s) {
    const int i = IndexOf(s);
    if (i < 0 || i == static_cast<int>(series_.size()) - 1) return;
    std::swap(series_[static_cast<size_t>(i)], series_.back());
    Changed();
}

void TPlanScene::Remove(const TChartSeries* s) {
    const int i = IndexOf(s);
    if (i < 0) return;
    if (i <= finished_ && s->Kind() == TSeriesKind::LineLine) --finished_;
    series_.erase(series_.begin() + i);
    Changed();
}

void TPlanScene::Build(const TPlanSources& sources, bool recording, TChartView& view) {
    sources_ = sources;
    series_.clear();
    circle_ = nullptr;
    reference_ = nullptr;
    buoys_ = nullptr;
    marks_ = nullptr;
    rulers_[0] = rulers_[1] = rulers_[2] = nullptr;
    boat_ = nullptr;
    open_ = nullptr;
    guide_ = nullptr;
    finished_ = 0;
    Changed();

    TWorld world;
    world.SetDefault(0, 0, 100, 100);
    circle_ = Append<TMeasureSeries>();
    circle_->SetCentre(0, 0);
    circle_->SetRadius(1);

    if (sources.Tansa) {
        TRegionLineSeries* region = nullptr;
        auto close = [&region] {
            if (region && region->Count() > 0) {
                const TSeriesPoint first = region->Points().front();
                region->Add(first.H, first.V, first.Label);
            }
        };
        for (const TTansa& p : sources.Tansa->Items()) {
            if (!region || p.Region != region->Region()) {
                close();
                region = Append<TRegionLineSeries>(p.Region);
            }
            region->Add(p.Y, p.X, p.Name);
            world.Add(p.X, p.Y);
        }
        close();
    }
    reference_ = Append<TOriginSeries>();
    if (sources.Kijun)
        for (const TKijun& p : sources.Kijun->Items()) reference_->Add(p.Y, p.X, p.Name);
    buoys_ = Append<TRemPointSeries>();
    if (sources.Ijo)
        for (const TIjo& p : sources.Ijo->Items()) buoys_->Add(p.Y, p.X, p.Name);
    marks_ = Append<THotSpotSeries>();
    ReloadMarks();

    // Replay the recorded lines, one run of a line name at a time.
    if (sources.Cuts && sources.Sokusen) {
        sources.Cuts->SyncFrom(*sources.Sokusen);
        const std::vector<int>& starts = sources.Cuts->LineStarts();
        const int total = sources.Cuts->Count();
        for (size_t k = 0; k < starts.size(); ++k) {
            const int end = k + 1 < starts.size() ? starts[k + 1] : total;
            StartLine(starts[k]);
            open_->SetCount(end - starts[k]);
        }
        if (!recording) FinishLine();
    }
    depthsSeen_ = 0;
    hasRange_ = false;
    ApplyDepthRange(false);

    world_ = {world.Xmin(), world.Xmax(), world.Ymin(), world.Ymax()};
    view.SetVertical(AxisMinimum(world_.XMin), AxisMaximum(world_.XMax));
    view.SetHorizontal(AxisMinimum(world_.YMin), AxisMaximum(world_.YMax));

    for (int k = 0; k < 3; ++k) {
        rulers_[k] = Append<TRulerSeries>();
        rulers_[k]->Add(0, 0, QString::number(2 * k));
        rulers_[k]->Add(0, 0, QString::number(2 * k + 1));
        rulers_[k]->Active = false;
    }
    view.SaveOriginAxisSize();
    view.SaveCurrentAxisSize();
    // RecalcAxis as on a resize (both extents are the new one now), so that the axis
    // labels' widths follow the new limits.
    view.Resize(view.WidgetSize());
}

void TPlanScene::CreateBoat() {
    if (boat_) Remove(boat_);
    boat_ = Append<TMoveObjectSeries>(clock_);
    boat_->SetTitle(QStringLiteral("移動体"));
}

void TPlanScene::ReloadMarks() {
    if (!marks_) return;
    marks_->Clear();
    if (sources_.Misoku)
        for (const TMisoku& m : sources_.Misoku->Items())
            marks_->Add(m.Y, m.X, m.Name, MarkNumberToColour(m.Number));
    ++revision_;
}

void TPlanScene::StartLine(int recordIndex) {
    FinishLine();
    open_ = Append<TLineLineSeries>(recordIndex, *sources_.Cuts, sources_.Sokusen);
    open_->SetCount(1);
    if (depthOn_ && hasRange_) open_->SetDepthColours(&colours_);
    if (boat_) BringToFront(boat_);
}

void TPlanScene::AddCut(int recordIndex) {
    if (!sources_.Cuts || !sources_.Sokusen) return;
    if (recordIndex < 0 || recordIndex >= sources_.Sokusen->Count()) return;
    sources_.Cuts->SyncFrom(*sources_.Sokusen);
    const bool newLine =
        recordIndex == 0 || !open_ ||
        sources_.Sokusen->LineName(recordIndex) != sources_.Sokusen->LineName(recordIndex - 1);
    if (newLine)
        StartLine(recordIndex);
    else  // the open line is drawn live: the static pictures stay
        open_->SetCount(std::max(open_->Count(), recordIndex - open_->FirstRecord() + 1));
    // A cut past the job's range widens it: every line is coloured again.
    if (depthOn_ && ApplyDepthRange(true)) Changed();
}

void TPlanScene::SetDepthColouring(bool on, std::optional<TDepthRange> typed) {
    depthOn_ = on;
    typedRange_ = typed;
    depthsSeen_ = 0;
    hasRange_ = false;
    ApplyDepthRange(false);
    Changed();
}

bool TPlanScene::ApplyDepthRange(bool widenOnly) {
    const TDepthRange before = range_;
    const bool had = hasRange_;
    if (!depthOn_) {
        hasRange_ = false;
    } else if (typedRange_) {
        range_ = *typedRange_;
        hasRange_ = true;
    } else if (sources_.Cuts && sources_.Cuts->HasDepths()) {
        // Only the records not yet taken in are read: a cut costs the same at any count.
        const std::vector<float>& d = sources_.Cuts->Depths();
        const int n = static_cast<int>(d.size());
        for (int i = depthsSeen_; i < n; ++i) {
            const float v = d[static_cast<std::size_t>(i)];
            if (std::isnan(v)) continue;
            if (!hasRange_) {
                range_ = {v, v};
                hasRange_ = true;
            }
            range_.shallow = std::min(range_.shallow, v);
            range_.deep = std::max(range_.deep, v);
        }
        depthsSeen_ = n;
    }
    // A single depth still spans a ramp.
    if (hasRange_ && !typedRange_ && range_.deep - range_.shallow < 1e-3f) {
        if (const auto r = DepthRangeOf({range_.shallow})) range_ = *r;
    }
    const bool changed =
        had != hasRange_ || before.shallow != range_.shallow || before.deep != range_.deep;
    // Each record's step: all again when the range changed, else the new ones only.
    std::vector<std::uint8_t>& levels = colours_.levels;
    if (!hasRange_ || !sources_.Cuts) {
        levels.clear();
    } else {
        if (changed) {
            levels.clear();
            for (int l = 0; l < kDepthLevels; ++l)
                colours_.palette[l + 1] = DepthLevelColour(l, range_) & 0xFFFFFFu;
        }
        const int n = sources_.Cuts->Count();
        levels.reserve(static_cast<std::size_t>(n));
        for (int i = static_cast<int>(levels.size()); i < n; ++i) {
            const float d = sources_.Cuts->Depth(i);
            levels.push_back(std::isnan(d) ? 0 : std::uint8_t(DepthLevel(d, range_) + 1));
        }
    }
    if (widenOnly && !changed) return false;
    for (auto& s : series_)
        if (s->Kind() == TSeriesKind::LineLine)
            static_cast<TLineLineSeries*>(s.get())->SetDepthColours(hasRange_ ? &colours_
                                                                              : nullptr);
    return changed;
}

void TPlanScene::FinishLine() {
    if (!open_) return;
    open_->Colour = kClWhite;
    open_->Marks.Visible = false;
    if (rapid_) open_->SetFast(true);
    const int from = IndexOf(open_);
    const int to = finished_ + 1;
    if (from > to) {
        std::rotate(series_.begin() + to, series_.begin() + from, series_.begin() + from + 1);
    }
    finished_ = std::min(to, from);
    open_ = nullptr;
    Changed();
}

void TPlanScene::SetRapid(bool on) {
    rapid_ = on;
    for (int i = 1; i <= finished_ && i < static_cast<int>(series_.size()); ++i) {
        TChartSeries* s = series_[static_cast<size_t>(i)].get();
        if (s->Kind() == TSeriesKind::LineLine) static_cast<TLineLineSeries*>(s)->SetFast(on);
    }
    Changed();
}

TGuideLineSeries* TPlanScene::EnsureGuideLine() {
    if (!guide_) {
        guide_ = Append<TGuideLineSeries>();
        if (boat_) BringToFront(boat_);
    }
    return guide_;
}

void TPlanScene::DeleteGuideLine() {
    if (!guide_) return;
    Remove(guide_);
    guide_ = nullptr;
}

}  // namespace tidrun
