#include "planview/planraster.h"

#include <QPainter>

#include <algorithm>
#include <bit>
#include <climits>
#include <utility>

#include "planview/chartview.h"
#include "planview/cutstore.h"
#include "planview/paintplan.h"

namespace tidrun {

namespace {

std::uint32_t Argb(TColour c) {
    return 0xFF000000u | (c & 0xFFFFFFu);
}

// Crosses are drawn in the point's colour only; other symbols in outline and fill.
bool SingleColour(TSymbolStyle s) {
    return s == TSymbolStyle::Cross || s == TSymbolStyle::DiagCross;
}

// Steps of a zoomed recorded line are a few pixels long: their slopes come from a table.
constexpr int kShort = 16;
struct SlopeTable {
    // inc[du][dv + kShort]: (dv << 16) / du truncated, as WalkLine works it out.
    int inc[kShort + 1][2 * kShort + 1] = {};
    constexpr SlopeTable() {
        for (int du = 1; du <= kShort; ++du)
            for (int dv = -kShort; dv <= kShort; ++dv) inc[du][dv + kShort] = dv * 65536 / du;
    }
};
constexpr SlopeTable kSlopes;

// The pixels QPainter sets for a one-pixel aliased line between two distinct pixel points,
// so that both ways of painting agree: walked along the longer axis from its lower end
// (u), the other coordinate (v) in 16.16 fixed point with the slope truncated, started
// half a step on when the slope is positive. put(x, y) sets one pixel. Along the longer
// axis only the pixels from lo to hi (in x or y, whichever that is) are walked.
template <class Put>
inline void WalkLine(int x0, int y0, int x1, int y1, Put put, QPoint lo = {INT_MIN, INT_MIN},
                     QPoint hi = {INT_MAX, INT_MAX}) {
    const bool steep = std::abs(x1 - x0) < std::abs(y1 - y0);
    int u0 = steep ? y0 : x0, u1 = steep ? y1 : x1, v0 = steep ? x0 : y0, v1 = steep ? x1 : y1;
    if (u0 > u1) {
        std::swap(u0, u1);
        std::swap(v0, v1);
    }
    const int du = u1 - u0, dv = v1 - v0;
    // Within an image the division fits in 32 bits, which is much quicker than 64.
    const std::int64_t inc = du <= kShort && std::abs(dv) <= kShort ? kSlopes.inc[du][dv + kShort]
                             : std::abs(dv) < 32768                 ? (dv * 65536) / du
                                                    : (std::int64_t(dv) * 65536) / du;
    std::int64_t v = std::int64_t(v0) * 65536 + (inc > 0 ? inc - (inc >> 1) : 0);
    // Along the longer axis |inc| is at most one pixel (65536): the skip cannot overflow.
    const int ua = std::max(u0, steep ? lo.y() : lo.x()),
              ub = std::min(u1, steep ? hi.y() : hi.x());
    v += inc * (std::int64_t(ua) - u0);
    for (int u = ua; u <= ub; ++u, v += inc) {
        const int w = static_cast<int>(v >> 16);
        steep ? put(w, u) : put(u, w);
    }
}

// A one-colour sprite (offsets of its pixels from the centre) stamped at n centres whose
// pixels all fall inside the image; N known here keeps the offsets in registers.
template <int N>
void StampEach(std::uint32_t* bits, std::ptrdiff_t stride, const int* xs, const int* ys, int n,
               const std::ptrdiff_t* offsets, std::uint32_t colour) {
    std::ptrdiff_t off[N];
    std::copy_n(offsets, N, off);
    for (int i = 0; i < n; ++i) {
        std::uint32_t* centre = bits + ys[i] * stride + xs[i];
        for (int d = 0; d < N; ++d) centre[off[d]] = colour;
    }
}

// Points a pixel or less apart are joined by their two pixels alone.
inline unsigned LongStep(int ax, int ay, int bx, int by) {
    return (static_cast<unsigned>(bx - ax + 1) > 2u) | (static_cast<unsigned>(by - ay + 1) > 2u);
}

// An AVX2 clone beside the plain loop, chosen as the program loads, where the compiler
// and target can: x86-64 with the loader's indirect functions (glibc). GCC knows the
// attribute on other processors too but refuses it there, clang refuses it off x86.
#if defined(__has_attribute) && defined(__x86_64__) && defined(__GLIBC__)
#if __has_attribute(target_clones)
#define TIDRUN_AVX2_CLONES __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef TIDRUN_AVX2_CLONES
#define TIDRUN_AVX2_CLONES
#endif

// Offsets to pixels, truncated (positive inside the window), eight at a time where it can.
TIDRUN_AVX2_CLONES void ToPixels(const float* h, const float* v, int n, float hx, float hc,
                                 float vy, float vc, int* xs, int* ys) {
    for (int j = 0; j < n; ++j) {
        xs[j] = static_cast<int>(hx * h[j] + hc);
        ys[j] = static_cast<int>(vy * v[j] + vc);
    }
}

// Symbols far apart (under one for every two pixels their box spans) are stamped, not marked.
bool Spread(int n, const QRect& box) {
    return 2 * n < box.width() + box.height() - 2;
}

// Where each point (offsets from the store's origin) lies against the window, given in
// the same offsets: one bit per side, 0 inside. Sixteen at a time where the processor can.
TIDRUN_AVX2_CLONES void Outcodes(const float* h, const float* v, int n, double hLo, double hHi,
                                 double vLo, double vHi, std::uint8_t* oc) {
    for (int j = 0; j < n; ++j) {
        const double a = h[j], b = v[j];
        oc[j] =
            static_cast<std::uint8_t>((a < hLo) | (a > hHi) << 1 | (b < vLo) << 2 | (b > vHi) << 3);
    }
}

}  // namespace

TIDRUN_AVX2_CLONES QRect PixelBox(const int* xs, const int* ys, int n) {
    int xa = xs[0], xb = xs[0], ya = ys[0], yb = ys[0];
    for (int i = 1; i < n; ++i) {
        xa = std::min(xa, xs[i]);
        xb = std::max(xb, xs[i]);
        ya = std::min(ya, ys[i]);
        yb = std::max(yb, ys[i]);
    }
    return QRect(QPoint(xa, ya), QPoint(xb, yb));
}

TRasterCanvas::TRasterCanvas(QImage& image, const QRect& clip, const QFont& font, QPainter* painter,
                             TLabelSpace* labels)
    : image_(image),
      bits_(reinterpret_cast<std::uint32_t*>(image.bits())),
      stride_(static_cast<int>(image.bytesPerLine() / 4)),
      width_(image.width()),
      height_(image.height()),
      clip_(clip & image.rect()),
      font_(font),
      painter_(painter),
      labels_(labels) {}

template <class F>
void TRasterCanvas::WithPainter(F&& f) {
    FlushPending();
    if (painter_) {
        painter_->save();
        painter_->setClipRect(clip_);
        painter_->setFont(font_);
        f(*painter_);
        painter_->restore();
    } else {
        QPainter p(&image_);
        p.setClipRect(clip_);
        p.setFont(font_);
        f(p);
    }
    signature_ = 0;
    NextEpoch();
}

void TRasterCanvas::DrawLine(int x0, int y0, int x1, int y1, std::uint32_t argb) {
    const int cl = clip_.left(), cr = clip_.right(), ct = clip_.top(), cb = clip_.bottom();
    auto inClip = [&](int x, int y) { return x >= cl && x <= cr && y >= ct && y <= cb; };
    std::uint32_t* const bits = bits_;
    const std::ptrdiff_t stride = stride_;
    if (std::abs(x1 - x0) <= 1 && std::abs(y1 - y0) <= 1) {  // most cuts: the two ends
        if (inClip(x0, y0)) bits[y0 * stride + x0] = argb;
        if (inClip(x1, y1)) bits[y1 * stride + x1] = argb;
        return;
    }
    if (inClip(std::min(x0, x1), std::min(y0, y1)) && inClip(std::max(x0, x1), std::max(y0, y1)))
        WalkLine(x0, y0, x1, y1, [&](int x, int y) { bits[y * stride + x] = argb; });
    else  // only the part of the walk that can reach the clip: an end may lie far away
        WalkLine(
            x0, y0, x1, y1,
            [&](int x, int y) {
                if (inClip(x, y)) bits[y * stride + x] = argb;
            },
            QPoint(cl, ct), QPoint(cr, cb));
}

void TRasterCanvas::DrawSteps(const int* xs, const int* ys, int n, std::uint32_t argb) {
    // Seen from afar most runs have no step longer than a pixel: found without a branch.
    unsigned far = 0;
    for (int i = 1; i < n; ++i) far |= LongStep(xs[i - 1], ys[i - 1], xs[i], ys[i]);
    if (!far) return;
    constexpr int side = 2 * kStep + 1;
    if (steps_.empty()) {
        steps_.resize(side * side);
        for (int dy = -kStep; dy <= kStep; ++dy)
            for (int dx = -kStep; dx <= kStep; ++dx) {
                StepPixels& st = steps_[(dy + kStep) * side + dx + kStep];
                int used = 0;
                WalkLine(0, 0, dx, dy, [&](int x, int y) {
                    if ((x || y) && (x != dx || y != dy)) st[used++] = y * stride_ + x;
                });
            }
    }
    std::uint32_t* const bits = bits_;
    const std::ptrdiff_t stride = stride_;
    for (int i = 1; i < n; ++i) {
        const int dx = xs[i] - xs[i - 1], dy = ys[i] - ys[i - 1];
        if (static_cast<unsigned>(dx + kStep) <= 2u * kStep &&
            static_cast<unsigned>(dy + kStep) <= 2u * kStep) {
            // Always every slot: the spare ones hold the start, whose pixel is set already,
            // so the loop has no branch to mispredict.
            const StepPixels& st = steps_[(dy + kStep) * side + dx + kStep];
            std::uint32_t* const start = bits + ys[i - 1] * stride + xs[i - 1];
            for (int k = 0; k < kStep - 1; ++k) start[st[k]] = argb;
        } else {
            DrawLine(xs[i - 1], ys[i - 1], xs[i], ys[i], argb);
        }
    }
}

void TRasterCanvas::Line(QPoint a, QPoint b, TColour colour) {
    Use(colour);
    DrawLine(a.x(), a.y(), b.x(), b.y(), Argb(colour));
}

const TRasterCanvas::Sprite& TRasterCanvas::SpriteFor(const TSymbol& s, TColour fill) {
    const bool single = SingleColour(s.Style);
    const auto key = std::make_tuple(static_cast<int>(s.Style), s.HSize, s.VSize,
                                     single ? TColour(0) : s.Pen, fill);
    // Points of one series use a few symbols: the recent ones are tried first.
    for (const Recent& r : recent_)
        if (r.sprite && r.key == key) return *r.sprite;
    const auto remember = [this, &key](const Sprite* sprite) -> const Sprite& {
        recent_[recentNext_] = {key, sprite};
        recentNext_ = (recentNext_ + 1) % recent_.size();
        return *sprite;
    };
    auto it = sprites_.find(key);
    if (it != sprites_.end()) return remember(&it->second);
    // Drawn once by the exact painter, so stamps match it pixel for pixel.
    const int r = std::max(s.HSize, s.VSize) + 2;
    QImage img(2 * r + 1, 2 * r + 1, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        TPainterCanvas c(p);
        c.Symbol(QPoint(r, r), s, fill);
    }
    Sprite sp;
    sp.x0 = sp.y0 = -r;
    sp.w = img.width();
    sp.h = img.height();
    sp.px.resize(static_cast<size_t>(sp.w * sp.h));
    for (int y = 0; y < sp.h; ++y) {
        const auto* line = reinterpret_cast<const std::uint32_t*>(img.constScanLine(y));
        std::copy(line, line + sp.w, sp.px.begin() + y * sp.w);
        for (int x = 0; x < sp.w; ++x) {
            if (!(line[x] >> 24)) continue;
            const int dx = x + sp.x0, dy = y + sp.y0;
            sp.dotOffset.push_back(std::ptrdiff_t(dy) * stride_ + dx);
            sp.dotColour.push_back(line[x]);
            sp.dotXY.emplace_back(dx, dy);
            sp.centred = sp.centred || (dx == 0 && dy == 0);
            if (sp.dx1 < sp.dx0) {
                sp.dx0 = sp.dx1 = dx;
                sp.dy0 = sp.dy1 = dy;
            }
            sp.dx0 = std::min(sp.dx0, dx);
            sp.dx1 = std::max(sp.dx1, dx);
            sp.dy0 = std::min(sp.dy0, dy);
            sp.dy1 = std::max(sp.dy1, dy);
        }
    }
    sp.cross7 = IsDiagonalCross7(sp.dotXY);
    sp.uniform = !sp.dotColour.empty() && sp.dx0 > -64 && sp.dx1 < 64 &&
                 std::all_of(sp.dotColour.begin(), sp.dotColour.end(),
                             [&](std::uint32_t c) { return c == sp.dotColour.front(); });
    sp.signature = single ? fill
                          : (std::uint64_t(1) << 40) ^ (std::uint64_t(sprites_.size()) << 48) ^
                                (std::uint64_t(fill) << 1);
    return remember(&sprites_.emplace(key, std::move(sp)).first->second);
}

void TRasterCanvas::Stamp(QPoint p, const Sprite& sp, bool once) {
    Use(sp.signature);
    const int x = p.x(), y = p.y();
    if (once && sp.uniform && x >= 0 && y >= 0 && x < width_ && y < height_) {
        MarkCentres(sp, &x, &y, 1, QRect(x, y, 1, 1));
        return;
    }
    const int cl = clip_.left(), cr = clip_.right(), ct = clip_.top(), cb = clip_.bottom();
    if (x + sp.dx0 >= cl && x + sp.dx1 <= cr && y + sp.dy0 >= ct && y + sp.dy1 <= cb) {
        // Wholly inside: only the drawn pixels are touched.
        std::uint32_t* centre = bits_ + std::ptrdiff_t(y) * stride_ + x;
        const size_t n = sp.dotOffset.size();
        const std::ptrdiff_t* off = sp.dotOffset.data();
        const std::uint32_t* colour = sp.dotColour.data();
        for (size_t i = 0; i < n; ++i) centre[off[i]] = colour[i];
        return;
    }
    const int bx = x + sp.x0, by = y + sp.y0;
    const int xa = std::max(bx, cl), xb = std::min(bx + sp.w - 1, cr);
    const int ya = std::max(by, ct), yb = std::min(by + sp.h - 1, cb);
    for (int yy = ya; yy <= yb; ++yy) {
        const std::uint32_t* src = sp.px.data() + (yy - by) * sp.w - bx;
        std::uint32_t* dst = bits_ + yy * stride_;
        for (int xx = xa; xx <= xb; ++xx)
            if (src[xx] >> 24) dst[xx] = src[xx];
    }
}

void TRasterCanvas::StampClipped(int x, int y, const Sprite& sp) {
    StampClipped(x, y, sp, sp.dotColour.front());
}

void TRasterCanvas::StampClipped(int x, int y, const Sprite& sp, std::uint32_t colour) {
    const int cl = clip_.left(), cr = clip_.right(), ct = clip_.top(), cb = clip_.bottom();
    if (x + sp.dx0 >= cl && x + sp.dx1 <= cr && y + sp.dy0 >= ct && y + sp.dy1 <= cb) {
        std::uint32_t* centre = bits_ + std::ptrdiff_t(y) * stride_ + x;
        for (const std::ptrdiff_t off : sp.dotOffset) centre[off] = colour;
        return;
    }
    for (const auto& [dx, dy] : sp.dotXY)
        if (x + dx >= cl && x + dx <= cr && y + dy >= ct && y + dy <= cb)
            bits_[std::ptrdiff_t(y + dy) * stride_ + x + dx] = colour;
}

void TRasterCanvas::MarkCentres(const Sprite& sp, const int* xs, const int* ys, int n,
                                const QRect& box) {
    if (pending_ != &sp) {
        FlushPending();
        pending_ = &sp;
    }
    if (seen_.empty()) {
        seenWords_ = (width_ + 63) / 64;
        seen_.assign(static_cast<size_t>(seenWords_) * height_, 0);
    }
    std::uint64_t* const seen = seen_.data();
    const std::ptrdiff_t words = seenWords_;
    for (int i = 0; i < n; ++i)
        seen[ys[i] * words + (xs[i] >> 6)] |= std::uint64_t(1) << (xs[i] & 63);
    seenCount_ += n;
    seenTop_ = std::min(seenTop_, box.top());
    seenBottom_ = std::max(seenBottom_, box.bottom());
    seenLeft_ = std::min(seenLeft_, box.left() >> 6);
    seenRight_ = std::max(seenRight_, box.right() >> 6);
}

void TRasterCanvas::ClearSeen() {
    const std::ptrdiff_t words = seenWords_;
    for (int y = seenTop_; y <= seenBottom_; ++y)
        std::fill(seen_.begin() + y * words + seenLeft_, seen_.begin() + y * words + seenRight_ + 1,
                  0);
    seenTop_ = seenLeft_ = 1 << 30;
    seenBottom_ = seenRight_ = -1;
    seenCount_ = 0;
}

bool TRasterCanvas::PlotChunk(const int* xs, const int* ys, int n, const QRect& box, bool sparse,
                              std::uint32_t argb, const Sprite* sprite) {
    const int x0 = box.left(), x1 = box.right(), y0 = box.top(), y1 = box.bottom();
    // A point on the window's edge may round to a pixel beyond the plot: point by point.
    if (x0 < clip_.left() || x1 > clip_.right() || y0 < clip_.top() || y1 > clip_.bottom())
        return false;
    std::uint32_t* const bits = bits_;
    const std::ptrdiff_t stride = stride_;
    // Symbols stamped now in the points' colour, over their centres, set the points' pixels.
    if (!(sparse && sprite && sprite->centred && sprite->dotColour.front() == argb))
        for (int i = 0; i < n; ++i) bits[ys[i] * stride + xs[i]] = argb;
    if (!sprite) return true;
    // Symbols far apart (a zoomed view) are stamped straight away; many to a pixel are
    // marked and drawn once each.
    if (sparse) {
        const std::ptrdiff_t* off = sprite->dotOffset.data();
        const std::size_t dots = sprite->dotOffset.size();
        const std::uint32_t colour = sprite->dotColour.front();
        auto stamp = [&](const int* sx, const int* sy, int count) {
            switch (dots) {
                case 5:  // diagonal cross 3 x 3
                    StampEach<5>(bits, stride, sx, sy, count, off, colour);
                    break;
                case 13:  // diagonal cross 7 x 7, the recorded lines' symbol
                    StampEach<13>(bits, stride, sx, sy, count, off, colour);
                    break;
                default:
                    for (int i = 0; i < count; ++i) {
                        std::uint32_t* centre = bits + sy[i] * stride + sx[i];
                        for (std::size_t d = 0; d < dots; ++d) centre[off[d]] = colour;
                    }
            }
        };
        const int cl = clip_.left() - sprite->dx0, cr = clip_.right() - sprite->dx1,
                  ct = clip_.top() - sprite->dy0, cb = clip_.bottom() - sprite->dy1;
        if (x0 >= cl && x1 <= cr && y0 >= ct && y1 <= cb) {
            stamp(xs, ys, n);
            return true;
        }
        // Some reach the plot's edge: those alone are clipped dot by dot.
        for (int i = 0; i < n;) {
            int j = i;
            while (j < n && xs[j] >= cl && xs[j] <= cr && ys[j] >= ct && ys[j] <= cb) ++j;
            stamp(xs + i, ys + i, j - i);
            if (j < n) StampClipped(xs[j], ys[j], *sprite);
            i = j + 1;
        }
        return true;
    }
    MarkCentres(*sprite, xs, ys, n, box);
    return true;
}

void TRasterCanvas::FlushPending() {
    if (!pending_) return;
    const Sprite& sp = *pending_;
    pending_ = nullptr;
    if (seenTop_ > seenBottom_) return;
    const int words = seenWords_;
    const std::int64_t scanned =
        std::int64_t(seenBottom_ - seenTop_ + 1) * (seenRight_ - seenLeft_ + 1);
    if (seenCount_ < scanned) {
        // Few marks over the rows they span: each one stamped, clipped pixel by pixel.
        for (int y = seenTop_; y <= seenBottom_; ++y)
            for (int w = seenLeft_; w <= seenRight_; ++w) {
                for (std::uint64_t m = seen_[std::size_t(y) * words + w]; m; m &= m - 1)
                    StampClipped(w * 64 + std::countr_zero(m), y, sp);
            }
        ClearSeen();
        return;
    }
    // Words that can hold covered pixels: those of marked centres and their neighbours.
    const int wa = std::max(seenLeft_ - 1, std::max(clip_.left() >> 6, 0)),
              wb = std::min(seenRight_ + 1, std::min(clip_.right() >> 6, words - 1));
    int ya = std::max(seenTop_ + sp.dy0, clip_.top());
    const int yb = std::min(seenBottom_ + sp.dy1, clip_.bottom());
    row_.resize(static_cast<size_t>(words));
    if (wa > wb) ya = yb + 1;  // nothing inside the plot
    const std::uint32_t colour = sp.dotColour.front();
    const int cl = clip_.left(), cr = clip_.right();
    for (int y = ya; y <= yb; ++y) {
        // Every pixel of this row covered by a marked centre: the centre rows shifted by
        // each dot's offset.
        std::fill(row_.begin() + wa, row_.begin() + wb + 1, 0);
        bool any = false;
        for (const auto& [dx, dy] : sp.dotXY) {
            const int sy = y - dy;
            if (sy < seenTop_ || sy > seenBottom_) continue;
            const std::uint64_t* src = seen_.data() + static_cast<size_t>(sy) * words;
            any = true;
            std::uint64_t* out = row_.data();
            if (dx == 0) {
                for (int w = wa; w <= wb; ++w) out[w] |= src[w];
            } else if (dx > 0) {
                out[wa] |= (src[wa] << dx) | (wa > 0 ? src[wa - 1] >> (64 - dx) : 0);
                for (int w = wa + 1; w <= wb; ++w)
                    out[w] |= (src[w] << dx) | (src[w - 1] >> (64 - dx));
            } else {
                const int sh = -dx;
                for (int w = wa; w < wb; ++w) out[w] |= (src[w] >> sh) | (src[w + 1] << (64 - sh));
                out[wb] |= (src[wb] >> sh) | (wb + 1 < words ? src[wb + 1] << (64 - sh) : 0);
            }
        }
        if (!any) continue;
        std::uint32_t* line = bits_ + std::ptrdiff_t(y) * stride_;
        // Columns outside the plot are masked off in the first and last word.
        row_[wa] &= ~std::uint64_t(0) << std::max(cl - wa * 64, 0);
        if (cr - wb * 64 < 63) row_[wb] &= ~(~std::uint64_t(0) << (cr - wb * 64 + 1));
        for (int w = wa; w <= wb; ++w) {
            std::uint64_t m = row_[w];
            std::uint32_t* base = line + w * 64;
            while (m) {
                base[std::countr_zero(m)] = colour;
                m &= m - 1;
            }
        }
    }
    ClearSeen();
}

void TRasterCanvas::Symbol(QPoint p, const TSymbol& symbol, TColour fill) {
    Stamp(p, SpriteFor(symbol, fill));
}

void TRasterCanvas::Label(QPoint p, const QString& text, const TMarks& marks, TLabelRule rule) {
    queued_.push_back({false, p, {}, text, marks, 0, rule});
}

void TRasterCanvas::Ellipse(const QRectF& pixels, TColour pen) {
    queued_.push_back({true, {}, pixels, {}, {}, pen, TLabelRule::Always});
}

void TRasterCanvas::Flush() {
    FlushPending();
    FlushQueued();
}

void TRasterCanvas::FlushQueued() {
    if (queued_.empty()) return;
    WithPainter([this](QPainter& p) {
        TPainterCanvas c(p, labels_);
        for (const Queued& q : queued_) {
            if (q.ellipse)
                c.Ellipse(q.r, q.colour);
            else
                c.Label(q.p, q.text, q.marks, q.rule);
        }
    });
    queued_.clear();
}

void TRasterCanvas::DrawSeries(const TChartSeries& s, const TChartView& view) {
    if (s.Kind() == TSeriesKind::LineLine) {
        const auto& line = static_cast<const TLineLineSeries&>(s);
        const int level =
            line.Cuts().LevelFor(std::max(std::abs(view.HScale()), std::abs(view.VScale())));
        // Cuts coloured by depth are walked one by one at every scale: where many fall on one
        // pixel, its colour is the last one's, which no level can know.
        if (line.Active && Walkable(line) && (level >= 0 || line.DepthColours())) {
            if (line.DepthColours())
                DrawColouredLine(line, view);
            else
                DrawLevelLine(line, view, level);
            FlushQueued();
            return;
        }
        if (line.Active && !line.HasColourOverrides()) {
            DrawRecordedLine(line, view);
            FlushQueued();  // symbols stay pending while the next lines have the same colour
            return;
        }
    }
    if (s.Base() == TSeriesBase::Point) {  // symbols only: stamped
        s.Draw(view, *this);
        Flush();
        return;
    }
    // Outlines, rulers and the guide line: their segments set the pixels the exact painter
    // sets.
    s.Draw(view, *this);
    Flush();
}

void TRasterCanvas::DrawRecordedLine(const TLineLineSeries& s, const TChartView& view) {
    const int n = s.Count();
    if (n == 0) return;
    const TCutStore& store = s.Cuts();
    const TExtent a = view.Axes();
    const TClipWindow w{a.YMin, a.YMax, a.XMin, a.XMax};
    const bool symbols = s.Base() == TSeriesBase::Line && s.Symbol.Visible;
    const std::uint32_t argb = Argb(s.Colour);
    const Sprite* sprite = symbols ? &SpriteFor(s.Symbol, s.Colour) : nullptr;
    const double hx = view.HScale(), hb = view.HOffset(), vy = view.VScale(), vb = view.VOffset();
    const double oh = store.OriginH(), ov = store.OriginV();
    const int first = s.FirstRecord(), end = first + n;
    constexpr int kc = TCutStore::kChunkCuts;
    if (!s.Marks.Visible && !store.GroupsMeet(first, end, {w.HMin, w.HMax, w.VMin, w.VMax})) return;
    // Pixel rounding as TChartView::RoundPixel for points inside the window, whose pixels
    // are small and positive: the bias keeps the truncation a floor.
    constexpr double kBias = 1 << 20;
    const double hbr = hb + 0.5 + kBias, vbr = vb + 0.5 + kBias;
    auto pixelX = [&](double h) { return static_cast<int>(hx * h + hbr) - int(kBias); };
    auto pixelY = [&](double v) { return static_cast<int>(vy * v + vbr) - int(kBias); };
    const int cl = clip_.left(), ct = clip_.top();
    const unsigned cw = static_cast<unsigned>(clip_.width()),
                   chh = static_cast<unsigned>(clip_.height());
    auto plot = [&](int x, int y) {
        if (static_cast<unsigned>(x - cl) < cw && static_cast<unsigned>(y - ct) < chh)
            bits_[std::ptrdiff_t(y) * stride_ + x] = argb;
    };
    // Where a point lies against the window: one bit per side, 0 inside.
    auto outcode = [&](double h, double v) {
        return (h < w.HMin ? 1 : 0) | (h > w.HMax ? 2 : 0) | (v < w.VMin ? 4 : 0) |
               (v > w.VMax ? 8 : 0);
    };
    // Offsets from the store's origin straight to biased pixels.
    const double hch = hx * oh + hbr, vch = vy * ov + vbr;
    // The same in float for whole chunks (ToPixels) while every term stays
    // below kFloatReach pixels, where float is good to a hundredth of a pixel; inside the
    // window the pixels are positive, so truncation is the floor.
    constexpr double kFloatReach = 1 << 16;
    const float hxf = float(hx), vyf = float(vy), hcf = float(hx * oh + hb + 0.5),
                vcf = float(vy * ov + vb + 0.5);
    auto floatReach = [&](const TCutStore::Box& b) {
        return std::max({std::abs(hx) * std::max(std::abs(b.HMin - oh), std::abs(b.HMax - oh)),
                         std::abs(vy) * std::max(std::abs(b.VMin - ov), std::abs(b.VMax - ov)),
                         std::abs(hx * oh + hb), std::abs(vy * ov + vb)}) < kFloatReach;
    };
    // Pixels of the chunk's points j0..j1-1 inside the window, in float where that is exact
    // enough (inFloat: floatReach of a box holding them).
    auto toPixels = [&](const TCutStore::Chunk& ch, int j0, int j1, bool inFloat, int* px,
                        int* py) {
        if (inFloat) {
            ToPixels(ch.H + j0, ch.V + j0, j1 - j0, hxf, hcf, vyf, vcf, px + j0, py + j0);
            return;
        }
        for (int j = j0; j < j1; ++j) {
            px[j] = static_cast<int>(hx * double(ch.H[j]) + hch) - int(kBias);
            py[j] = static_cast<int>(vy * double(ch.V[j]) + vch) - int(kBias);
        }
    };
    const bool mixed = sprite && sprite->signature != s.Colour;
    // Whole chunks at once: every point's pixel is the end of a segment drawn, so all are
    // set (a line of one point has no segment: drawn point by point), and symbols in the
    // line's colour are only marked.
    const bool bulk = n > 1 && !mixed && (!sprite || sprite->uniform);
    int xs[kc], ys[kc];
    std::uint8_t oc[kc];
    Use(s.Colour);
    // As Spread, judged on a world box, for points not turned into pixels.
    auto sparseRun = [&](int count, const TCutStore::Box& b) {
        return 2 * count < std::abs(hx) * (b.HMax - b.HMin) + std::abs(vy) * (b.VMax - b.VMin);
    };
    // Boxes against the window, all four sides at once: tests one by one would mispredict.
    auto outside = [&](const TCutStore::Box& b) {
        return (b.HMax < w.HMin) | (b.HMin > w.HMax) | (b.VMax < w.VMin) | (b.VMin > w.VMax);
    };
    auto within = [&](const TCutStore::Box& b) {
        return (b.HMin >= w.HMin) & (b.HMax <= w.HMax) & (b.VMin >= w.VMin) & (b.VMax <= w.VMax);
    };
    // Runs of the line's records to draw from one chunk, each with its box.
    struct Run {
        int k0, k1;
        TCutStore::Box box;
        bool inside;
    };
    const int chunks = store.ChunkCount();
    for (int c = first / kc; c * kc < end; ++c) {
        const TCutStore::Box& all = store.ChunkBox(c);
        // Read ahead while this chunk is drawn: what of the next chunk (of this line or,
        // likely drawn next, of the next) its boxes say will be drawn.
        if (c + 1 < chunks) {
            const TCutStore::Box& nextAll = store.ChunkBox(c + 1);
            if (!outside(nextAll)) {
                const TCutStore::Chunk& next = store.ChunkAt(c + 1);
                const bool whole = within(nextAll);
                const TCutStore::Box* nextPart = store.PartBoxes(c + 1);
                constexpr int kp = TCutStore::kPartCuts;
                for (int q = 0; q < TCutStore::kParts; ++q) {
                    if (!whole && outside(nextPart[q])) continue;
                    for (int k = q * kp; k < (q + 1) * kp; k += 64 / sizeof(float)) {
                        __builtin_prefetch(next.H + k);
                        __builtin_prefetch(next.V + k);
                    }
                }
            }
        }
        // The part boxes, a chunk further ahead, for a chunk lying partly in the window.
        if (c + 2 < chunks) {
            const TCutStore::Box& later = store.ChunkBox(c + 2);
            if (!outside(later) && !within(later)) {
                const char* p = reinterpret_cast<const char*>(store.PartBoxes(c + 2));
                for (std::size_t b = 0; b < TCutStore::kParts * sizeof(TCutStore::Box); b += 64)
                    __builtin_prefetch(p + b);
            }
        }
        if (outside(all)) continue;
        const TCutStore::Chunk& ch = store.ChunkAt(c);
        const TCutStore::Box* const part = store.PartBoxes(c);
        Run runs[TCutStore::kParts];
        int nRuns = 0;
        if (within(all)) {
            runs[nRuns++] = {std::max(first, c * kc), std::min(end, (c + 1) * kc), all, true};
        } else {  // partly inside: by parts
            constexpr int kp = TCutStore::kPartCuts;
            for (int q = 0; q < TCutStore::kParts; ++q) {
                const int k0 = std::max(first, c * kc + q * kp),
                          k1 = std::min(end, c * kc + (q + 1) * kp);
                if (k0 >= k1 || outside(part[q])) continue;
                const bool in = within(part[q]);
                // Neighbouring parts alike make one run.
                const TCutStore::Box& b = part[q];
                if (nRuns > 0 && runs[nRuns - 1].inside == in && runs[nRuns - 1].k1 == k0) {
                    Run& r = runs[nRuns - 1];
                    r.k1 = k1;
                    r.box.Take(b.HMin, b.VMin);
                    r.box.Take(b.HMax, b.VMax);
                } else {
                    runs[nRuns++] = {k0, k1, b, in};
                }
            }
        }
        for (int r = 0; r < nRuns; ++r) {
            const int k0 = runs[r].k0, k1 = runs[r].k1;
            const TCutStore::Box& bx = runs[r].box;
            if (runs[r].inside) {
                // Every point of the chunk and the one before it lie in the window: all pixels
                // first, in a loop without branches, then one segment and symbol per change of
                // pixel.
                const int j0 = k0 - c * kc, j1 = k1 - c * kc;
                toPixels(ch, j0, j1, floatReach(bx), xs, ys);
                // How crowded the symbols are is judged on the run's own pixels: a chunk's
                // box also holds the points of the line before or after.
                const QRect box = PixelBox(xs + j0, ys + j0, j1 - j0);
                if (bulk &&
                    PlotChunk(xs + j0, ys + j0, j1 - j0, box, Spread(j1 - j0, box), argb, sprite)) {
                    if (k0 > first) {  // the step from the run before
                        const int lx = pixelX(store.Y(k0 - 1)), ly = pixelY(store.X(k0 - 1));
                        plot(lx, ly);
                        if (LongStep(lx, ly, xs[j0], ys[j0]))
                            DrawLine(lx, ly, xs[j0], ys[j0], argb);
                    }
                    DrawSteps(xs + j0, ys + j0, j1 - j0, argb);
                    continue;
                }
                int px = xs[j0], py = ys[j0], j = j0 + 1;
                if (k0 > first) {
                    px = pixelX(store.Y(k0 - 1));
                    py = pixelY(store.X(k0 - 1));
                    j = j0;
                } else if (sprite) {
                    Stamp(QPoint(px, py), *sprite, true);
                }
                for (; j < j1; ++j) {
                    const int qx = xs[j], qy = ys[j];
                    if (qx == px && qy == py) continue;  // same pixel, same symbol
                    if (mixed) Use(s.Colour);
                    if (static_cast<unsigned>(qx - px + 1) <= 2u &&
                        static_cast<unsigned>(qy - py + 1) <= 2u) {
                        plot(px, py);
                        plot(qx, qy);
                    } else {
                        DrawLine(px, py, qx, qy, argb);
                    }
                    if (sprite) Stamp(QPoint(qx, qy), *sprite, true);
                    px = qx;
                    py = qy;
                }
                continue;
            }
            // Partly inside: segments with both ends inside need no clipping, segments wholly
            // beyond one side are skipped, the rest are clipped.
            // Where each point lies first, in a loop without branches; runs of points beyond
            // one side then cost a test each.
            const bool sparse = sparseRun(k1 - k0, bx);
            const int j0 = k0 - c * kc, j1 = k1 - c * kc;
            Outcodes(ch.H + j0, ch.V + j0, j1 - j0, w.HMin - oh, w.HMax - oh, w.VMin - ov,
                     w.VMax - ov, oc + j0);
            const bool inFloat = floatReach(bx);
            int o0 = 0, x0 = 0, y0 = 0;  // x0, y0: the pixel of the previous point when inside
            if (k0 > first) {
                o0 = outcode(store.Y(k0 - 1), store.X(k0 - 1));
                if (o0 == 0) {
                    x0 = pixelX(store.Y(k0 - 1));
                    y0 = pixelY(store.X(k0 - 1));
                }
            }
            for (int k = k0; k < k1; ++k) {
                const int j = k - c * kc;
                const int o1 = oc[j];
                if (o0 & o1) {  // both beyond one side: nothing of the segment is seen
                    o0 = o1;
                    continue;
                }
                const double h1 = oh + double(ch.H[j]), v1 = ov + double(ch.V[j]);
                int x1 = 0, y1 = 0;
                if (o1 == 0) {
                    x1 = pixelX(h1);
                    y1 = pixelY(v1);
                }
                if (k > first) {
                    Use(s.Colour);
                    if ((o0 | o1) == 0) {
                        if (x0 != x1 || y0 != y1) DrawLine(x0, y0, x1, y1, argb);
                    } else {
                        double ch0 = store.Y(k - 1), cv0 = store.X(k - 1), ch1 = h1, cv1 = v1;
                        if (ClipSegment(ch0, cv0, ch1, cv1, w)) {
                            const QPoint p0 = view.ToPixelRounded(ch0, cv0),
                                         p1 = view.ToPixelRounded(ch1, cv1);
                            if (p0 != p1) DrawLine(p0.x(), p0.y(), p1.x(), p1.y(), argb);
                        }
                    }
                }
                if (sprite && o1 == 0) Stamp(QPoint(x1, y1), *sprite, !sparse);
                o0 = o1;
                x0 = x1;
                y0 = y1;
                if (o1 != 0 || !bulk) continue;
                // From a point inside, the points that follow it inside are drawn as a whole
                // run is: a line crossing the window's edge costs point by point only there.
                int e = j + 1;
                while (e < j1 && oc[e] == 0) ++e;
                if (e - j < 4) continue;
                toPixels(ch, j + 1, e, inFloat, xs, ys);
                xs[j] = x1;  // as drawn already
                ys[j] = y1;
                const QRect box = PixelBox(xs + j, ys + j, e - j);
                if (!PlotChunk(xs + j, ys + j, e - j, box, Spread(e - j, box), argb, sprite))
                    continue;
                DrawSteps(xs + j, ys + j, e - j, argb);
                k = c * kc + e - 1;
                x0 = xs[e - 1];
                y0 = ys[e - 1];
            }
        }
    }
    if (s.Marks.Visible) s.DrawLabels(view, *this, 0, n - 1);
}

}  // namespace tidrun
