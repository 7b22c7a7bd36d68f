// The fast canvas: draws straight into the pixels of an ARGB32 premultiplied image.
// Lines are one pixel wide and set the pixels QPainter sets, symbols are stamped from
// sprites that the exact painter drew once, and where a recorded line's symbols crowd
// together their centres are only marked and each covered pixel is drawn once (so a
// million cuts cost what the pixels they fall on cost). Labels and ellipses are queued
// and drawn through QPainter on Flush.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "planview/series.h"

namespace tidrun {

class TChartView;
class TLineLineSeries;

// The box of n > 0 pixels.
QRect PixelBox(const int* xs, const int* ys, int n);

class TRasterCanvas : public TCanvas {
  public:
    // image: RGB32 or ARGB32_Premultiplied; nothing is drawn outside clip. painter: one
    // already active on the image, used for what goes through QPainter (else the canvas
    // opens its own when needed). labels: the room the labels of this paint take, as the
    // exact painter keeps it (none: every label is drawn).
    TRasterCanvas(QImage& image, const QRect& clip, const QFont& font, QPainter* painter = nullptr,
                  TLabelSpace* labels = nullptr);
    void Line(QPoint a, QPoint b, TColour colour) override;
    void Symbol(QPoint p, const TSymbol& symbol, TColour fill) override;
    void Label(QPoint p, const QString& text, const TMarks& marks, TLabelRule rule) override;
    void Ellipse(const QRectF& pixels, TColour pen) override;
    // Draws what was queued and the pending symbols; call before using the image otherwise.
    void Flush();

    // A series as Draw would, with recorded lines walked chunk by chunk over the cut
    // store: chunks outside the window are skipped, chunks wholly inside need no clipping.
    // Point series are stamped; other line series go through QPainter on the image.
    void DrawSeries(const TChartSeries& series, const TChartView& view);

  private:
    struct Sprite {
        int x0, y0, w, h;               // bounding box relative to the centre
        std::vector<std::uint32_t> px;  // w * h premultiplied pixels, 0 = transparent
        std::uint64_t signature;
        // The drawn pixels only: offsets in the image from the centre, and their colours;
        // dx0..dy1 is their box relative to the centre.
        std::vector<std::ptrdiff_t> dotOffset;
        std::vector<std::uint32_t> dotColour;
        std::vector<std::pair<int, int>> dotXY;
        int dx0 = 0, dx1 = -1, dy0 = 0, dy1 = -1;
        bool uniform = false;  // one colour, within 63 pixels of the centre
        bool centred = false;  // one of the dots is the centre
        bool cross7 = false;   // the dots of a diagonal cross with arms of three pixels
    };
    static bool IsDiagonalCross7(const std::vector<std::pair<int, int>>& dotXY);
    const Sprite& SpriteFor(const TSymbol& s, TColour fill);
    // once (for the many points of recorded lines): a one-colour sprite centred in the
    // image is only marked in a one-bit-per-pixel map and drawn with all others marked
    // since the last change of colour, once per pixel it covers (FlushPending).
    void Stamp(QPoint p, const Sprite& sprite, bool once = false);
    void FlushPending();
    // A one-colour sprite at (x, y), clipped dot by dot where it reaches the plot's edge.
    void StampClipped(int x, int y, const Sprite& sprite);
    void StampClipped(int x, int y, const Sprite& sprite, std::uint32_t colour);
    void FlushQueued();
    // The pixels of n points of one recorded line, all set in argb, and (sprite not null,
    // uniform, in the same colour) their symbols: stamped at once when sparse, else marked
    // as Stamp(once) does. box holds every pixel. False, with nothing drawn, when the box
    // reaches outside the clip.
    bool PlotChunk(const int* xs, const int* ys, int n, const QRect& box, bool sparse,
                   std::uint32_t argb, const Sprite* sprite);
    // Marks n centres of the one-colour sprite sp as pending (flushing another sprite's
    // first); box holds them.
    void MarkCentres(const Sprite& sp, const int* xs, const int* ys, int n, const QRect& box);
    // Empties the marks and their bounds.
    void ClearSeen();
    void Use(std::uint64_t signature) {
        if (signature != signature_) {
            signature_ = signature;
            NextEpoch();
        }
    }
    void NextEpoch() { FlushPending(); }
    void DrawLine(int x0, int y0, int x1, int y1, std::uint32_t argb);
    // The steps between n points whose pixels are set and whose box lies inside the clip:
    // nothing where they are a pixel or less apart, short steps from a table of the pixels
    // between their ends, longer ones by DrawLine.
    void DrawSteps(const int* xs, const int* ys, int n, std::uint32_t argb);
    void DrawRecordedLine(const TLineLineSeries& s, const TChartView& view);
    // A recorded line step by step over records of the cut store, as the exact painter draws
    // it (LineWalk, in rasterlines.cpp).
    struct LineWalk;
    // A recorded line seen from afar: the records of a level of the cut store, whole blocks
    // inside the window drawn as chunks are.
    void DrawLevelLine(const TLineLineSeries& s, const TChartView& view, int level);
    // A recorded line whose cuts take colours of their own (by depth): every cut, chunks
    // outside the window skipped.
    void DrawColouredLine(const TLineLineSeries& s, const TChartView& view);
    // Whether DrawLevelLine and DrawColouredLine can draw the line (one-colour symbols, no
    // highlighted point).
    static bool Walkable(const TLineLineSeries& s);

    QImage& image_;
    std::uint32_t* bits_;
    int stride_;  // in pixels
    int width_, height_;
    QRect clip_;
    QFont font_;
    template <class F>
    void WithPainter(F&& f);
    QPainter* painter_;
    TLabelSpace* labels_;
    // Centres of the pending stamps of one sprite: one bit per pixel, rows of seenWords_
    // words; rows seenTop_..seenBottom_, words seenLeft_..seenRight_ may hold set bits.
    std::vector<std::uint64_t> seen_;
    std::vector<std::uint64_t> row_;
    int seenWords_ = 0;
    int seenTop_ = 1 << 30, seenBottom_ = -1, seenLeft_ = 1 << 30, seenRight_ = -1;
    std::int64_t seenCount_ = 0;  // marks made since the last flush (some may coincide)
    const Sprite* pending_ = nullptr;
    std::uint64_t signature_ = 0;
    using SpriteKey = std::tuple<int, int, int, TColour, TColour>;
    std::map<SpriteKey, Sprite> sprites_;  // a map: its elements stay where they are
    struct Recent {
        SpriteKey key;
        const Sprite* sprite = nullptr;
    };
    std::array<Recent, 8> recent_;
    std::size_t recentNext_ = 0;
    struct Queued {
        bool ellipse;
        QPoint p;
        QRectF r;
        QString text;
        TMarks marks;
        TColour colour;
        TLabelRule rule;
    };
    std::vector<Queued> queued_;
    // For each short step (|dx|, |dy| <= kStep) the pixels strictly between its ends, as
    // offsets in the image from its start, by the line rule; the slots left over hold 0
    // (the start); made on first use.
    static constexpr int kStep = 8;
    using StepPixels = std::array<std::int32_t, kStep - 1>;
    std::vector<StepPixels> steps_;  // [(dy + kStep) * (2 * kStep + 1) + dx + kStep]
};

}  // namespace tidrun
