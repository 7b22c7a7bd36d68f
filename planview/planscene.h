// The overlays of one map window in drawing order (lowest first): circle ruler, finished
// survey lines (oldest first), survey-area regions, reference points, buoy points, marks,
// planned line and its two offset lines, then what came later (the open survey line, the
// guide line), and the boat last. Builds them from the job's collections, takes in new
// cuts, finishes lines and switches rapid display.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "planview/chartview.h"
#include "planview/depthramp.h"
#include "planview/series.h"

namespace tidrun {

class TChartView;
class TCutStore;
class TKijunColl;
class TTansaColl;
class TIjoColl;
class TMisokuColl;
class TSokusenColl;

// The job's collections as the main window owns them (any may be null), and the cut store
// shared by every map window.
struct TPlanSources {
    const TKijunColl* Kijun = nullptr;
    const TTansaColl* Tansa = nullptr;
    const TIjoColl* Ijo = nullptr;
    const TMisokuColl* Misoku = nullptr;
    const TSokusenColl* Sokusen = nullptr;
    std::shared_ptr<TCutStore> Cuts;
};

// A mark's stored colour number (Windows colour value 0x00BBGGRR) as 0xRRGGBB.
TColour MarkNumberToColour(int number);

// Axis limits from a world extent: minimum rounded down to hundreds less 100 (the integer
// part of m/100 for m >= 0, of (m - 100)/100 below 0), maximum plus 100.
double AxisMinimum(double worldMin);
double AxisMaximum(double worldMax);

class TPlanScene {
  public:
    explicit TPlanScene(TTickSource clock);
    ~TPlanScene();
    TPlanScene(const TPlanScene&) = delete;
    TPlanScene& operator=(const TPlanScene&) = delete;

    // Frees every series (the boat too) and builds the overlays: the cut store is brought
    // up to date with the recording collection, every record is replayed, and the open line
    // is finished unless a recording runs. Sets the view's axes from the world extent,
    // saves the origin and current extents and runs RecalcAxis. The boat comes with
    // CreateBoat afterwards.
    void Build(const TPlanSources& sources, bool recording, TChartView& view);
    void CreateBoat();

    const std::vector<std::unique_ptr<TChartSeries>>& Series() const { return series_; }
    int IndexOf(const TChartSeries* s) const;
    // Moves a series to the end of the list by exchanging it with the last one.
    void BringToFront(const TChartSeries* s);

    TMeasureSeries* CircleRuler() const { return circle_; }
    TOriginSeries* Reference() const { return reference_; }
    TRemPointSeries* Buoys() const { return buoys_; }
    THotSpotSeries* Marks() const { return marks_; }
    TRulerSeries* PlannedLine() const { return rulers_[0]; }
    TRulerSeries* LeftLine() const { return rulers_[1]; }
    TRulerSeries* RightLine() const { return rulers_[2]; }
    TMoveObjectSeries* Boat() const { return boat_; }
    TLineLineSeries* OpenLine() const { return open_; }
    TGuideLineSeries* GuideLine() const { return guide_; }
    // The guide line is created on first use (added before the boat) and deleted whole.
    TGuideLineSeries* EnsureGuideLine();
    void DeleteGuideLine();

    // A new record of the recording collection (after it was stored there): brings the cut
    // store up to date and adds the point, starting a new line when the name changes, when
    // i is 0 or when no line is open.
    void AddCut(int recordIndex);
    // Finishes the open line: white, labels hidden, fast in rapid mode, moved down to stack
    // above the finished lines. Nothing when no line is open.
    void FinishLine();
    int FinishedPosition() const { return finished_; }

    void SetRapid(bool on);
    bool Rapid() const { return rapid_; }

    // Colouring of recorded cuts by their depth. typed: the range the user gave; nothing:
    // the range of the job's depths, widened as deeper or shallower cuts come in.
    void SetDepthColouring(bool on, std::optional<TDepthRange> typed);
    bool DepthColouring() const { return depthOn_; }
    // The range the ramp spans now; nothing while no cut has a depth (nothing is coloured).
    std::optional<TDepthRange> DepthRange() const {
        return depthOn_ && hasRange_ ? std::optional(range_) : std::nullopt;
    }

    // Reloads the mark series from the mark collection.
    void ReloadMarks();

    // World extent of the survey area (X 0..100, Y 0..100 when there is none).
    TExtent WorldExtent() const { return world_; }
    const TPlanSources& Sources() const { return sources_; }

    // Grows on every change of what the static layers show. Changing a series' style from
    // outside calls Touch so that cached pictures are redrawn.
    std::uint64_t Revision() const { return revision_; }
    void Touch() { ++revision_; }
    // Grows on every change of the scene but those of the marks (ReloadMarks) and Touch: a
    // picture of the recorded lines alone stays while it holds (with their series' states).
    std::uint64_t LinesRevision() const { return linesRevision_; }

  private:
    template <class S, class... A>
    S* Append(A&&... args);
    void StartLine(int recordIndex);
    void Remove(const TChartSeries* s);
    // Points every recorded line at the range (or at none); true when the range changed.
    bool ApplyDepthRange(bool widenOnly);
    void Changed() {
        ++revision_;
        ++linesRevision_;
    }

    TTickSource clock_;
    TPlanSources sources_;
    std::vector<std::unique_ptr<TChartSeries>> series_;
    TMeasureSeries* circle_ = nullptr;
    TOriginSeries* reference_ = nullptr;
    TRemPointSeries* buoys_ = nullptr;
    THotSpotSeries* marks_ = nullptr;
    TRulerSeries* rulers_[3] = {nullptr, nullptr, nullptr};
    TMoveObjectSeries* boat_ = nullptr;
    TLineLineSeries* open_ = nullptr;
    TGuideLineSeries* guide_ = nullptr;
    int finished_ = 0;
    bool rapid_ = false;
    bool depthOn_ = false;
    bool hasRange_ = false;
    std::optional<TDepthRange> typedRange_;
    TDepthRange range_;
    int depthsSeen_ = 0;     // records whose depths the job's range has taken in
    TDepthColours colours_;  // of range_; the lines point at them
    TExtent world_{0, 100, 0, 100};
    std::uint64_t revision_ = 1;
    std::uint64_t linesRevision_ = 1;
};

}  // namespace tidrun
