#include "console/gui/mapwindows.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrintDialog>
#include <QPrinter>
#include <QStyle>
#include <QStyleOptionTitleBar>

#include "console/windowlayout.h"
#include "planview/cutstore.h"
#include "planview/gui/mapform.h"
#include "platform/gui/restoredgeometry.h"

namespace tidrun {

namespace {

// Tiles or cascades the shown (not minimised) windows of the area, taken in the given
// order; places(area size, count, first window) gives their geometries.
template <class Places>
void ArrangeShown(QMdiArea* mdiArea, QMdiArea::WindowOrder order, Places places) {
    QList<QMdiSubWindow*> shown;
    for (QMdiSubWindow* w : mdiArea->subWindowList(order))
        if (w->isVisible() && !w->isMinimized()) shown << w;
    if (shown.isEmpty()) return;
    const QList<QRect> rects =
        places(mdiArea->viewport()->size(), int(shown.size()), shown.front());
    for (int i = 0; i < shown.size(); ++i) {
        if (shown[i]->isMaximized()) shown[i]->showNormal();
        shown[i]->setGeometry(rects[i]);
    }
}

template <class F>
void PostTo(TMapForm* form, F&& call) {
    // Posted, never sent: the window handles it after the current handler returns, and a
    // window closed in between simply drops it.
    QMetaObject::invokeMethod(form, std::forward<F>(call), Qt::QueuedConnection);
}

}  // namespace

TMapWindows::TMapWindows(TMapHost& host, MessageSink& sink, QWidget* parent)
    : QObject(parent), host_(host), sink_(sink), mdiArea_(new QMdiArea(parent)) {
    mdiArea_->setObjectName(QStringLiteral("MdiArea"));
    mdiArea_->setBackground(QApplication::palette().brush(QPalette::Dark));
}

QList<TMapForm*> TMapWindows::Forms() const {
    QList<TMapForm*> out;
    for (QMdiSubWindow* w : mdiArea_->subWindowList(QMdiArea::CreationOrder))
        if (auto* m = qobject_cast<TMapForm*>(w->widget())) out << m;
    return out;
}

TMapForm* TMapWindows::Active() const {
    QMdiSubWindow* w = mdiArea_->activeSubWindow();
    return w ? qobject_cast<TMapForm*>(w->widget()) : nullptr;
}

void TMapWindows::Tile() {
    ArrangeShown(mdiArea_, QMdiArea::CreationOrder,
                 [](const QSize& area, int n, QWidget*) { return TileSideBySide(area, n); });
}

void TMapWindows::Cascade() {
    // Bottom of the stack first: the window on top stays on top, wholly in view. Each steps
    // by a title bar, so that every caption shows.
    ArrangeShown(mdiArea_, QMdiArea::StackingOrder, [](const QSize& area, int n, QWidget* first) {
        QStyleOptionTitleBar bar;
        bar.initFrom(first);
        return CascadeFromTopLeft(
            area, n, first->style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar, first));
    });
}

void TMapWindows::ArrangeIcons() {
    // Minimised windows line up along the bottom of the workspace.
    int x = 0;
    for (QMdiSubWindow* w : mdiArea_->subWindowList()) {
        if (!w->isMinimized()) continue;
        w->move(x, mdiArea_->viewport()->height() - w->height());
        x += w->width();
    }
}

void TMapWindows::MinimizeAll() {
    for (QMdiSubWindow* w : mdiArea_->subWindowList()) w->showMinimized();
}

int TMapWindows::SaveAll(const QString& cfgPath) const {
    int n = 0;
    for (QMdiSubWindow* w : mdiArea_->subWindowList(QMdiArea::StackingOrder)) {
        if (auto* m = qobject_cast<TMapForm*>(w->widget())) m->SaveState(cfgPath, n++);
    }
    return n;
}

void TMapWindows::CloseAll() {
    for (TMapForm* m : Forms()) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(m->parentWidget()))
            QMetaObject::invokeMethod(sub, &QWidget::close, Qt::QueuedConnection);
        else
            QMetaObject::invokeMethod(m, &QWidget::close, Qt::QueuedConnection);
    }
}

void TMapWindows::PostToActive(void (TMapForm::*slot)()) {
    if (TMapForm* m = Active()) PostTo(m, [m, slot] { (m->*slot)(); });
}

void TMapWindows::PrintActive(QWidget* dialogParent) {
    TMapForm* m = Active();
    if (!m) return;
    // The printer goes with the message, so that the dialog's choices (a file output
    // included) reach the print.
    auto printer = std::make_shared<QPrinter>();
    QPrintDialog dialog(printer.get(), dialogParent);
    if (dialog.exec() != QDialog::Accepted) return;
    const int copies = printer->copyCount();
    PostTo(m, [m, printer, copies] { m->PrintWith(*printer, copies); });
}

TMapForm* TMapWindows::Create(TPlanSources sources, const QColor& colour, const QString& cfgPath,
                              int savedIndex, bool maximise, const TRulerRect& segment,
                              const TRulerRect& extent, int guide, int buoy) {
    ++counter_;
    // Every map window of the job shares one store of the recorded cuts.
    for (TMapForm* m : Forms()) sources.Cuts = m->Session().Scene().Sources().Cuts;
    if (!sources.Cuts) sources.Cuts = std::make_shared<TCutStore>();
    auto* form = new TMapForm(host_, sink_, sources);
    form->setObjectName(QStringLiteral("MapForm%1").arg(counter_));
    const QSize size = form->size();  // two thirds of the room, chosen by the window
    QMdiSubWindow* sub = mdiArea_->addSubWindow(form);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // The frame takes that size before it is first shown, maximised or not, so that
    // restoring a maximised window brings it back at that size; a new one starts at the
    // top left of the workspace, not where the workspace would find room.
    sub->resize(size);
    if (savedIndex < 0) sub->move(0, 0);
    TrackRestoredGeometry(sub);
    sub->setWindowTitle(QStringLiteral("平面図(%1)").arg(counter_));
    const auto q = Qt::QueuedConnection;
    connect(this, &TMapWindows::BoatPos, form, &TMapForm::OnBoatPos, q);
    connect(this, &TMapWindows::LineEnd, form, &TMapForm::OnLineEnd, q);
    connect(this, &TMapWindows::CutAdded, form, &TMapForm::OnCutAdded, q);
    connect(this, &TMapWindows::MisokuChanged, form, &TMapForm::OnMisokuChanged, q);
    connect(this, &TMapWindows::RemPoint, form, &TMapForm::OnRemPoint, q);
    connect(this, &TMapWindows::RefPoint, form, &TMapForm::OnRefPoint, q);
    connect(this, &TMapWindows::CircleSize, form, &TMapForm::OnCircleSize, q);
    connect(this, &TMapWindows::Ruler, form, &TMapForm::OnRuler, q);
    connect(form, &TMapForm::SwitchesChanged, this, &TMapWindows::SwitchesChanged);
    connect(form, &QObject::destroyed, this, &TMapWindows::WindowGone);

    PostTo(form, [form, colour] { form->OnMapColor(colour); });
    if (savedIndex < 0) {
        if (maximise)
            sub->showMaximized();
        else
            sub->show();
        PostTo(form, [form] { form->OnFitAll(); });
    } else {
        form->LoadState(cfgPath, savedIndex);
        if (!sub->isVisible()) sub->show();
    }
    PostTo(form, [form, segment, extent] { form->OnRuler(segment, extent); });
    PostTo(form, [form, guide] { form->OnRefPoint(guide); });
    // The buoy point chosen so far, highlighted and framed by 設標点～移動体 as in the
    // other windows.
    PostTo(form, [form, buoy] { form->OnRemPoint(buoy); });
    return form;
}

}  // namespace tidrun
