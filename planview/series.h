// The overlay series of the plan view as data plus style, and the three safe drawing bases
// that clip every segment to the visible window in world coordinates before it becomes
// pixels, so that far-away points never reach the painter as huge pixel values.
//
// A series point has a horizontal value (Y, easting), a vertical value (X, northing), a
// label and a colour. Series emit lines, symbols, labels and ellipses to a TCanvas.
#pragma once

#include <QPoint>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "planview/depthramp.h"
#include "planview/labelspace.h"

namespace tidrun {

class TChartView;
class TCutStore;
class TSokusenColl;

// 0xRRGGBB, or one of the two special values.
using TColour = std::uint32_t;
inline constexpr TColour kClDefault = 0x01000000;  // the series colour
inline constexpr TColour kClNone = 0x02000000;     // not drawn; breaks the line
inline constexpr TColour kClBlack = 0x000000, kClWhite = 0xFFFFFF, kClRed = 0xFF0000,
                         kClLime = 0x00FF00, kClYellow = 0xFFFF00, kClAqua = 0x00FFFF,
                         kClFuchsia = 0xFF00FF, kClTeal = 0x008080;

enum class TSymbolStyle { Circle, Triangle, Square, Cross, DiagCross };

struct TSymbol {
    bool Visible = false;
    TSymbolStyle Style = TSymbolStyle::Square;
    int HSize = 4, VSize = 4;   // half-sizes in pixels
    TColour Pen = kClBlack;     // outline
    TColour Fill = kClDefault;  // kClDefault: the point's colour
};

struct TMarks {
    bool Visible = false;
    int ArrowLength = 8;  // pixels from the point to the label
    TColour ArrowColour = kClBlack;
};

// Time source for the boat trail, milliseconds (a tick count, not a date).
using TTickSource = std::function<std::int64_t()>;

// What series draw on: pixel positions within the widget.
class TCanvas {
  public:
    virtual ~TCanvas() = default;
    virtual void Line(QPoint a, QPoint b, TColour colour) = 0;
    // A symbol centred at p; fill already resolved to a colour.
    virtual void Symbol(QPoint p, const TSymbol& symbol, TColour fill) = 0;
    // A label above p; the canvas leaves it out where the rule lets it yield to another.
    virtual void Label(QPoint p, const QString& text, const TMarks& marks, TLabelRule rule) = 0;
    virtual void Ellipse(const QRectF& pixels, TColour pen) = 0;
    // The pixels that will be kept, when only a part is drawn (empty: all): what lies wholly
    // outside need not be drawn. Labels still take their room everywhere.
    virtual QRect Kept() const { return {}; }
};

// Liang-Barsky clipping of the segment (h0, v0) -> (h1, v1) against the window, bounds
// inclusive. False when nothing remains; otherwise the ends are moved onto the window.
struct TClipWindow {
    double HMin = 0, HMax = 0, VMin = 0, VMax = 0;
};
bool ClipSegment(double& h0, double& v0, double& h1, double& v1, const TClipWindow& w);

enum class TSeriesBase { FastLine, Line, Point, Bubble };
enum class TSeriesKind {
    MoveObject,  // the boat and its trail
    RegionLine,  // one survey-area region
    GuideLine,
    LineLine,  // one recorded survey line
    Origin,    // reference points
    Ruler,     // planned line or one of its offset lines
    Measure,   // circle ruler
    HotSpot,   // marks
    RemPoint,  // buoy points
};

class TChartSeries {
  public:
    virtual ~TChartSeries() = default;
    TChartSeries(const TChartSeries&) = delete;
    TChartSeries& operator=(const TChartSeries&) = delete;

    TSeriesKind Kind() const { return kind_; }
    TSeriesBase Base() const { return base_; }

    QString Title;
    TColour Colour = kClRed;
    bool Active = true;
    TSymbol Symbol;
    TMarks Marks;
    bool HandCursor = true;  // the hand over its points; false: the ordinary arrow
    bool Clickable = true;

    virtual int Count() const = 0;
    virtual double H(int i) const = 0;  // horizontal value: Y, easting
    virtual double V(int i) const = 0;  // vertical value: X, northing
    virtual QString Label(int i) const = 0;
    virtual TColour PointColour(int i) const = 0;  // may be kClDefault or kClNone
    virtual void SetPointColour(int i, TColour c) = 0;
    // The colour a point is drawn in: its own, or the series colour for kClDefault.
    TColour DrawColour(int i) const;

    // Draws points first..last (all when last < 0) through the series' base.
    virtual void Draw(const TChartView& view, TCanvas& canvas, int first = 0, int last = -1) const;
    // The labels of points first..last inside the window. A recorded line's last cut comes
    // first and always; the others yield to the labels drawn before them.
    void DrawLabels(const TChartView& view, TCanvas& canvas, int first, int last) const;

    // Grows with every change of the points; with the style fields it tells a cached
    // picture that the series changed (StateKey).
    std::uint64_t Revision() const { return revision_; }
    std::uint64_t StateKey() const { return KeyOf(revision_, Count()); }

  protected:
    // What decides the picture of the series, with these for its revision and count.
    std::uint64_t KeyOf(std::uint64_t revision, int count) const;
    TChartSeries(TSeriesKind kind, TSeriesBase base) : kind_(kind), base_(base) {}
    void SetBase(TSeriesBase b) {
        base_ = b;
        Changed();
    }
    void Changed() { ++revision_; }

  private:
    TSeriesKind kind_;
    TSeriesBase base_;
    std::uint64_t revision_ = 0;
};

// A series holding its points by value.
struct TSeriesPoint {
    double H = 0, V = 0;
    QString Label;
    TColour Colour = kClDefault;
};

class TPointListSeries : public TChartSeries {
  public:
    int Count() const override { return static_cast<int>(points_.size()); }
    // Final, so that drawing reads the stored points without virtual calls.
    double H(int i) const final { return points_[static_cast<size_t>(i)].H; }
    double V(int i) const final { return points_[static_cast<size_t>(i)].V; }
    QString Label(int i) const final { return points_[static_cast<size_t>(i)].Label; }
    TColour PointColour(int i) const final { return points_[static_cast<size_t>(i)].Colour; }
    void SetPointColour(int i, TColour c) override;
    void Draw(const TChartView& view, TCanvas& canvas, int first = 0, int last = -1) const override;

    // Appends a point (h = Y easting, v = X northing).
    void Add(double h, double v, const QString& label, TColour colour = kClDefault);
    void SetPoint(int i, double h, double v);
    void Delete(int i);
    void Clear() {
        points_.clear();
        Changed();
    }
    const std::vector<TSeriesPoint>& Points() const { return points_; }

    // Points a chunk; a long list is walked chunk by chunk, leaving out chunks that lie
    // wholly outside the window (a view of a corner pays for what it shows).
    static constexpr int kChunk = 256;

  protected:
    using TChartSeries::TChartSeries;
    std::vector<TSeriesPoint> points_;

  private:
    // Per chunk, the box of its points and the one before it (its first segment's start),
    // kept while the points stay as they are.
    const std::vector<TClipWindow>& ChunkBoxes() const;
    mutable std::vector<TClipWindow> boxes_;
    mutable std::uint64_t boxesRevision_ = ~std::uint64_t{0};
};

// The boat and its short trail. Each point is stamped with the tick count when added;
// RemoveOldPoints drops points older than the retention. Symbol size 5 for the newest
// point, then 4, 3, 2, and 1 for all older ones.
class TMoveObjectSeries : public TPointListSeries {
  public:
    static constexpr int kLargestSize = 5;
    static constexpr std::int64_t kRetentionMs = 15000;
    explicit TMoveObjectSeries(TTickSource clock);
    void SetTitle(const QString& text) { Title = text; }
    void AddPosition(const QString& label, double h, double v);
    void RemoveOldPoints();
    double LastH() const { return lastH_; }
    double LastV() const { return lastV_; }
    std::int64_t PastTime(int i) const { return past_[static_cast<size_t>(i)]; }
    static int SymbolSize(int i, int n);
    void Draw(const TChartView& view, TCanvas& canvas, int first = 0, int last = -1) const override;

  private:
    TTickSource clock_;
    std::vector<std::int64_t> past_;
    double lastH_ = 0, lastV_ = 0;
};

class TRegionLineSeries : public TPointListSeries {
  public:
    explicit TRegionLineSeries(int region);  // titled "区域" + region
    int Region() const { return region_; }

  private:
    int region_;
};

class TGuideLineSeries : public TPointListSeries {
  public:
    TGuideLineSeries();  // "誘導線", red, cross symbols
};

class TOriginSeries : public TPointListSeries {
  public:
    TOriginSeries();  // "基準点", aqua circles 4 x 4
};

class TRemPointSeries : public TPointListSeries {
  public:
    TRemPointSeries();  // "異常点", lime squares
};

class THotSpotSeries : public TPointListSeries {
  public:
    THotSpotSeries();  // "未測点", fuchsia, triangles, each point its own colour
};

class TRulerSeries : public TPointListSeries {
  public:
    TRulerSeries();  // "計画線", red, two points, no symbols
};

// The circle ruler: one bubble, radius in world units on each axis. Not drawn when the
// radius is not less than the larger axis span.
class TMeasureSeries : public TChartSeries {
  public:
    TMeasureSeries();  // "円定規", aqua outline, no fill, arrow cursor
    int Count() const override { return 1; }
    double H(int) const override { return h_; }
    double V(int) const override { return v_; }
    QString Label(int) const override { return {}; }
    TColour PointColour(int) const override { return kClDefault; }
    void SetPointColour(int, TColour) override {}
    void SetCentre(double h, double v) {
        h_ = h;
        v_ = v;
        Changed();
    }
    void SetRadius(double r) {
        radius_ = r;
        Changed();
    }
    double Radius() const { return radius_; }
    void Draw(const TChartView& view, TCanvas& canvas, int first = 0, int last = -1) const override;

  private:
    double h_ = 0, v_ = 0, radius_ = 1;
};

// The depth step of each record of the cut store (0: no depth, else the step + 1) and the
// colour of each step.
struct TDepthColours {
    std::vector<std::uint8_t> levels;
    TColour palette[kDepthLevels + 1] = {};
    TColour Of(int record) const {
        const std::uint8_t l =
            static_cast<std::size_t>(record) < levels.size() ? levels[std::size_t(record)] : 0;
        return l ? palette[l] : kClDefault;
    }
};

// One recorded survey line: a run of records of the shared cut store, labelled with each
// record's cut number. Normal mode: segments and 3 x 3 diagonal crosses; fast mode: a plain
// polyline without symbols or labels that no longer reacts to clicks.
class TLineLineSeries : public TChartSeries {
  public:
    // firstRecord: index of the line's first record; titled with it in decimal. The
    // collection gives the labels (cut numbers) and may be null (labels are then empty).
    TLineLineSeries(int firstRecord, const TCutStore& cuts, const TSokusenColl* records);
    int FirstRecord() const { return first_; }
    int Count() const override { return count_; }
    double H(int i) const override;
    double V(int i) const override;
    QString Label(int i) const override;
    TColour PointColour(int i) const override;
    void SetPointColour(int i, TColour c) override;
    // Whether any point has a colour of its own (a highlight, or a depth colour).
    bool HasColourOverrides() const { return !overrides_.empty() || depthColours_; }
    // Whether a point has a colour set on it alone (a highlight).
    bool HasHighlights() const { return !overrides_.empty(); }
    // Cuts with a depth take its step's colour on the ramp (the segment to them too); the
    // others keep the line's colour. Null: the line's own colours. The colours outlive the
    // series.
    void SetDepthColours(const TDepthColours* colours);
    const TDepthColours* DepthColours() const { return depthColours_; }
    // Takes in one more record of the store (the next one after the line's last).
    void Grow() {
        ++count_;
        ++grown_;
        Changed();
    }
    void SetCount(int n) {
        if (n == count_) return;
        if (n > count_) ++grown_;
        count_ = n;
        Changed();
    }
    const TCutStore& Cuts() const { return cuts_; }

    // The line being recorded is drawn in runs of kRun cuts, each run's labels after its
    // segments and symbols, so that the picture of its finished runs stays while cuts are
    // added: a cut then costs the drawing of its own run, not of the whole line.
    static constexpr int kRun = 256;
    // The cuts in finished runs: all runs but the one holding the newest cut.
    int SettledCuts() const { return count_ > 0 ? (count_ - 1) / kRun * kRun : 0; }
    // The runs of cuts from..to-1 (from a multiple of kRun; to a multiple too, or Count()).
    void DrawRuns(const TChartView& view, TCanvas& canvas, int from, int to) const;
    // StateKey but for the cuts taken in by Grow: the same while the finished runs stay.
    std::uint64_t KeyBesidesGrowth() const { return KeyOf(Revision() - grown_, -1); }

    void ShowPointers();  // symbols visible, diagonal cross 3 x 3
    void SetFast(bool fast);
    bool Fast() const { return Base() == TSeriesBase::FastLine; }

  private:
    const TCutStore& cuts_;
    const TSokusenColl* records_;
    int first_;
    int count_ = 0;
    std::uint64_t grown_ = 0;  // revisions that were a cut taken in
    std::unordered_map<int, TColour> overrides_;
    const TDepthColours* depthColours_ = nullptr;
};

}  // namespace tidrun
