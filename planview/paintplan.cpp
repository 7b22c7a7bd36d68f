#include "planview/paintplan.h"

#include <QFontMetrics>
#include <QPainterPath>

#include <algorithm>

#include "planview/markprops.h"
#include "planview/planpainter.h"
#include "planview/planscene.h"

namespace tidrun {

namespace {

QColor Rgb(TColour c) {
    return QColor::fromRgb(static_cast<QRgb>(0xFF000000u | (c & 0xFFFFFF)));
}

}  // namespace

void TPainterCanvas::FlushLines() {
    if (lines_.empty()) return;
    p_.setPen(QPen(Rgb(lineColour_), 0));
    p_.drawLines(lines_.data(), static_cast<int>(lines_.size()));
    lines_.clear();
}

void TPainterCanvas::Line(QPoint a, QPoint b, TColour colour) {
    if (!lines_.empty() && colour != lineColour_) FlushLines();
    lineColour_ = colour;
    lines_.emplace_back(a, b);
}

void TPainterCanvas::Symbol(QPoint p, const TSymbol& s, TColour fill) {
    FlushLines();
    const int hs = s.HSize, vs = s.VSize;
    const int x = p.x(), y = p.y();
    switch (s.Style) {
        case TSymbolStyle::Cross:
            p_.setPen(QPen(Rgb(fill), 0));
            p_.drawLine(x - hs, y, x + hs, y);
            p_.drawLine(x, y - vs, x, y + vs);
            return;
        case TSymbolStyle::DiagCross:
            p_.setPen(QPen(Rgb(fill), 0));
            p_.drawLine(x - hs, y - vs, x + hs, y + vs);
            p_.drawLine(x - hs, y + vs, x + hs, y - vs);
            return;
        default:
            break;
    }
    p_.setPen(s.Pen == kClNone ? QPen(Qt::NoPen) : QPen(Rgb(s.Pen), 0));
    p_.setBrush(fill == kClNone ? QBrush(Qt::NoBrush) : QBrush(Rgb(fill)));
    switch (s.Style) {
        case TSymbolStyle::Circle:
            p_.drawEllipse(QRect(x - hs, y - vs, 2 * hs, 2 * vs));
            break;
        case TSymbolStyle::Square:
            p_.drawRect(QRect(x - hs, y - vs, 2 * hs, 2 * vs));
            break;
        case TSymbolStyle::Triangle: {
            const QPoint tri[3] = {{x - hs, y + vs}, {x + hs, y + vs}, {x, y - vs}};
            p_.drawPolygon(tri, 3);
            break;
        }
        default:
            break;
    }
    p_.setBrush(Qt::NoBrush);
}

int TLabelWidths::Width(const QFontMetrics& fm, const QFont& font, const QString& text) {
    if (font != font_ || widths_.size() > 200000) {  // another font, or bounded memory
        font_ = font;
        widths_.clear();
    }
    auto it = widths_.constFind(text);
    if (it == widths_.constEnd()) it = widths_.insert(text, fm.horizontalAdvance(text));
    return *it;
}

QRect LabelBox(QPoint p, int textWidth, int fontHeight, const TMarks& marks) {
    const int w = textWidth + 4, h = fontHeight + 2;
    // The frame is drawn one pixel past the box on the right and at the bottom.
    return QRect(p.x() - w / 2, p.y() - marks.ArrowLength - h, w + 1, h + 1);
}

void TPainterCanvas::Label(QPoint p, const QString& text, const TMarks& marks, TLabelRule rule) {
    if (text.isEmpty()) return;
    // The font stays while a canvas draws: its metrics are taken once, not once a label.
    if (!metrics_) metrics_.emplace(p_.font());
    const int width =
        widths_ ? widths_->Width(*metrics_, p_.font(), text) : metrics_->horizontalAdvance(text);
    const QRect frame = LabelBox(p, width, metrics_->height(), marks);
    if (labels_ && !labels_->Place(frame, rule)) return;
    if (!kept_.isEmpty() && !kept_.intersects(frame.united(QRect(p, QSize(1, 1))))) return;
    FlushLines();
    if (marks.ArrowLength > 0) {
        p_.setPen(QPen(Rgb(marks.ArrowColour), 0));
        p_.drawLine(p, QPoint(p.x(), p.y() - marks.ArrowLength));
    }
    const QRect box = frame.adjusted(0, 0, -1, -1);
    p_.setPen(QPen(Qt::black, 0));
    p_.setBrush(QColor(0xFF, 0xFF, 0xE1));
    p_.drawRect(box);
    p_.setBrush(Qt::NoBrush);
    p_.drawText(box, Qt::AlignCenter, text);
}

void TPainterCanvas::Ellipse(const QRectF& pixels, TColour pen) {
    FlushLines();
    p_.setPen(QPen(Rgb(pen), 0));
    p_.setBrush(Qt::NoBrush);
    p_.drawEllipse(pixels);
}

QColor MapColour(const QString& name) {
    const TBasicColour* c = BasicColourNamed(name);
    return QColor(c ? c->rgb : qRgb(0x00, 0x80, 0x80));
}

void PaintNorthArrow(QPainter& painter, const QRect& plot) {
    const int l = plot.left(), t = plot.top();
    painter.setPen(QPen(QColor(0xFF, 0xFF, 0x00), 3));
    const QPoint arrow[4] = {
        {l + 50, t + 120}, {l + 50, t + 20}, {l + 40, t + 60}, {l + 60, t + 70}};
    painter.drawPolyline(arrow, 4);
    painter.drawLine(l + 30, t + 95, l + 70, t + 95);
}

QRect BoatRect(const TChartView& view, const TMoveObjectSeries& boat) {
    QRect r;
    const int n = boat.Count();
    for (int i = 0; i < n; ++i) {
        const QPoint p = view.ToPixelRounded(boat.H(i), boat.V(i));
        const int s = TMoveObjectSeries::SymbolSize(i, n) + 2;
        r |= QRect(p.x() - s, p.y() - s, 2 * s + 1, 2 * s + 1);
    }
    return r & QRect(QPoint(0, 0), view.WidgetSize());
}

QRect GrowthRect(const TChartView& view, const TLineLineSeries& line, int from, int to,
                 TLabelWidths* widths) {
    QRect r;
    if (to < 0 || to >= line.Count()) return r;
    from = std::clamp(from, 0, to);
    const int s = std::max(line.Symbol.HSize, line.Symbol.VSize) + 2;
    for (int i = std::max(0, from - 1); i <= to; ++i) {
        const QPoint p = view.ToPixelRounded(line.H(i), line.V(i));
        r |= QRect(p.x() - s, p.y() - s, 2 * s + 1, 2 * s + 1);
    }
    if (line.Marks.Visible) {
        const QFontMetrics fm(view.LabelFont());
        for (const int i : {from, to}) {
            const QPoint p = view.ToPixelRounded(line.H(i), line.V(i));
            // The box with the arrow down to its point.
            const QString text = line.Label(i);
            const int w =
                widths ? widths->Width(fm, view.LabelFont(), text) : fm.horizontalAdvance(text);
            r |= LabelBox(p, w, fm.height(), line.Marks)
                     .united(QRect(p, QSize(1, 1)))
                     .adjusted(-1, -1, 1, 1);
        }
    }
    return r & QRect(QPoint(0, 0), view.WidgetSize());
}

TPlanLayerCache::TPlanLayerCache() = default;
TPlanLayerCache::~TPlanLayerCache() = default;
void TPlanLayerCache::Drop() {
    layers_.reset();
}
std::size_t TPlanLayerCache::MemoryBytes() const {
    if (!layers_) return 0;
    return static_cast<std::size_t>(
        layers_->base.sizeInBytes() + layers_->groups[0].image.sizeInBytes() +
        layers_->groups[1].image.sizeInBytes() + layers_->open.sizeInBytes());
}

QRect DepthLegendRect(const QRect& plot, const QFont& font) {
    const QFontMetrics fm(font);
    const int w = std::max(150, 2 * fm.horizontalAdvance(QStringLiteral("000.00 m")) + 24);
    const int h = 2 * fm.height() + 22;
    return QRect(plot.right() - 8 - w, plot.bottom() - 8 - h, w, h);
}

void PaintDepthLegend(QPainter& painter, const QRect& plot, const TDepthRange& range,
                      const QFont& font) {
    const QRect box = DepthLegendRect(plot, font);
    if (!plot.contains(box)) return;  // a window too small for it
    const QFontMetrics fm(font);
    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    const int l = box.left() + 8, r = box.right() - 8;
    painter.drawText(l, box.top() + 4 + fm.ascent(), QStringLiteral("水深"));
    // The ramp, one column a colour, shallow at the left.
    const int top = box.top() + 6 + fm.height();
    const int span = std::max(1, r - l);
    for (int x = l; x <= r; ++x) {
        const float t = float(x - l) / float(span);
        painter.setPen(
            QColor(DepthRampColour(range.shallow + t * (range.deep - range.shallow), range)));
        painter.drawLine(x, top, x, top + 9);
    }
    painter.setPen(Qt::black);
    const int base = top + 12 + fm.ascent();
    const QString lo = QString::asprintf("%.2f m", double(range.shallow));
    const QString hi = QString::asprintf("%.2f m", double(range.deep));
    painter.drawText(l, base, lo);
    painter.drawText(r - fm.horizontalAdvance(hi), base, hi);
    painter.restore();
}

void PaintPlan(QPainter& painter, const TChartView& view, const TPlanScene& scene,
               const TPlanPaintOptions& options) {
    TPlanPainter::Paint(painter, view, scene, options);
    if (const auto range = scene.DepthRange()) {
        painter.save();
        if (!options.Region.isEmpty()) painter.setClipRect(options.Region);
        PaintDepthLegend(painter, view.PlotRect(), *range, view.LabelFont());
        painter.restore();
    }
}

}  // namespace tidrun
