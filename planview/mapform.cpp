#include "planview/mapform.h"

#include <QKeyEvent>
#include <QPainter>

#include "planview/maphost.h"
#include "platform/gui/restoredgeometry.h"
#include "surveydata/config.h"

#include <algorithm>

namespace tidrun {

TMapForm::TMapForm(TMapHost& host, QWidget* parent) : QWidget(parent), host_(host) {
    qRegisterMetaType<tidrun::TRulerRect>();
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(120, 80);
    // Two thirds of the room the main window leaves beside its docks.
    const QSize room = host_.FreeClientSize();
    resize(room.width() / 3 * 2, room.height() / 3 * 2);
}

void TMapForm::SetCircleRuler(bool on) {
    circleRuler_ = on;
    update();
    emit SwitchesChanged();
}
void TMapForm::SetPlannedLine(bool on) {
    plannedLine_ = on;
    update();
    emit SwitchesChanged();
}
void TMapForm::SetAutoMove(bool on) {
    autoMove_ = on;
    emit SwitchesChanged();
}
void TMapForm::SetRapidMode(bool on) {
    rapidMode_ = on;
    emit SwitchesChanged();
}

void TMapForm::OnBoatPos(std::int32_t xMillimetres, std::int32_t yMillimetres) {
    last_.hasBoat = true;
    last_.boatXmm = xMillimetres;
    last_.boatYmm = yMillimetres;
    update();
}
void TMapForm::OnLineEnd() {
    ++last_.lineEnds;
}
void TMapForm::OnCutAdded(int recordIndex) {
    last_.lastCut = recordIndex;
}
void TMapForm::OnMisokuChanged() {
    ++last_.markChanges;
}
void TMapForm::OnFitAll() {
    ++last_.fitAll;
}
void TMapForm::OnRemPoint(int buoyIndex) {
    last_.remPoint = buoyIndex;
}
void TMapForm::OnRefPoint(int guideIndex) {
    last_.refPoint = guideIndex;
}
void TMapForm::OnPrint(int copies) {
    last_.printCopies = copies;
}
void TMapForm::OnCircleSize(int diameter) {
    last_.circleSize = diameter;
}
void TMapForm::OnRuler(TRulerRect segment, TRulerRect extent) {
    last_.rulerSegment = segment;
    last_.rulerExtent = extent;
    update();
}
void TMapForm::OnZoomIn() {
    ++last_.zoomIn;
}
void TMapForm::OnZoomOut() {
    ++last_.zoomOut;
}
void TMapForm::OnZoomRem() {
    ++last_.zoomRem;
}
void TMapForm::OnMapColor(QColor colour) {
    last_.mapColour = colour;
    update();
}

void TMapForm::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), last_.mapColour);
    const int grey = qGray(last_.mapColour.rgb());
    p.setPen(grey < 128 ? Qt::white : Qt::black);
    QString text;
    if (last_.hasBoat) {
        text = QStringLiteral("移動体  Ｘ＝ %1  Ｙ＝ %2")
                   .arg(last_.boatXmm / 1000.0, 0, 'f', 3)
                   .arg(last_.boatYmm / 1000.0, 0, 'f', 3);
    }
    p.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignLeft | Qt::AlignBottom, text);
}

void TMapForm::keyPressEvent(QKeyEvent* event) {
    // Enter takes a cut while a line is being recorded.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && host_.Recording()) {
        host_.CutCommand();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TMapForm::SaveState(const QString& cfgPath, int index) const {
    const QWidget* frame = parentWidget() ? parentWidget() : this;
    // The size to come back to: the frame's restored geometry while it is minimised or
    // maximised (tracked by the main window for MDI frames).
    const QRect g = frame->isWindow() && frame->normalGeometry().isValid() &&
                            (frame->isMaximized() || frame->isMinimized())
                        ? frame->normalGeometry()
                        : RestoredGeometry(frame);
    MapWindowConfig c;
    c.Top = g.top();
    c.Left = g.left();
    c.Width = g.width();
    c.Height = g.height();
    c.Maximize = frame->isMaximized();
    c.Minimize = frame->isMinimized();
    c.Circle = circleRuler_;
    c.Ruler = plannedLine_;
    c.AutoFollow = autoMove_;
    c.Fast = rapidMode_;
    c.BuoyNames = buoyNames_;
    c.Store(cfgPath, index);
}

void TMapForm::LoadState(const QString& cfgPath, int index) {
    MapWindowConfig c;
    c.Load(cfgPath, index);
    QWidget* frame = parentWidget() ? parentWidget() : this;
    frame->setGeometry(c.Left, c.Top, std::max(c.Width, 40), std::max(c.Height, 30));
    SetRestoredGeometry(frame, frame->geometry());
    if (c.Maximize)
        frame->showMaximized();
    else if (c.Minimize)
        frame->showMinimized();
    else
        frame->showNormal();
    circleRuler_ = c.Circle.value_or(circleRuler_);
    plannedLine_ = c.Ruler.value_or(plannedLine_);
    autoMove_ = c.AutoFollow.value_or(autoMove_);
    rapidMode_ = c.Fast.value_or(rapidMode_);
    buoyNames_ = c.BuoyNames;
    emit SwitchesChanged();
}

}  // namespace tidrun
