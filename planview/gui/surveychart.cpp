#include "planview/gui/surveychart.h"

#include <QBuffer>
#include <QFontInfo>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QRubberBand>
#include <QScreen>

#include <algorithm>

#include "surveydata/codec.h"

namespace tidrun {

TSurveyChart::TSurveyChart(TMapSession& session, QWidget* parent)
    : QWidget(parent), session_(session) {
    setObjectName(QStringLiteral("SurveyChart"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);  // the circle ruler follows the mouse
    if (const QScreen* s = QGuiApplication::primaryScreen())
        session_.View().SetPixelAspect(PixelAspect(s->physicalSize(), s->size()));
    session_.View().SetLabelFont(font());
}

TSurveyChart::~TSurveyChart() = default;

void TSurveyChart::Repaint(TRepaint what) {
    switch (what) {
        case TRepaint::None:
            return;
        case TRepaint::Boat: {
            // Only the trail's rectangles before and after the move.
            const QRect now = BoatRect(session_.View(), *session_.Scene().Boat());
            update(boatRect_.united(now).adjusted(-2, -2, 2, 2));
            return;
        }
        case TRepaint::Region:
            update(session_.RepaintRect());
            return;
        case TRepaint::All:
            update();
            return;
    }
}

void TSurveyChart::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    TPlanPaintOptions o;
    o.Draw = TPlanPaintOptions::Mode::Fast;
    o.Wall = session_.MapColour();
    o.Cache = &cache_;
    if (event->rect() != rect()) o.Region = event->rect();
    PaintPlan(p, session_.View(), session_.Scene(), o);
    boatRect_ = BoatRect(session_.View(), *session_.Scene().Boat());
}

void TSurveyChart::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    session_.View().Resize(size());
    update();
}

TMapSession::TButton TSurveyChart::ButtonOf(Qt::MouseButton b) {
    if (b == Qt::LeftButton) return TMapSession::TButton::Left;
    if (b == Qt::RightButton) return TMapSession::TButton::Right;
    return TMapSession::TButton::None;
}

void TSurveyChart::mousePressEvent(QMouseEvent* event) {
    const auto b = ButtonOf(event->button());
    if (b == TMapSession::TButton::None) return;
    session_.Press(b, event->position().toPoint());
}

void TSurveyChart::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const TRepaint r = session_.Move(at);
    if (event->buttons() != Qt::NoButton) {
        if (session_.Pressed() == TMapSession::TButton::None) setCursor(Qt::OpenHandCursor);
    } else if (cursor().shape() != Qt::WaitCursor) {
        // The hand over a point that answers a click; a busy cursor is left alone.
        const TMapSession::THit hit = session_.HitTest(at);
        if (hit.series && hit.series->HandCursor)
            setCursor(Qt::PointingHandCursor);
        else
            unsetCursor();
    }
    const QRect drag = session_.DragRect();
    if (!drag.isEmpty()) {
        if (!band_) band_ = new QRubberBand(QRubberBand::Rectangle, this);
        band_->setGeometry(drag);
        band_->show();
        return;  // the plan itself does not change while the rectangle is dragged
    }
    Repaint(r);
}

void TSurveyChart::mouseReleaseEvent(QMouseEvent* event) {
    const auto b = ButtonOf(event->button());
    if (b == TMapSession::TButton::None) return;
    if (band_) band_->hide();
    unsetCursor();
    const auto r = session_.Release(b, event->position().toPoint());
    Repaint(r.repaint);
    using W = TMapSession::TRelease::What;
    if (r.what == W::Info) emit InfoRequested();
    if (r.what == W::Popup) emit PopupRequested(r.popup, event->globalPosition().toPoint());
}

void TSurveyChart::PaintPage(QPagedPaintDevice& device, QPainter& painter) const {
    const QRect page = device.pageLayout().paintRectPixels(device.logicalDpiX());
    const QSize view = session_.View().WidgetSize();
    if (view.isEmpty() || page.isEmpty()) return;
    const double scale =
        std::min(double(page.width()) / view.width(), double(page.height()) / view.height());
    // A point-sized font would be sized for the printer's resolution and then scaled
    // again; in pixels of the screen it scales with the rest of the plan.
    TChartView v = session_.View();
    QFont f = v.LabelFont();
    f.setPixelSize(QFontInfo(f).pixelSize());
    v.SetLabelFont(f);
    painter.save();
    painter.scale(scale, scale);
    TPlanPaintOptions o;
    o.Draw = TPlanPaintOptions::Mode::Exact;
    o.Wall = session_.MapColour();
    PaintPlan(painter, v, session_.Scene(), o);
    painter.restore();
}

bool TSurveyChart::PrintToPdfFile(const QPrinter& printer) const {
    // The printer's own file output does not report a failed write (a full disk): the page
    // is drawn in memory with the printer's layout, then written as the job's files are,
    // whole or not at all.
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        if (!buffer.open(QIODevice::WriteOnly)) return false;
        QPdfWriter pdf(&buffer);
        pdf.setPageLayout(printer.pageLayout());
        pdf.setResolution(printer.resolution());
        pdf.setTitle(printer.docName());
        pdf.setCreator(printer.creator());
        QPainter p;
        if (!p.begin(&pdf)) return false;
        PaintPage(pdf, p);
        if (!p.end()) return false;
    }
    return WriteFileReplacing(printer.outputFileName(), bytes) == WriteResult::Ok;
}

bool TSurveyChart::Print(QPrinter& printer, int copies) {
    printer.setDocName(objectName());
    printer.setCopyCount(1);
    const bool toPdfFile =
        printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
    bool ok = true;
    for (int i = 0; i < copies; ++i) {
        if (toPdfFile) {
            ok = PrintToPdfFile(printer) && ok;
            continue;
        }
        QPainter p;
        if (!p.begin(&printer)) {
            ok = false;
            break;
        }
        PaintPage(printer, p);
        ok = p.end() && ok;
    }
    return ok;
}

}  // namespace tidrun
