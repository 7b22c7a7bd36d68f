// The main window's map windows: creating them, the messages posted to them and the calls
// they make back (TMapHost).
#include "console/gui/mainform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

#include "console/gui/calibratedlg.h"
#include "console/gui/coordpanel.h"
#include "console/gui/cutpanel.h"
#include "console/gui/dialogs/aboutbox.h"
#include "console/gui/dialogs/linedlgform.h"
#include "console/gui/dialogs/setupform.h"
#include "console/gui/formhelp.h"
#include "console/gui/gpspanel.h"
#include "console/gui/guidepanel.h"
#include "console/gui/led.h"
#include "console/gui/rulertoolbar.h"
#include "console/gui/signalsounds.h"
#include "console/jobsession.h"
#include "console/transfer.h"
#include "console/windowlayout.h"
#include "planview/angles.h"
#include "planview/cutstore.h"
#include "planview/gui/mapform.h"
#include "planview/paintplan.h"
#include "planview/plannedline.h"
#include "platform/gui/numericedit.h"
#include "platform/gui/restoredgeometry.h"
#include "platform/portdevices.h"
#include "platform/portmap.h"
#include "platform/seriallink.h"
#include "positioning/gps.h"
#include "positioning/nmea.h"
#include "surveydata/codec.h"
#include "surveydata/inifile.h"
#include "surveydata/pointcoll.h"

namespace tidrun {

namespace {

// A mark's Number holds its colour as the Windows colour value 0x00BBGGRR.
int ColourToNumber(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

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

}  // namespace

// ---------------------------------------------------------------------------------------
// Map windows

QList<TMapForm*> TMainForm::MapForms() const {
    QList<TMapForm*> out;
    for (QMdiSubWindow* w : mdiArea_->subWindowList(QMdiArea::CreationOrder))
        if (auto* m = qobject_cast<TMapForm*>(w->widget())) out << m;
    return out;
}

void TMainForm::TileWindows() {
    ArrangeShown(mdiArea_, QMdiArea::CreationOrder,
                 [](const QSize& area, int n, QWidget*) { return TileSideBySide(area, n); });
}

void TMainForm::CascadeWindows() {
    // Bottom of the stack first: the window on top stays on top, wholly in view. Each steps
    // by a title bar, so that every caption shows.
    ArrangeShown(mdiArea_, QMdiArea::StackingOrder, [](const QSize& area, int n, QWidget* first) {
        QStyleOptionTitleBar bar;
        bar.initFrom(first);
        return CascadeFromTopLeft(
            area, n, first->style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar, first));
    });
}

TMapForm* TMainForm::ActiveMap() const {
    QMdiSubWindow* w = mdiArea_->activeSubWindow();
    return w ? qobject_cast<TMapForm*>(w->widget()) : nullptr;
}

template <class F>
void TMainForm::PostTo(TMapForm* form, F&& call) {
    // Posted, never sent: the window handles it after the current handler returns, and a
    // window closed in between simply drops it.
    QMetaObject::invokeMethod(form, std::forward<F>(call), Qt::QueuedConnection);
}

void TMainForm::PostToActive(void (TMapForm::*slot)()) {
    if (TMapForm* m = ActiveMap()) PostTo(m, [m, slot] { (m->*slot)(); });
}

TMapForm* TMainForm::CreateMap(int savedIndex, bool maximise) {
    ++mapCounter_;
    // Every map window of the job shares one store of the recorded cuts.
    TPlanSources sources{&session_->Kijun(),  &session_->Tansa(),   &session_->Ijo(),
                         &session_->Misoku(), &session_->Sokusen(), {}};
    for (TMapForm* m : MapForms()) sources.Cuts = m->Session().Scene().Sources().Cuts;
    if (!sources.Cuts) sources.Cuts = std::make_shared<TCutStore>();
    auto* form = new TMapForm(*this, sink_, sources);
    form->setObjectName(QStringLiteral("MapForm%1").arg(mapCounter_));
    const QSize size = form->size();  // two thirds of the room, chosen by the window
    QMdiSubWindow* sub = mdiArea_->addSubWindow(form);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // The frame takes that size before it is first shown, maximised or not, so that
    // restoring a maximised window brings it back at that size; a new one starts at the
    // top left of the workspace, not where the workspace would find room.
    sub->resize(size);
    if (savedIndex < 0) sub->move(0, 0);
    TrackRestoredGeometry(sub);
    sub->setWindowTitle(QStringLiteral("平面図(%1)").arg(mapCounter_));
    const auto q = Qt::QueuedConnection;
    connect(this, &TMainForm::BoatPos, form, &TMapForm::OnBoatPos, q);
    connect(this, &TMainForm::LineEnd, form, &TMapForm::OnLineEnd, q);
    connect(this, &TMainForm::CutAdded, form, &TMapForm::OnCutAdded, q);
    connect(this, &TMainForm::MisokuChanged, form, &TMapForm::OnMisokuChanged, q);
    connect(this, &TMainForm::RemPoint, form, &TMapForm::OnRemPoint, q);
    connect(this, &TMainForm::RefPoint, form, &TMapForm::OnRefPoint, q);
    connect(this, &TMainForm::CircleSize, form, &TMapForm::OnCircleSize, q);
    connect(this, &TMainForm::Ruler, form, &TMapForm::OnRuler, q);
    connect(form, &TMapForm::SwitchesChanged, this, &TMainForm::UpdateActions);
    connect(form, &QObject::destroyed, this, [this] {
        QTimer::singleShot(0, this, [this] {
            UpdateMenus();
            UpdateActions();
        });
    });

    const QColor colour = MapColour(settings_.MapColor);
    PostTo(form, [form, colour] { form->OnMapColor(colour); });
    if (savedIndex < 0) {
        if (maximise)
            sub->showMaximized();
        else
            sub->show();
        PostTo(form, [form] { form->OnFitAll(); });
    } else {
        form->LoadState(cfgPath_, savedIndex);
        if (!sub->isVisible()) sub->show();
    }
    const TRulerRect seg = session_->Guidance().Segment(), ext = session_->Guidance().Extent();
    const int guide = pnlRef->cbxRefPoint->currentIndex() - 1;
    const int buoy = pnlGuide->cbxRemPoint->currentIndex() - 1;
    PostTo(form, [form, seg, ext] { form->OnRuler(seg, ext); });
    PostTo(form, [form, guide] { form->OnRefPoint(guide); });
    // The buoy point chosen so far, highlighted and framed by 設標点～移動体 as in the
    // other windows.
    PostTo(form, [form, buoy] { form->OnRemPoint(buoy); });
    UpdateMenus();
    UpdateActions();
    return form;
}

void TMainForm::BroadcastGuidePoint() {
    emit RefPoint(pnlRef->cbxRefPoint->currentIndex() - 1);
}

void TMainForm::BroadcastBuoyPoint() {
    const int index = pnlGuide->cbxRemPoint->currentIndex() - 1;
    session_->SetBuoyIndex(index);
    emit RemPoint(index);
}

void TMainForm::BroadcastRuler() {
    emit Ruler(session_->Guidance().Segment(), session_->Guidance().Extent());
}

void TMainForm::ToggleMapSwitch(QAction* action, bool (TMapForm::*get)() const,
                                void (TMapForm::*set)(bool)) {
    TMapForm* m = ActiveMap();
    if (!m) {
        action->setChecked(false);
        return;
    }
    (m->*set)(!(m->*get)());
    action->setChecked((m->*get)());
    RenumberDocks();
}

void TMainForm::PrintActiveMap() {
    TMapForm* m = ActiveMap();
    if (!m) return;
    // The printer goes with the message, so that the dialog's choices (a file output
    // included) reach the print.
    auto printer = std::make_shared<QPrinter>();
    QPrintDialog dialog(printer.get(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    const int copies = printer->copyCount();
    PostTo(m, [m, printer, copies] { m->PrintWith(*printer, copies); });
}

// ---------------------------------------------------------------------------------------
// TMapHost

void TMainForm::ShowInfo(const QString& text) {
    pnlBottom->ShowInfo(text);
}

// The map windows are told after every change, saved or not: they show what the collection
// holds, which is what the mark file holds (a change that could not be stored is undone),
// and a window's mark i must stay the collection's mark i.
void TMainForm::AddMark(const QString& name, const QColor& colour, double x, double y) {
    session_->Misoku().AddAndSave(x, y, name, ColourToNumber(colour));
    emit MisokuChanged();
}

void TMainForm::DeleteMark(int index) {
    if (index < 0 || index >= session_->Misoku().Count()) return;
    session_->Misoku().DeleteAndSave(index);
    emit MisokuChanged();
}

void TMainForm::ChangeMark(int index, const QString& name, const QColor& colour) {
    if (index < 0 || index >= session_->Misoku().Count()) return;
    session_->Misoku().ChangeAndSave(index, name, ColourToNumber(colour));
    emit MisokuChanged();
}

void TMainForm::CutCommand() {
    const TSound sound = session_->Recorder().RequestCut();
    pnlCut->ShowLamps(session_->Recorder().Lamps());
    sounds_->Play(sound);
}

int TMainForm::CircleDiameter() {
    return tbCircle->Diameter();
}

int TMainForm::RulerAngle() {
    return tbRuler->AnglePacked();
}

int TMainForm::RulerWidth() {
    return tbRuler->Width();
}

void TMainForm::SetRulerPivot(double x, double y) {
    session_->Guidance().SetPivot({x, y});
    MoveRuler(0);
}

void TMainForm::SetRulerPivotAngle(double x, double y, int packedAngle) {
    tbRuler->SetAngleText(RulerAngleFieldText(packedAngle));
    SetRulerPivot(x, y);
}

void TMainForm::MoveRuler(int direction) {
    TGuidance& g = session_->Guidance();
    g.SetAnglePacked(tbRuler->AnglePacked());
    if (direction == 0)
        g.Recompute();
    else
        g.Move(direction * tbRuler->Step());
    BroadcastRuler();
}

QSize TMainForm::FreeClientSize() const {
    int left = 0, right = 0, topH = 0;
    for (QDockWidget* d : {ToolWinCut, ToolWinRem, ToolWinGPS, ToolWinRef}) {
        if (d->isHidden() || d->isFloating()) continue;
        if (dockWidgetArea(d) == Qt::LeftDockWidgetArea) left = std::max(left, d->width());
        if (dockWidgetArea(d) == Qt::RightDockWidgetArea) right = std::max(right, d->width());
    }
    for (QToolBar* t : std::initializer_list<QToolBar*>{tbStandard, tbOperate, tbCircle, tbRuler})
        if (!t->isHidden() && toolBarArea(t) == Qt::TopToolBarArea)
            topH = std::max(topH, t->y() + t->height());
    const QSize client = size();
    return {std::max(0, client.width() - left - right - 4),
            std::max(0, client.height() - topH - 4)};
}

// ---------------------------------------------------------------------------------------
// Menus and docks

}  // namespace tidrun
