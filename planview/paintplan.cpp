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

void TPainterCanvas::Label(QPoint p, const QString& text, const TMarks& marks, TLabelRule rule) {
    if (text.isEmpty()) return;
    const QFontMetrics fm(p_.font());
    const int w = fm.horizontalAdvance(text) + 4, h = fm.height() + 2;
    const int top = p.y() - marks.ArrowLength - h;
    // The frame is drawn one pixel past the box on the right and at the bottom.
    if (labels_ && !labels_->Place(QRect(p.x() - w / 2, top, w + 1, h + 1), rule)) return;
    FlushLines();
    if (marks.ArrowLength > 0) {
        p_.setPen(QPen(Rgb(marks.ArrowColour), 0));
        p_.drawLine(p, QPoint(p.x(), p.y() - marks.ArrowLength));
    }
    const QRect box(p.x() - w / 2, top, w, h);
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

TPlanLayerCache::TPlanLayerCache() = default;
TPlanLayerCache::~TPlanLayerCache() = default;
void TPlanLayerCache::Drop() {
    layers_.reset();
}
std::size_t TPlanLayerCache::MemoryBytes() const {
    if (!layers_) return 0;
    return static_cast<std::size_t>(layers_->base.sizeInBytes());
}

void PaintPlan(QPainter& painter, const TChartView& view, const TPlanScene& scene,
               const TPlanPaintOptions& options) {
    TPlanPainter::Paint(painter, view, scene, options);
}

}  // namespace tidrun
