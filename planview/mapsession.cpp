#include "planview/mapsession.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "planview/angles.h"
#include "planview/cutstore.h"
#include "planview/infotext.h"
#include "planview/maphost.h"
#include "planview/paintplan.h"
#include "planview/plannedline.h"
#include "platform/messagesink.h"
#include "surveydata/config.h"
#include "surveydata/pointcoll.h"
#include "surveydata/sokusencoll.h"

namespace tidrun {

namespace {

QColor ToQColor(TColour c) {
    return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

std::optional<TPopupKind> PopupKindOf(const TChartSeries* s) {
    if (!s) return std::nullopt;
    switch (s->Kind()) {
        case TSeriesKind::HotSpot:
            return TPopupKind::Mark;
        case TSeriesKind::RemPoint:
            return TPopupKind::Buoy;
        case TSeriesKind::Origin:
            return TPopupKind::Reference;
        case TSeriesKind::GuideLine:
            return TPopupKind::GuideLine;
        case TSeriesKind::LineLine:
            return TPopupKind::SurveyLine;
        default:
            return std::nullopt;
    }
}

}  // namespace

TMapSession::TMapSession(TMapHost& host, MessageSink& sink, TPlanSources sources, TTickSource clock)
    : host_(host), sink_(sink), sources_(std::move(sources)), scene_(std::move(clock)) {
    Build();
}

TMapSession::~TMapSession() = default;

void TMapSession::Build() {
    scene_.Build(sources_, host_.RecordedLineOpen(), view_);
    scene_.CreateBoat();
    scene_.Boat()->SetTitle(QStringLiteral("移動体"));
    if (auto* c = scene_.CircleRuler()) c->SetRadius(diameter_ / 2.0);
    buoyIndex_ = guideIndex_ = -1;
    clicked_ = pendingInfo_ = {};
    hasBoat_ = false;
    ApplySwitches();
    ApplyRuler();
}

// --- messages ----------------------------------------------------------------------------

TRepaint TMapSession::BoatPos(std::int32_t xMillimetres, std::int32_t yMillimetres) {
    const double x = xMillimetres / 1000.0, y = yMillimetres / 1000.0;
    scene_.Boat()->AddPosition(QStringLiteral("移動体"), y, x);
    hasBoat_ = true;
    if (autoMove_ && view_.Follow(x, y)) {
        view_.FitLabelsKeepingScale();
        return TRepaint::All;
    }
    return TRepaint::Boat;
}

TRepaint TMapSession::LineEnd() {
    scene_.FinishLine();
    return TRepaint::All;
}

TRepaint TMapSession::CutAdded(int recordIndex) {
    if (!sources_.Sokusen || recordIndex < 0 || recordIndex >= sources_.Sokusen->Count())
        return TRepaint::None;
    const TLineLineSeries* before = scene_.OpenLine();
    const int shown = before ? before->Count() - 1 : -1;
    scene_.AddCut(recordIndex);
    // A cut on the open line changes only the line's end; a new line rebuilds the picture.
    const TLineLineSeries* open = scene_.OpenLine();
    if (!open || open != before || shown < 0) return TRepaint::All;
    repaintRect_ = GrowthRect(view_, *open, shown, open->Count() - 1);
    return repaintRect_.isEmpty() ? TRepaint::None : TRepaint::Region;
}

TRepaint TMapSession::TrimTrail() {
    scene_.Boat()->RemoveOldPoints();
    return TRepaint::Boat;
}

TRepaint TMapSession::MisokuChanged() {
    scene_.ReloadMarks();
    // The clicked point may be gone with the mark it named.
    ForgetClicksOn(scene_.Marks());
    return TRepaint::All;
}

TRepaint TMapSession::Rebuild() {
    Build();
    return TRepaint::All;
}

TRepaint TMapSession::FitAll() {
    view_.UnDoZoom();
    view_.FitLabels(view_.Origin());
    return TRepaint::All;
}

void TMapSession::Highlight(TChartSeries* s, int& current, int index, TColour normal) {
    if (!s) return;
    if (current >= 0 && current < s->Count()) s->SetPointColour(current, normal);
    current = -1;
    if (index >= 0 && index < s->Count()) {
        s->SetPointColour(index, kClRed);
        current = index;
    }
    scene_.Touch();
}

TRepaint TMapSession::RemPoint(int buoyIndex) {
    Highlight(scene_.Buoys(), buoyIndex_, buoyIndex, kClLime);
    return TRepaint::All;
}

TRepaint TMapSession::RefPoint(int guideIndex) {
    Highlight(scene_.Reference(), guideIndex_, guideIndex, kClAqua);
    return TRepaint::All;
}

TRepaint TMapSession::CircleSize(int diameter) {
    diameter_ = diameter;
    scene_.CircleRuler()->SetRadius(diameter / 2.0);
    scene_.Touch();
    return TRepaint::All;
}

TRepaint TMapSession::Ruler(const TRulerRect& segment, const TRulerRect& extent) {
    rulerSegment_ = segment;
    rulerExtent_ = extent;
    ApplyRuler();
    return TRepaint::All;
}

void TMapSession::ApplyRuler() {
    TRulerSeries* line = scene_.PlannedLine();
    TRulerSeries* left = scene_.LeftLine();
    TRulerSeries* right = scene_.RightLine();
    if (!line || !left || !right) return;
    auto set = [](TRulerSeries* s, const TRulerRect& r, const char* a, const char* b) {
        s->Clear();
        s->Add(r.Y0, r.X0, QString::fromLatin1(a));
        s->Add(r.Y1, r.X1, QString::fromLatin1(b));
    };
    set(line, rulerSegment_, "0", "1");
    const int width = host_.RulerWidth();
    const TOffsetLines off =
        PlannedLineOffsets(rulerSegment_, rulerExtent_, PackedToDegrees(host_.RulerAngle()), width);
    set(left, off.left, "2", "3");
    set(right, off.right, "4", "5");
    line->Active = plannedLine_;
    left->Active = right->Active = off.shown && plannedLine_;
    scene_.Touch();
}

void TMapSession::ApplySwitches() {
    if (auto* c = scene_.CircleRuler()) c->Active = circleRuler_;
    if (scene_.Rapid() != rapid_) scene_.SetRapid(rapid_);
    ApplyRuler();
    scene_.Touch();
}

TRepaint TMapSession::ZoomIn() {
    return ZoomPercent(120);
}

TRepaint TMapSession::ZoomOut() {
    return ZoomPercent(50);
}

TRepaint TMapSession::ZoomPercent(double p) {
    view_.ZoomPercent(p);
    const TExtent requested = view_.Axes();
    view_.RecalcAxis();
    view_.FitLabels(requested);
    return TRepaint::All;
}

TRepaint TMapSession::ZoomRem() {
    const TChartSeries* buoys = scene_.Buoys();
    // Without a highlighted buoy point, or before the boat has a position (its last
    // position would be the origin of the zone), there is nothing to frame.
    if (!buoys || buoyIndex_ < 0 || buoyIndex_ >= buoys->Count() || !hasBoat_)
        return TRepaint::None;
    const TMoveObjectSeries* boat = scene_.Boat();
    const double h0 = std::min(boat->LastH(), buoys->H(buoyIndex_));
    const double h1 = std::max(boat->LastH(), buoys->H(buoyIndex_));
    const double v0 = std::min(boat->LastV(), buoys->V(buoyIndex_));
    const double v1 = std::max(boat->LastV(), buoys->V(buoyIndex_));
    const double dh = (h1 - h0) / 10, dv = (v1 - v0) / 10;
    const QPointF topLeft = view_.ToPixel(h0 - dh, v1 + dv);
    const QPointF bottomRight = view_.ToPixel(h1 + dh, v0 - dv);
    const bool zoomed =
        view_.CalcZoomPoints(topLeft, bottomRight) == TChartView::ZoomResult::Zoomed;
    if (!zoomed) sink_.Warning(ZoomLimitWarning());
    view_.RecalcAxis();
    if (zoomed) view_.FitLabels({v0 - dv, v1 + dv, h0 - dh, h1 + dh});
    return TRepaint::All;
}

TRepaint TMapSession::MapColor(const QColor& colour) {
    mapColour_ = colour;
    return TRepaint::All;
}

// --- switches ------------------------------------------------------------------------------

void TMapSession::SetCircleRuler(bool on) {
    circleRuler_ = on;
    // Shown, it has the diameter the main window's field holds, not the 1 m it starts with.
    if (on) CircleSize(host_.CircleDiameter());
    ApplySwitches();
}

void TMapSession::SetPlannedLine(bool on) {
    plannedLine_ = on;
    ApplySwitches();
}

void TMapSession::SetRapidMode(bool on) {
    rapid_ = on;
    ApplySwitches();
    // A line drawn fast no longer reacts to clicks.
    clicked_ = pendingInfo_ = {};
}

// --- mouse and keys ------------------------------------------------------------------------

TMapSession::THit TMapSession::HitTest(QPoint pixel) const {
    const auto& all = scene_.Series();
    const QRect plot = view_.PlotRect();
    if (!plot.contains(pixel)) return {};
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        const TChartSeries* s = it->get();
        if (!s->Active || !s->Clickable || !PopupKindOf(s)) continue;
        if (s->Kind() == TSeriesKind::LineLine && static_cast<const TLineLineSeries*>(s)->Fast())
            continue;
        const int reach = std::max({s->Symbol.HSize, s->Symbol.VSize, 3}) + 1;
        int best = -1;
        double bestD = 0;
        // Points lo..hi-1, last first: the nearest within reach, the later of equals.
        auto nearest = [&](int lo, int hi) {
            for (int i = hi - 1; i >= lo; --i) {
                if (s->PointColour(i) == kClNone) continue;
                const QPointF p = view_.ToPixel(s->H(i), s->V(i));
                const double dx = std::abs(p.x() - pixel.x()), dy = std::abs(p.y() - pixel.y());
                if (dx > reach || dy > reach) continue;
                const double d = dx * dx + dy * dy;
                if (best < 0 || d < bestD) {
                    best = i;
                    bestD = d;
                }
            }
        };
        if (s->Kind() == TSeriesKind::LineLine) {
            // A recorded line is looked at only in the cut store's chunks whose box comes
            // within reach (and a pixel more) of the mouse: the mouse is asked about on every
            // move, and a season's lines hold millions of cuts.
            const auto* line = static_cast<const TLineLineSeries*>(s);
            const TCutStore& store = line->Cuts();
            const double h = view_.HValue(pixel.x()), v = view_.VValue(pixel.y());
            const double rh = (reach + 1) / std::max(std::abs(view_.HScale()), 1e-12),
                         rv = (reach + 1) / std::max(std::abs(view_.VScale()), 1e-12);
            constexpr int kc = TCutStore::kChunkCuts;
            const int first = line->FirstRecord(), end = first + line->Count();
            for (int c = end > first ? (end - 1) / kc : -1; c >= 0 && (c + 1) * kc > first; --c) {
                const TCutStore::Box& b = store.ChunkBox(c);
                if (h < b.HMin - rh || h > b.HMax + rh || v < b.VMin - rv || v > b.VMax + rv)
                    continue;
                nearest(std::max(first, c * kc) - first, std::min(end, (c + 1) * kc) - first);
            }
        } else {
            nearest(0, s->Count());
        }
        if (best >= 0) return {s, best};
    }
    return {};
}

void TMapSession::Press(TButton button, QPoint pixel) {
    pressed_ = button;
    dragging_ = button;
    pressAt_ = lastAt_ = pixel;
    clicked_ = HitTest(pixel);
}

TRepaint TMapSession::Move(QPoint pixel) {
    TRepaint repaint = TRepaint::None;
    if (dragging_ != TButton::None && pixel != pressAt_) pressed_ = TButton::None;
    if (dragging_ == TButton::Right && pixel != lastAt_) {
        const QPoint d = pixel - lastAt_;
        if (view_.HScale() != 0) view_.ScrollHorizontal(-d.x() / view_.HScale());
        if (view_.VScale() != 0) view_.ScrollVertical(-d.y() / view_.VScale());
        view_.FitLabelsKeepingScale();
        repaint = TRepaint::All;
    }
    if (dragging_ == TButton::Left) repaint = TRepaint::All;
    lastAt_ = pixel;
    if (circleRuler_) {
        scene_.CircleRuler()->SetCentre(view_.HValue(pixel.x()), view_.VValue(pixel.y()));
        scene_.Touch();
        repaint = TRepaint::All;
    }
    return repaint;
}

QRect TMapSession::DragRect() const {
    if (dragging_ != TButton::Left || pressed_ != TButton::None) return {};
    return QRect(pressAt_, lastAt_).normalized();
}

TMapSession::TRelease TMapSession::Release(TButton button, QPoint pixel) {
    TRelease r;
    const bool moved = pressed_ == TButton::None;
    const TButton dragged = dragging_;
    pressed_ = dragging_ = TButton::None;
    if (button != dragged) return r;
    if (moved) {
        if (button == TButton::Left) {
            // The dragged rectangle in the world, before the zoom changes the view.
            const TExtent rect{view_.VValue(pixel.y()), view_.VValue(pressAt_.y()),
                               view_.HValue(pressAt_.x()), view_.HValue(pixel.x())};
            switch (view_.FinishZoomDrag(pressAt_, pixel)) {
                case TChartView::ZoomResult::Refused:
                    sink_.Warning(ZoomLimitWarning());
                    break;
                case TChartView::ZoomResult::Ignored:
                    break;
                case TChartView::ZoomResult::Zoomed:
                    view_.FitLabels(rect);
                    r.what = TRelease::What::Zoomed;
                    break;
                case TChartView::ZoomResult::Undone:
                    view_.FitLabels(view_.Origin());
                    r.what = TRelease::What::Zoomed;
                    break;
            }
        } else {
            r.what = TRelease::What::Panned;
        }
        r.repaint = TRepaint::All;
        return r;
    }
    const auto kind = PopupKindOf(clicked_.series);
    if (button == TButton::Left) {
        if (kind) {
            r.what = TRelease::What::Info;
            pendingInfo_ = clicked_;
        }
        return r;
    }
    r.what = TRelease::What::Popup;
    if (kind) {
        r.popup = *kind;
    } else {
        clickedX_ = view_.VValue(pixel.y());
        clickedY_ = view_.HValue(pixel.x());
        r.popup = TPopupKind::Chart;
    }
    return r;
}

void TMapSession::EnterKey() {
    if (host_.Recording()) host_.CutCommand();
}

bool TMapSession::ClickedPoint(double& x, double& y) const {
    const TChartSeries* s = clicked_.series;
    if (!s || clicked_.index < 0 || clicked_.index >= s->Count()) return false;
    x = s->V(clicked_.index);
    y = s->H(clicked_.index);
    return true;
}

void TMapSession::ForgetClicksOn(const TChartSeries* series) {
    if (clicked_.series == series) clicked_ = {};
    if (pendingInfo_.series == series) pendingInfo_ = {};
}

void TMapSession::ShowPendingInfo() {
    const THit hit = std::exchange(pendingInfo_, {});
    const TChartSeries* s = hit.series;
    const int i = hit.index;
    if (!s || i < 0 || i >= s->Count()) return;
    const std::optional<TGuideRef> guide =
        guideIndex_ >= 0 && sources_.Kijun
            ? std::optional<TGuideRef>(GuideRefOf(*sources_.Kijun, guideIndex_))
            : std::nullopt;
    switch (s->Kind()) {
        case TSeriesKind::HotSpot:
            if (sources_.Misoku && i < sources_.Misoku->Count())
                host_.ShowInfo(MarkInfo(sources_.Misoku->Item(i), guide));
            break;
        case TSeriesKind::RemPoint:
            if (sources_.Ijo && i < sources_.Ijo->Count())
                host_.ShowInfo(BuoyInfo(sources_.Ijo->Item(i), guide));
            break;
        case TSeriesKind::Origin:
            if (sources_.Kijun && i < sources_.Kijun->Count())
                host_.ShowInfo(ReferenceInfo(sources_.Kijun->Item(i)));
            break;
        case TSeriesKind::LineLine:
            if (sources_.Sokusen)
                host_.ShowInfo(CutInfo(*sources_.Sokusen,
                                       static_cast<const TLineLineSeries*>(s)->FirstRecord(), i));
            break;
        case TSeriesKind::GuideLine: {
            if (i == s->Count() - 1) {
                sink_.Warning(QStringLiteral("これは誘導線の終点です"));
                break;
            }
            TChartSeries* guideLine = scene_.GuideLine();
            const TColour was = guideLine->PointColour(i + 1);
            guideLine->SetPointColour(i + 1, kClYellow);
            scene_.Touch();
            sink_.Information(GuideStepText(s->V(i), s->H(i), s->V(i + 1), s->H(i + 1)));
            guideLine->SetPointColour(i + 1, was);
            scene_.Touch();
            break;
        }
        default:
            break;
    }
}

// --- popups --------------------------------------------------------------------------------

std::vector<TPopupItem> TMapSession::Popup(TPopupKind kind) const {
    TPopupState st;
    st.plannedLine = plannedLine_;
    st.guideLine = scene_.GuideLine() != nullptr;
    st.markNames = scene_.Marks() && scene_.Marks()->Marks.Visible;
    st.buoyNames = scene_.Buoys() && scene_.Buoys()->Marks.Visible;
    st.refNames = scene_.Reference() && scene_.Reference()->Marks.Visible;
    st.depthColours = scene_.DepthColouring();
    st.lineYellow = clicked_.series && clicked_.series->Kind() == TSeriesKind::LineLine &&
                    clicked_.series->Colour == kClYellow;
    return BuildPopup(kind, st);
}

void TMapSession::MarkDialogThenAdd(const QString& caption, double x, double y) {
    if (!markDialog_) return;
    const auto props = markDialog_(caption, {QString(), QColor(0xFF, 0x00, 0xFF)});
    if (props) host_.AddMark(props->name, props->colour, x, y);
}

void TMapSession::Join(double fromX, double fromY, bool fromValid, const QString& failure) {
    double x = 0, y = 0;
    if (!fromValid || !ClickedPoint(x, y)) {
        sink_.Error(failure);
        return;
    }
    host_.SetRulerPivotAngle(x, y, AzimuthPacked(fromX, fromY, x, y));
}

TRepaint TMapSession::RunCommand(TPopupCommand command) {
    double x = 0, y = 0;
    const bool onPoint = ClickedPoint(x, y);
    auto toggleLabels = [this](TChartSeries* s) {
        if (!s) return TRepaint::None;
        s->Marks.Visible = !s->Marks.Visible;
        scene_.Touch();
        return TRepaint::All;
    };
    switch (command) {
        case TPopupCommand::MarkHere:
            MarkDialogThenAdd(QStringLiteral("この位置をマーク"), clickedX_, clickedY_);
            return TRepaint::None;
        case TPopupCommand::MarkBoat:
            // Before the first position the boat has none to mark (not the zone's origin).
            if (!hasBoat_)
                sink_.Error(QStringLiteral("移動体をマークすることができません"));
            else
                MarkDialogThenAdd(QStringLiteral("移動体をマーク"), scene_.Boat()->LastV(),
                                  scene_.Boat()->LastH());
            return TRepaint::None;
        case TPopupCommand::Redraw:
            scene_.Touch();
            return TRepaint::All;
        case TPopupCommand::MarkInfo:
        case TPopupCommand::BuoyInfo:
        case TPopupCommand::RefInfo:
        case TPopupCommand::GuideInfo:
        case TPopupCommand::CutInfo:
            pendingInfo_ = clicked_;  // shown after the widget's pause, as a left click's
            return TRepaint::None;
        case TPopupCommand::MarkNames:
            return toggleLabels(scene_.Marks());
        case TPopupCommand::BuoyNames:
            return toggleLabels(scene_.Buoys());
        case TPopupCommand::RefNames:
            return toggleLabels(scene_.Reference());
        case TPopupCommand::MarkChange: {
            const int i = clicked_.index;
            if (!onPoint || !markDialog_ || !sources_.Misoku || i >= sources_.Misoku->Count())
                return TRepaint::None;
            const TMisoku& m = sources_.Misoku->Item(i);
            const auto props = markDialog_(QStringLiteral("マークの変更"),
                                           {m.Name, ToQColor(MarkNumberToColour(m.Number))});
            if (props) host_.ChangeMark(i, props->name, props->colour);
            return TRepaint::None;
        }
        case TPopupCommand::MarkDelete:
            if (onPoint) host_.DeleteMark(clicked_.index);
            return TRepaint::None;
        case TPopupCommand::MoveRuler:
            if (onPoint && plannedLine_) host_.SetRulerPivot(x, y);
            return TRepaint::None;
        case TPopupCommand::JoinGuide: {
            const TGuideRef g =
                sources_.Kijun ? GuideRefOf(*sources_.Kijun, guideIndex_) : TGuideRef{};
            if (plannedLine_)
                Join(g.x, g.y, g.valid, QStringLiteral("誘導点と結ぶことができません"));
            return TRepaint::None;
        }
        case TPopupCommand::JoinBoat:
            if (plannedLine_)
                Join(scene_.Boat()->LastV(), scene_.Boat()->LastH(), hasBoat_,
                     QStringLiteral("移動体と結ぶことができません"));
            return TRepaint::None;
        case TPopupCommand::GuideAdd:
            if (!onPoint) return TRepaint::None;
            scene_.EnsureGuideLine()->Add(y, x, QStringLiteral("誘導線の点"));
            scene_.Touch();
            return TRepaint::All;
        case TPopupCommand::GuideDelete:
            ForgetClicksOn(scene_.GuideLine());
            scene_.DeleteGuideLine();
            return TRepaint::All;
        case TPopupCommand::CutNumbers: {
            auto* s = const_cast<TChartSeries*>(clicked_.series);
            if (!s || s->Kind() != TSeriesKind::LineLine) return TRepaint::None;
            const bool yellow = s->Colour == kClYellow;
            s->Colour = yellow ? kClWhite : kClYellow;
            s->Marks.Visible = !yellow;
            scene_.Touch();
            return TRepaint::All;
        }
        case TPopupCommand::DepthColours:
            SetDepthColours(!scene_.DepthColouring(), typedDepths_);
            return TRepaint::All;
        case TPopupCommand::DepthRange: {
            if (!depthDialog_) return TRepaint::None;
            // The job's range as it is, whatever this window shows.
            std::optional<TDepthRange> job;
            if (sources_.Cuts) job = DepthRangeOf(sources_.Cuts->Depths());
            const auto chosen = depthDialog_(typedDepths_, job);
            if (!chosen) return TRepaint::None;
            SetDepthColours(true, *chosen);
            return TRepaint::All;
        }
        case TPopupCommand::None:
            break;
    }
    return TRepaint::None;
}

void TMapSession::SetDepthColours(bool on, std::optional<TDepthRange> typed) {
    typedDepths_ = typed;
    scene_.SetDepthColouring(on, typed);
}

// --- configuration -------------------------------------------------------------------------

void TMapSession::SaveState(MapWindowConfig& c) const {
    const TExtent a = view_.Axes(), o = view_.Origin(), cur = view_.Current();
    c.X0 = a.XMin;
    c.X1 = a.XMax;
    c.Y0 = a.YMin;
    c.Y1 = a.YMax;
    c.OX0 = o.XMin;
    c.OX1 = o.XMax;
    c.OY0 = o.YMin;
    c.OY1 = o.YMax;
    c.CX0 = cur.XMin;
    c.CX1 = cur.XMax;
    c.CY0 = cur.YMin;
    c.CY1 = cur.YMax;
    c.Zoomed = view_.Zoomed();
    c.Circle = circleRuler_;
    c.Ruler = plannedLine_;
    c.AutoFollow = autoMove_;
    c.Fast = rapid_;
    c.BuoyNames = scene_.Buoys() && scene_.Buoys()->Marks.Visible;
    c.DepthColours = scene_.DepthColouring();
    c.DepthShallow = typedDepths_ ? std::optional<double>(typedDepths_->shallow) : std::nullopt;
    c.DepthDeep = typedDepths_ ? std::optional<double>(typedDepths_->deep) : std::nullopt;
}

void TMapSession::LoadState(const MapWindowConfig& c) {
    // Each extent from the section where it is given; one whose span is not a finite
    // number (a damaged or hand-edited file) leaves the window's own, which can be drawn.
    auto extent = [](std::optional<double> x0, std::optional<double> x1, std::optional<double> y0,
                     std::optional<double> y1, const TExtent& own) {
        const TExtent e{x0.value_or(own.XMin), x1.value_or(own.XMax), y0.value_or(own.YMin),
                        y1.value_or(own.YMax)};
        return std::isfinite(e.XMax - e.XMin) && std::isfinite(e.YMax - e.YMin) ? e : own;
    };
    const TExtent a = extent(c.X0, c.X1, c.Y0, c.Y1, view_.Axes());
    view_.SetVertical(a.XMin, a.XMax);
    view_.SetHorizontal(a.YMin, a.YMax);
    view_.SetOrigin(extent(c.OX0, c.OX1, c.OY0, c.OY1, view_.Origin()));
    view_.SetCurrent(extent(c.CX0, c.CX1, c.CY0, c.CY1, view_.Current()));
    view_.SetZoomed(c.Zoomed);
    circleRuler_ = c.Circle.value_or(circleRuler_);
    if (circleRuler_) CircleSize(host_.CircleDiameter());
    plannedLine_ = c.Ruler.value_or(plannedLine_);
    autoMove_ = c.AutoFollow.value_or(autoMove_);
    rapid_ = c.Fast.value_or(rapid_);
    if (scene_.Buoys()) scene_.Buoys()->Marks.Visible = c.BuoyNames;
    // A typed range that does not hold (a hand-edited file) falls back to the job's.
    std::optional<TDepthRange> typed;
    if (c.DepthShallow && c.DepthDeep) typed = TypedDepthRange(*c.DepthShallow, *c.DepthDeep);
    SetDepthColours(c.DepthColours, typed);
    ApplySwitches();
    view_.RecalcAxis();
}

QRect StoredFrameRect(const MapWindowConfig& c, QSize room) {
    const int sw = std::max(room.width(), 40), sh = std::max(room.height(), 30);
    const int w = std::clamp(c.Width, 40, sw), h = std::clamp(c.Height, 30, sh);
    return {std::clamp(c.Left, 40 - w, sw - 40), std::clamp(c.Top, 0, sh - 30), w, h};
}

}  // namespace tidrun
