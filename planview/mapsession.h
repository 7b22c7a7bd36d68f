// What a map window decides, without the window: its chart view and overlays, the handling
// of every message the main window posts to it, the mouse and key rules, the popup menus
// and their commands, and its state in the job's configuration file. The widget forwards
// each event here and repaints what the answer says changed.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "planview/chartview.h"
#include "planview/mapmessages.h"
#include "planview/planscene.h"
#include "planview/popupmodel.h"

namespace tidrun {

class TMapHost;
class MessageSink;
struct MapWindowConfig;

// What has to be painted again after a call.
// Region: the session's RepaintRect().
enum class TRepaint { None, Boat, Region, All };

// The mark property dialog as the session needs it: shown with a caption, a name and a
// colour; the new name and colour on OK, nothing on cancel.
struct TMarkProps {
    QString name;
    QColor colour;
};
using TMarkDialog =
    std::function<std::optional<TMarkProps>(const QString& caption, const TMarkProps& initial)>;

// The depth range dialog: the range typed, or none for the job's own range; nothing on
// cancel. jobRange: the range of the job's depths now (none while no cut has one).
using TDepthRangeDialog = std::function<std::optional<std::optional<TDepthRange>>(
    const std::optional<TDepthRange>& typed, const std::optional<TDepthRange>& jobRange)>;

class TMapSession {
  public:
    TMapSession(TMapHost& host, MessageSink& sink, TPlanSources sources, TTickSource clock);
    ~TMapSession();
    TMapSession(const TMapSession&) = delete;
    TMapSession& operator=(const TMapSession&) = delete;

    TChartView& View() { return view_; }
    const TChartView& View() const { return view_; }
    TPlanScene& Scene() { return scene_; }
    const TPlanScene& Scene() const { return scene_; }
    QColor MapColour() const { return mapColour_; }
    // The pixels the last call that answered TRepaint::Region changed.
    QRect RepaintRect() const { return repaintRect_; }
    void SetMarkDialog(TMarkDialog dialog) { markDialog_ = std::move(dialog); }
    void SetDepthRangeDialog(TDepthRangeDialog dialog) { depthDialog_ = std::move(dialog); }

    // --- messages from the main window -----------------------------------------------
    TRepaint BoatPos(std::int32_t xMillimetres, std::int32_t yMillimetres);
    TRepaint LineEnd();
    TRepaint CutAdded(int recordIndex);
    TRepaint TrimTrail();
    TRepaint MisokuChanged();
    TRepaint Rebuild();
    TRepaint FitAll();
    TRepaint RemPoint(int buoyIndex);
    TRepaint RefPoint(int guideIndex);
    TRepaint CircleSize(int diameter);
    TRepaint Ruler(const TRulerRect& segment, const TRulerRect& extent);
    TRepaint ZoomIn();
    TRepaint ZoomOut();
    TRepaint ZoomRem();
    TRepaint MapColor(const QColor& colour);

    bool HasBoat() const { return hasBoat_; }
    int HighlightedBuoy() const { return buoyIndex_; }
    int HighlightedGuide() const { return guideIndex_; }
    int CircleDiameter() const { return diameter_; }

    // --- switches ------------------------------------------------------------------------
    bool CircleRuler() const { return circleRuler_; }
    bool PlannedLine() const { return plannedLine_; }
    bool AutoMove() const { return autoMove_; }
    bool RapidMode() const { return rapid_; }
    bool DepthColours() const { return scene_.DepthColouring(); }
    const std::optional<TDepthRange>& TypedDepths() const { return typedDepths_; }
    void SetDepthColours(bool on, std::optional<TDepthRange> typed);
    void SetCircleRuler(bool on);
    void SetPlannedLine(bool on);
    void SetAutoMove(bool on) { autoMove_ = on; }
    void SetRapidMode(bool on);

    // --- mouse and keys ------------------------------------------------------------------
    enum class TButton { None, Left, Right };
    struct TRelease {
        enum class What { Nothing, Info, Popup, Zoomed, Panned } what = What::Nothing;
        TPopupKind popup = TPopupKind::Chart;
        TRepaint repaint = TRepaint::None;
    };
    void Press(TButton button, QPoint pixel);
    // Movement with or without a button; returns what to repaint (the circle ruler follows
    // the mouse while it is switched on; a right drag pans).
    TRepaint Move(QPoint pixel);
    TRelease Release(TButton button, QPoint pixel);
    TButton Pressed() const { return pressed_; }
    // The rectangle of a zoom drag in progress (empty when none).
    QRect DragRect() const;
    // Enter in the window: the cut command while a recording is running.
    void EnterKey();

    // The information text of the point the last left click asked about, shown after the
    // widget's pause; presses meanwhile do not change which point it is. A guide-line
    // point shows its step in a box instead; the next point is yellow meanwhile.
    void ShowPendingInfo();
    // A point's text waits for the pause (after a left click or an information command).
    bool InfoPending() const { return pendingInfo_.series != nullptr; }
    // The popup the last release asked for, with the states of its items now.
    std::vector<TPopupItem> Popup(TPopupKind kind) const;
    TRepaint RunCommand(TPopupCommand command);

    // The series point under a pixel that reacts to clicks (top-most first).
    struct THit {
        const TChartSeries* series = nullptr;
        int index = -1;
    };
    THit HitTest(QPoint pixel) const;

    // --- the window's section in the configuration file ---------------------------------
    // Axis limits, extents, zoom and switches; the widget adds and reads the geometry.
    void SaveState(MapWindowConfig& c) const;
    void LoadState(const MapWindowConfig& c);

  private:
    void Build();
    void ApplyRuler();
    void ApplySwitches();
    void Highlight(TChartSeries* s, int& current, int index, TColour normal);
    void MarkDialogThenAdd(const QString& caption, double x, double y);
    // Both spans by (p - 100) % at each end, then laid out for the labels.
    TRepaint ZoomPercent(double p);
    void Join(double fromX, double fromY, bool fromValid, const QString& failure);
    bool ClickedPoint(double& x, double& y) const;
    // Drops the clicked and the pending point when they lie on a series that goes away.
    void ForgetClicksOn(const TChartSeries* series);

    TMapHost& host_;
    MessageSink& sink_;
    TPlanSources sources_;
    TChartView view_;
    TPlanScene scene_;
    QColor mapColour_{0x00, 0x80, 0x80};
    TMarkDialog markDialog_;
    TDepthRangeDialog depthDialog_;
    std::optional<TDepthRange> typedDepths_;

    bool circleRuler_ = false, plannedLine_ = false, autoMove_ = false, rapid_ = false;
    bool hasBoat_ = false;
    QRect repaintRect_;
    int buoyIndex_ = -1, guideIndex_ = -1;
    int diameter_ = 1;
    TRulerRect rulerSegment_, rulerExtent_;

    TButton pressed_ = TButton::None;
    TButton dragging_ = TButton::None;
    QPoint pressAt_, lastAt_;
    THit clicked_;
    THit pendingInfo_;  // the point whose information the widget's pause waits for
    double clickedX_ = 0, clickedY_ = 0;
};

// The frame a stored window section asks for, kept to the room it can be seen in (the
// screens, or the workspace where that is larger): at least 40 x 30, at most the room, and
// with a part of it in the room. A damaged or hand-edited section must not make a window
// of millions of pixels.
QRect StoredFrameRect(const MapWindowConfig& c, QSize room);

}  // namespace tidrun
