#include "planview/gui/mapform.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QPrinter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>

#include "planview/gui/depthrangedlg.h"
#include "planview/gui/hotspotprop.h"
#include "planview/gui/surveychart.h"
#include "planview/maphost.h"
#include "platform/gui/restoredgeometry.h"
#include "platform/messagesink.h"
#include "surveydata/config.h"

namespace tidrun {

namespace {

std::int64_t TickMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

TMapForm::TMapForm(TMapHost& host, MessageSink& sink, TPlanSources sources, QWidget* parent)
    : QWidget(parent), sink_(sink) {
    qRegisterMetaType<tidrun::TRulerRect>();
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(120, 80);
    // Two thirds of the room the main window leaves beside its docks.
    const QSize room = host.FreeClientSize();
    resize(room.width() / 3 * 2, room.height() / 3 * 2);

    session_ = std::make_unique<TMapSession>(host, sink, std::move(sources), &TickMs);
    session_->SetMarkDialog([this](const QString& caption, const TMarkProps& initial) {
        TfrmHotSpotProp dialog(sink_, this);
        dialog.setWindowTitle(caption);
        dialog.SetName(initial.name);
        dialog.SetColour(initial.colour);
        std::optional<TMarkProps> out;
        if (dialog.exec() == QDialog::Accepted) out = TMarkProps{dialog.Name(), dialog.Colour()};
        return out;
    });
    session_->SetDepthRangeDialog(
        [this](const std::optional<TDepthRange>& typed, const std::optional<TDepthRange>& job) {
            TDepthRangeDlg dialog(sink_, typed, job, this);
            std::optional<std::optional<TDepthRange>> out;
            if (dialog.exec() == QDialog::Accepted) out = dialog.Typed();
            return out;
        });
    session_->CircleSize(1);

    chart_ = new TSurveyChart(*session_, this);
    chart_->setFocusProxy(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(chart_);
    infoPause_ = new QTimer(this);
    infoPause_->setSingleShot(true);
    infoPause_->setInterval(500);
    connect(infoPause_, &QTimer::timeout, this, [this] {
        chart_->unsetCursor();
        session_->ShowPendingInfo();
        chart_->Repaint(TRepaint::All);
    });
    connect(chart_, &TSurveyChart::InfoRequested, this, &TMapForm::ShowInfoAfterPause);
    connect(chart_, &TSurveyChart::PopupRequested, this, &TMapForm::ShowPopup);
}

TMapForm::~TMapForm() = default;

void TMapForm::SetCircleRuler(bool on) {
    session_->SetCircleRuler(on);
    chart_->Repaint(TRepaint::All);
    emit SwitchesChanged();
}
void TMapForm::SetPlannedLine(bool on) {
    session_->SetPlannedLine(on);
    chart_->Repaint(TRepaint::All);
    emit SwitchesChanged();
}
void TMapForm::SetAutoMove(bool on) {
    session_->SetAutoMove(on);
    emit SwitchesChanged();
}
void TMapForm::SetRapidMode(bool on) {
    // On the chart itself, whose own cursor (the hand over a point) would hide the form's.
    chart_->setCursor(Qt::WaitCursor);
    session_->SetRapidMode(on);
    chart_->unsetCursor();
    chart_->Repaint(TRepaint::All);
    emit SwitchesChanged();
}

// One line into the session each, then the repaint it asks for.
void TMapForm::OnBoatPos(std::int32_t x, std::int32_t y) {
    chart_->Repaint(session_->BoatPos(x, y));
}
void TMapForm::OnLineEnd() {
    chart_->Repaint(session_->LineEnd());
}
void TMapForm::OnCutAdded(int i) {
    chart_->Repaint(session_->CutAdded(i));
}
void TMapForm::OnTrimTrail() {
    chart_->Repaint(session_->TrimTrail());
}
void TMapForm::OnMisokuChanged() {
    chart_->Repaint(session_->MisokuChanged());
}
void TMapForm::OnRebuild() {
    chart_->setCursor(Qt::WaitCursor);
    chart_->Repaint(session_->Rebuild());
    chart_->unsetCursor();
}
void TMapForm::OnFitAll() {
    chart_->Repaint(session_->FitAll());
}
void TMapForm::OnRemPoint(int i) {
    chart_->Repaint(session_->RemPoint(i));
}
void TMapForm::OnRefPoint(int i) {
    chart_->Repaint(session_->RefPoint(i));
}
void TMapForm::OnCircleSize(int d) {
    chart_->Repaint(session_->CircleSize(d));
}
void TMapForm::OnRuler(TRulerRect s, TRulerRect e) {
    chart_->Repaint(session_->Ruler(s, e));
}
void TMapForm::OnZoomIn() {
    chart_->Repaint(session_->ZoomIn());
}
void TMapForm::OnZoomOut() {
    chart_->Repaint(session_->ZoomOut());
}
void TMapForm::OnZoomRem() {
    chart_->Repaint(session_->ZoomRem());
}
void TMapForm::OnMapColor(QColor c) {
    chart_->Repaint(session_->MapColor(c));
}

void TMapForm::OnPrint(int copies) {
    QPrinter printer;
    PrintWith(printer, copies);
}

void TMapForm::PrintWith(QPrinter& printer, int copies) {
    if (!chart_->Print(printer, copies)) sink_.Error(QStringLiteral("印刷できません"));
}

void TMapForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        session_->EnterKey();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TMapForm::ShowInfoAfterPause() {
    chart_->setCursor(Qt::WaitCursor);
    infoPause_->start();  // a click during the pause starts it again, for its own point
}

void TMapForm::ShowPopup(TPopupKind kind, QPoint globalPos) {
    QMenu menu(this);
    for (const TPopupItem& item : session_->Popup(kind)) {
        QAction* a = item.IsSeparator() ? menu.addSeparator() : menu.addAction(item.caption);
        a->setVisible(!item.hidden);
        a->setEnabled(item.enabled);
        a->setCheckable(item.checkable);
        a->setChecked(item.checked);
        a->setData(static_cast<int>(item.command));
    }
    QAction* chosen = menu.exec(globalPos);
    if (!chosen || chosen->isSeparator()) return;
    chart_->Repaint(session_->RunCommand(static_cast<TPopupCommand>(chosen->data().toInt())));
    if (session_->InfoPending()) ShowInfoAfterPause();
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
    session_->SaveState(c);
    c.Store(cfgPath, index);
}

void TMapForm::LoadState(const QString& cfgPath, int index) {
    MapWindowConfig c;
    c.Load(cfgPath, index);
    QWidget* frame = parentWidget() ? parentWidget() : this;
    // Kept to what can be seen: the screens, or the workspace where it is larger.
    const QScreen* screen = frame->screen();
    QSize room = screen ? screen->availableVirtualGeometry().size() : QSize(1920, 1080);
    if (frame->parentWidget()) room = room.expandedTo(frame->parentWidget()->size());
    frame->setGeometry(StoredFrameRect(c, room));
    SetRestoredGeometry(frame, frame->geometry());
    if (c.Maximize)
        frame->showMaximized();
    else if (c.Minimize)
        frame->showMinimized();
    else
        frame->showNormal();
    // The view takes the window's final size before the stored axes are applied.
    if (QLayout* l = layout()) l->activate();
    session_->View().Resize(chart_->size());
    session_->LoadState(c);
    chart_->Repaint(TRepaint::All);
    emit SwitchesChanged();
}

}  // namespace tidrun
