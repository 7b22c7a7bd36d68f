// Recorded lines that the chunk walk of planraster.cpp does not draw: seen from afar through
// a level of detail of the cut store, and coloured cut by cut (by depth).
#include <algorithm>
#include <cmath>

#include "planview/chartview.h"
#include "planview/cutstore.h"
#include "planview/planraster.h"

namespace tidrun {

namespace {

std::uint32_t Argb(TColour c) {
    return 0xFF000000u | (c & 0xFFFFFFu);
}

bool Outside(const TCutStore::Box& b, const TClipWindow& w) {
    return (b.HMax < w.HMin) | (b.HMin > w.HMax) | (b.VMax < w.VMin) | (b.VMin > w.VMax);
}

bool Within(const TCutStore::Box& b, const TClipWindow& w) {
    return (b.HMin >= w.HMin) & (b.HMax <= w.HMax) & (b.VMin >= w.VMin) & (b.VMax <= w.VMax);
}

}  // namespace

bool TRasterCanvas::IsDiagonalCross7(const std::vector<std::pair<int, int>>& dotXY) {
    // Thirteen distinct dots on the diagonals within three pixels can only be all of them.
    return dotXY.size() == 13 && std::all_of(dotXY.begin(), dotXY.end(), [](auto d) {
               return std::abs(d.first) == std::abs(d.second) && std::abs(d.first) <= 3;
           });
}

// The steps of a recorded line in the order the exact painter draws them: the segment to
// each record in that record's colour, clipped to the window, then the symbol of the record
// before it. Symbols in the line's own colour are only marked (drawn once a pixel); symbols
// in colours of their own are stamped at once, in order, except one that the next record's
// symbol, on the same pixel, covers wholly anyway.
struct TRasterCanvas::LineWalk {
    TRasterCanvas& canvas;
    const TLineLineSeries& s;
    const TCutStore& store;
    const TChartView& view;
    TClipWindow w;
    const Sprite* sprite;          // null: no symbols
    const TDepthColours* colours;  // null: every record in the line's colour
    std::uint32_t lineArgb;
    int prev = -1;  // the record stepped to last
    double ph = 0, pv = 0;
    int po = 0;      // where it lies against the window (0: inside)
    QPoint pp;       // its pixel, when inside
    TColour pc = 0;  // its colour

    LineWalk(TRasterCanvas& c, const TLineLineSeries& line, const TChartView& v)
        : canvas(c),
          s(line),
          store(line.Cuts()),
          view(v),
          sprite(line.Base() == TSeriesBase::Line && line.Symbol.Visible
                     ? &c.SpriteFor(line.Symbol, line.Colour)
                     : nullptr),
          colours(line.DepthColours()),
          lineArgb(Argb(line.Colour)) {
        const TExtent a = view.Axes();
        w = {a.YMin, a.YMax, a.XMin, a.XMax};
        if (colours || (sprite && sprite->signature != s.Colour))
            canvas.FlushPending();  // stamped in order from here on
        canvas.Use(s.Colour);
    }
    // Stamped at once rather than marked.
    bool Immediate() const { return colours || (sprite && sprite->signature != s.Colour); }
    int Outcode(double h, double v) const {
        return (h < w.HMin ? 1 : 0) | (h > w.HMax ? 2 : 0) | (v < w.VMin ? 4 : 0) |
               (v > w.VMax ? 8 : 0);
    }
    TColour ColourOf(int r) const {
        const TColour c = colours ? colours->Of(r) : kClDefault;
        return c == kClDefault || c == kClNone ? s.Colour : c;
    }
    void StampAt(QPoint p, TColour c) {
        const TColour fill = s.Symbol.Fill == kClDefault ? c : s.Symbol.Fill;
        if (Immediate())
            canvas.StampClipped(p.x(), p.y(), *sprite, Argb(fill));
        else
            canvas.Stamp(p, *sprite, true);
    }
    // Takes r as the record drawn last without drawing anything.
    void Jump(int r) { Jump(r, store.Y(r), store.X(r)); }
    void Jump(int r, double h, double v) {
        prev = r;
        ph = h;
        pv = v;
        po = Outcode(ph, pv);
        if (po == 0) pp = view.ToPixelRounded(ph, pv);
        pc = ColourOf(r);
    }
    void Step(int r) { Step(r, store.Y(r), store.X(r)); }
    // h, v: the record's position as the store gives it.
    void Step(int r, double h, double v) {
        const int o = Outcode(h, v);
        const TColour c = ColourOf(r);
        QPoint p;
        if (o == 0) p = view.ToPixelRounded(h, v);
        if (prev >= 0 && !(po & o)) {
            const std::uint32_t argb = colours ? Argb(c) : lineArgb;
            if ((po | o) == 0) {
                if (p != pp) canvas.DrawLine(pp.x(), pp.y(), p.x(), p.y(), argb);
            } else {
                double h0 = ph, v0 = pv, h1 = h, v1 = v;
                if (ClipSegment(h0, v0, h1, v1, w)) {
                    const QPoint a = view.ToPixelRounded(h0, v0), b = view.ToPixelRounded(h1, v1);
                    if (a != b) canvas.DrawLine(a.x(), a.y(), b.x(), b.y(), argb);
                }
            }
        }
        if (sprite) {
            if (!Immediate()) {
                if (o == 0) StampAt(p, c);
            } else if (prev >= 0 && po == 0 && !(o == 0 && p == pp)) {
                StampAt(pp, pc);  // the first record's symbol follows the segment after it
            }
        }
        prev = r;
        ph = h;
        pv = v;
        po = o;
        pp = p;
        pc = c;
    }
    // The last record's symbol, where it waits.
    void Finish() {
        if (sprite && Immediate() && prev >= 0 && po == 0) StampAt(pp, pc);
    }
};

bool TRasterCanvas::Walkable(const TLineLineSeries& s) {
    if (s.HasHighlights()) return false;
    if (s.Base() == TSeriesBase::FastLine) return true;
    if (s.Base() != TSeriesBase::Line) return false;
    // Symbols of one colour only: they can be stamped in any colour from one sprite.
    return !s.Symbol.Visible || s.Symbol.Style == TSymbolStyle::Cross ||
           s.Symbol.Style == TSymbolStyle::DiagCross;
}

void TRasterCanvas::DrawColouredLine(const TLineLineSeries& s, const TChartView& view) {
    const int n = s.Count();
    if (n == 0) return;
    LineWalk walk(*this, s, view);
    const TCutStore& store = walk.store;
    constexpr int kc = TCutStore::kChunkCuts;
    const int first = s.FirstRecord(), end = first + n;
    const double hx = view.HScale(), vy = view.VScale();
    constexpr double kBias = 1 << 20;  // as in DrawLevelLine
    const double hc = hx * store.OriginH() + view.HOffset() + 0.5 + kBias,
                 vc = vy * store.OriginV() + view.VOffset() + 0.5 + kBias;
    int xs[kc], ys[kc];
    // The colour of each step of the ramp, the line's own for no depth.
    std::uint32_t palette[kDepthLevels + 1];
    for (int l = 0; l <= kDepthLevels; ++l)
        palette[l] = Argb(l ? walk.colours->palette[l] : s.Colour);
    const std::uint8_t* levels = walk.colours->levels.data();
    const int levelCount = static_cast<int>(walk.colours->levels.size());
    auto argbOf = [&](int r) { return palette[r < levelCount ? levels[r] : 0]; };
    const int cl = clip_.left(), ct = clip_.top();
    const unsigned cw = static_cast<unsigned>(clip_.width()),
                   chh = static_cast<unsigned>(clip_.height());
    auto inPlot = [&](int x, int y) {
        return static_cast<unsigned>(x - cl) < cw && static_cast<unsigned>(y - ct) < chh;
    };
    const Sprite* sprite = walk.sprite;
    const bool fill = s.Symbol.Fill == kClDefault;
    const std::uint32_t fixedFill = Argb(s.Symbol.Fill);
    // The recorded lines' symbol, a diagonal cross 7 x 7, is stamped by its shape rather
    // than from its table of offsets.
    const bool cross = sprite && sprite->cross7;
    const std::ptrdiff_t down = stride_ + 1, up = stride_ - 1;
    auto stamp = [&](int x, int y, std::uint32_t argb) {
        const std::uint32_t colour = fill ? argb : fixedFill;
        if (x + sprite->dx0 >= cl && y + sprite->dy0 >= ct &&
            static_cast<unsigned>(x + sprite->dx1 - cl) < cw &&
            static_cast<unsigned>(y + sprite->dy1 - ct) < chh) {
            std::uint32_t* centre = bits_ + std::ptrdiff_t(y) * stride_ + x;
            if (cross) {
                centre[0] = colour;
                for (std::ptrdiff_t d = 1; d <= 3; ++d) {
                    centre[-d * down] = colour;
                    centre[-d * up] = colour;
                    centre[d * up] = colour;
                    centre[d * down] = colour;
                }
            } else {
                for (const std::ptrdiff_t off : sprite->dotOffset) centre[off] = colour;
            }
        } else {
            StampClipped(x, y, *sprite, colour);
        }
    };
    for (int c = first / kc; c * kc < end; ++c) {
        const int k0 = std::max(first, c * kc), k1 = std::min(end, (c + 1) * kc);
        // A chunk's box holds the record before it: nothing of the chunk is seen.
        if (Outside(store.ChunkBox(c), walk.w)) {
            walk.Jump(k1 - 1);
            continue;
        }
        if (k1 - k0 < 4 || !Within(store.ChunkBox(c), walk.w)) {
            for (int k = k0; k < k1; ++k) walk.Step(k);
            continue;
        }
        // Wholly inside: the first record as any, the rest without clipping, symbols inside
        // the plot by a margin stamped without a test a dot.
        walk.Step(k0);
        const TCutStore::Chunk& ch = store.ChunkAt(c);
        const int j0 = k0 - c * kc + 1, j1 = k1 - c * kc;
        for (int j = j0; j < j1; ++j) {
            xs[j] = static_cast<int>(hx * double(ch.H[j]) + hc) - int(kBias);
            ys[j] = static_cast<int>(vy * double(ch.V[j]) + vc) - int(kBias);
        }
        int px = walk.pp.x(), py = walk.pp.y();
        std::uint32_t pc = argbOf(k0);
        for (int j = j0; j < j1; ++j) {
            const int x = xs[j], y = ys[j];
            const std::uint32_t argb = argbOf(c * kc + j);
            if (x == px && y == py) {  // the symbol before lies under this one's
                pc = argb;
                continue;
            }
            if (static_cast<unsigned>(x - px + 1) <= 2u &&
                static_cast<unsigned>(y - py + 1) <= 2u && inPlot(px, py) && inPlot(x, y)) {
                // A step to a neighbour sets its two ends, which the symbols there, stamped
                // before anything else is drawn, cover.
                if (!cross) {
                    bits_[std::ptrdiff_t(py) * stride_ + px] = argb;
                    bits_[std::ptrdiff_t(y) * stride_ + x] = argb;
                }
            } else {
                DrawLine(px, py, x, y, argb);
            }
            if (sprite) stamp(px, py, pc);
            px = x;
            py = y;
            pc = argb;
        }
        const int last = k1 - 1;
        walk.prev = last;
        walk.ph = store.Y(last);
        walk.pv = store.X(last);
        walk.po = 0;
        walk.pp = QPoint(px, py);
        walk.pc = walk.ColourOf(last);
    }
    walk.Finish();
    if (s.Marks.Visible) s.DrawLabels(view, *this, 0, n - 1);
}

void TRasterCanvas::DrawLevelLine(const TLineLineSeries& s, const TChartView& view, int level) {
    const int n = s.Count();
    if (n == 0) return;
    const TCutStore& store = s.Cuts();
    const TCutStore::Level& lv = store.LevelAt(level);
    const std::vector<int>& recs = lv.records;
    const int first = s.FirstRecord(), end = first + n;
    const auto [j0, j1] = store.LevelRange(level, first, end);
    constexpr int kb = TCutStore::kLevelBlock;
    {
        // Most lines of a zoomed view lie wholly outside it: left before anything is set up.
        // The last record may lie up to the tolerance beyond the last block's box.
        const TExtent a = view.Axes();
        const double t = TCutStore::LevelTolerance(level);
        const TClipWindow near{a.YMin - t, a.YMax + t, a.XMin - t, a.XMax + t};
        bool seen = j0 == j1 || recs[std::size_t(j0)] != first || s.Marks.Visible;
        for (int b = j0 / kb; !seen && b * kb < j1; ++b)
            seen = !Outside(lv.boxes[std::size_t(b)], near);
        if (!seen) return;
    }
    LineWalk walk(*this, s, view);
    // A line that began without a new name (a recording resumed) starts at a record the
    // level may have left out: its records up to the first one kept are drawn as they are.
    if (j0 == j1 || recs[std::size_t(j0)] != first) {
        const int stop = j0 < j1 ? recs[std::size_t(j0)] : end;
        for (int r = first; r < stop; ++r) walk.Step(r);
    }
    // Whole blocks inside the window go as a chunk does: pixels first, then their steps, the
    // symbols marked.
    const bool bulk = !walk.Immediate() && (!walk.sprite || walk.sprite->uniform);
    const double hx = view.HScale(), vy = view.VScale();
    const double oh = walk.store.OriginH(), ov = walk.store.OriginV();
    // Offsets straight to pixels, rounded as TChartView::RoundPixel rounds the pixels of
    // points inside the window (small and positive: the bias keeps the truncation a floor).
    constexpr double kBias = 1 << 20;
    const double hc = hx * oh + view.HOffset() + 0.5 + kBias,
                 vc = vy * ov + view.VOffset() + 0.5 + kBias;
    auto at = [&](int k, auto&& f) {
        f(recs[std::size_t(k)], oh + double(lv.H[std::size_t(k)]),
          ov + double(lv.V[std::size_t(k)]));
    };
    auto step = [&](int k) { at(k, [&](int r, double h, double v) { walk.Step(r, h, v); }); };
    auto jump = [&](int k) { at(k, [&](int r, double h, double v) { walk.Jump(r, h, v); }); };
    int xs[kb + 1], ys[kb + 1];
    for (int j = j0; j < j1;) {
        const int block = j / kb, stop = std::min(j1, (block + 1) * kb);
        const TCutStore::Box& box = lv.boxes[std::size_t(block)];
        if (Outside(box, walk.w)) {
            jump(stop - 1);
            j = stop;
            continue;
        }
        if (bulk && stop - j > 2 && Within(box, walk.w)) {
            step(j);  // the segment leading in and its first record
            xs[0] = walk.pp.x();
            ys[0] = walk.pp.y();
            int m = 1;
            const float* H = lv.H.data();
            const float* V = lv.V.data();
            for (int k = j + 1; k < stop; ++k, ++m) {
                xs[m] = static_cast<int>(hx * double(H[k]) + hc) - int(kBias);
                ys[m] = static_cast<int>(vy * double(V[k]) + vc) - int(kBias);
            }
            const QRect pixels = PixelBox(xs, ys, m);
            if (PlotChunk(xs, ys, m, pixels, 2 * m < pixels.width() + pixels.height() - 2,
                          walk.lineArgb, walk.sprite)) {
                DrawSteps(xs, ys, m, walk.lineArgb);
                jump(stop - 1);
                j = stop;
                continue;
            }
            ++j;  // at the plot's edge: the rest step by step
        }
        for (; j < stop; ++j) step(j);
    }
    // The line's last record, where the level left it out: within the tolerance of the
    // last one kept.
    if (j0 < j1 && recs[std::size_t(j1 - 1)] != end - 1) walk.Step(end - 1);
    walk.Finish();
    if (s.Marks.Visible) s.DrawLabels(view, *this, 0, n - 1);
}

}  // namespace tidrun
