#include "planview/planraster.h"

#include <QPainter>

#include <algorithm>

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

}  // namespace

TRasterCanvas::TRasterCanvas(QImage& image, const QRect& clip, const QFont& font)
    : image_(image),
      bits_(reinterpret_cast<std::uint32_t*>(image.bits())),
      stride_(static_cast<int>(image.bytesPerLine() / 4)),
      clip_(clip & image.rect()),
      font_(font),
      stamps_(static_cast<size_t>(image.width()) * static_cast<size_t>(image.height()), 0) {}

void TRasterCanvas::DrawLine(int x0, int y0, int x1, int y1, std::uint32_t argb) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    const int cl = clip_.left(), cr = clip_.right(), ct = clip_.top(), cb = clip_.bottom();
    int err = dx + dy;
    for (;;) {
        if (x0 >= cl && x0 <= cr && y0 >= ct && y0 <= cb) bits_[y0 * stride_ + x0] = argb;
        if (x0 == x1 && y0 == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
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
    auto it = sprites_.find(key);
    if (it != sprites_.end()) return it->second;
    // Drawn once by the exact painter, so stamps match it pixel for pixel.
    const int r = std::max(s.HSize, s.VSize) + 2;
    QImage img(2 * r + 1, 2 * r + 1, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        TPainterCanvas c(p);
        c.Symbol(QPoint(r, r), s, fill);
    }
    Sprite sp{-r, -r, img.width(), img.height(), {}, 0};
    sp.px.resize(static_cast<size_t>(sp.w * sp.h));
    for (int y = 0; y < sp.h; ++y) {
        const auto* line = reinterpret_cast<const std::uint32_t*>(img.constScanLine(y));
        std::copy(line, line + sp.w, sp.px.begin() + y * sp.w);
    }
    sp.signature = single ? fill
                          : (std::uint64_t(1) << 40) ^ (std::uint64_t(sprites_.size()) << 48) ^
                                (std::uint64_t(fill) << 1);
    return sprites_.emplace(key, std::move(sp)).first->second;
}

void TRasterCanvas::Stamp(QPoint p, const Sprite& sp) {
    Use(sp.signature);
    if (p.x() >= 0 && p.y() >= 0 && p.x() < image_.width() && p.y() < image_.height()) {
        std::uint32_t& mark = stamps_[static_cast<size_t>(p.y()) * image_.width() + p.x()];
        if (mark == epoch_) return;  // the same sprite is there, nothing else drawn since
        mark = epoch_;
    }
    const int bx = p.x() + sp.x0, by = p.y() + sp.y0;
    const int xa = std::max(bx, clip_.left()), xb = std::min(bx + sp.w - 1, clip_.right());
    const int ya = std::max(by, clip_.top()), yb = std::min(by + sp.h - 1, clip_.bottom());
    for (int y = ya; y <= yb; ++y) {
        const std::uint32_t* src = sp.px.data() + (y - by) * sp.w - bx;
        std::uint32_t* dst = bits_ + y * stride_;
        for (int x = xa; x <= xb; ++x)
            if (src[x] >> 24) dst[x] = src[x];
    }
}

void TRasterCanvas::Symbol(QPoint p, const TSymbol& symbol, TColour fill) {
    Stamp(p, SpriteFor(symbol, fill));
}

void TRasterCanvas::Label(QPoint p, const QString& text, const TMarks& marks) {
    queued_.push_back({false, p, {}, text, marks, 0});
}

void TRasterCanvas::Ellipse(const QRectF& pixels, TColour pen) {
    queued_.push_back({true, {}, pixels, {}, {}, pen});
}

void TRasterCanvas::Flush() {
    if (queued_.empty()) return;
    {
        QPainter p(&image_);
        p.setClipRect(clip_);
        p.setFont(font_);
        TPainterCanvas c(p);
        for (const Queued& q : queued_) {
            if (q.ellipse)
                c.Ellipse(q.r, q.colour);
            else
                c.Label(q.p, q.text, q.marks);
        }
    }
    queued_.clear();
    signature_ = 0;
    ++epoch_;
}

void TRasterCanvas::DrawSeries(const TChartSeries& s, const TChartView& view) {
    if (s.Kind() == TSeriesKind::LineLine) {
        const auto& line = static_cast<const TLineLineSeries&>(s);
        if (line.Active && !line.HasColourOverrides()) {
            DrawRecordedLine(line, view);
            Flush();
            return;
        }
    }
    if (s.Base() == TSeriesBase::Point) {  // symbols only: stamped
        s.Draw(view, *this);
        Flush();
        return;
    }
    // Outlines, rulers and the guide line are few segments: drawn by the exact painter, so
    // they are the same pixels as on paper.
    Flush();
    QPainter p(&image_);
    p.setClipRect(clip_);
    p.setFont(font_);
    TPainterCanvas c(p);
    s.Draw(view, c);
    signature_ = 0;
    ++epoch_;
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
    for (int c = first / kc; c * kc < end; ++c) {
        const TCutStore::Chunk& ch = store.ChunkAt(c);
        if (ch.HMax < w.HMin || ch.HMin > w.HMax || ch.VMax < w.VMin || ch.VMin > w.VMax) continue;
        const bool inside =
            ch.HMin >= w.HMin && ch.HMax <= w.HMax && ch.VMin >= w.VMin && ch.VMax <= w.VMax;
        const int k0 = std::max(first, c * kc), k1 = std::min(end, (c + 1) * kc);
        if (inside) {
            // Every point of the chunk and the one before it lie in the window.
            int px = 0, py = 0;
            if (k0 > first) {
                px = TChartView::RoundPixel(hx * store.Y(k0 - 1) + hb);
                py = TChartView::RoundPixel(vy * store.X(k0 - 1) + vb);
            }
            for (int k = k0; k < k1; ++k) {
                const int j = k - c * kc;
                const int qx = TChartView::RoundPixel(hx * (oh + double(ch.H[j])) + hb);
                const int qy = TChartView::RoundPixel(vy * (ov + double(ch.V[j])) + vb);
                if (k > first && (qx != px || qy != py)) {
                    Use(s.Colour);
                    DrawLine(px, py, qx, qy, argb);
                }
                if (sprite) Stamp(QPoint(qx, qy), *sprite);
                px = qx;
                py = qy;
            }
            continue;
        }
        for (int k = k0; k < k1; ++k) {
            const double h1 = store.Y(k), v1 = store.X(k);
            if (k > first) {
                double h0 = store.Y(k - 1), v0 = store.X(k - 1), ch1 = h1, cv1 = v1;
                if (ClipSegment(h0, v0, ch1, cv1, w)) {
                    const QPoint p0 = view.ToPixelRounded(h0, v0),
                                 p1 = view.ToPixelRounded(ch1, cv1);
                    if (p0 != p1) {
                        Use(s.Colour);
                        DrawLine(p0.x(), p0.y(), p1.x(), p1.y(), argb);
                    }
                }
            }
            if (sprite && h1 >= w.HMin && h1 <= w.HMax && v1 >= w.VMin && v1 <= w.VMax)
                Stamp(view.ToPixelRounded(h1, v1), *sprite);
        }
    }
    if (s.Marks.Visible) {
        for (int i = 0; i < n; ++i) {
            const double h = s.H(i), v = s.V(i);
            if (h >= w.HMin && h <= w.HMax && v >= w.VMin && v <= w.VMax)
                Label(view.ToPixelRounded(h, v), s.Label(i), s.Marks);
        }
    }
}

}  // namespace tidrun
