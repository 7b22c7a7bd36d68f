// The main window's map windows: creating them, the messages posted to them and the calls
// they make back (TMapHost).
#include "console/gui/mainform.h"

#include <QAction>
#include <QMdiArea>
#include <QToolBar>

#include "console/gui/coordpanel.h"
#include "console/gui/mainactions.h"
#include "console/gui/mapwindows.h"
#include "console/gui/rulertools.h"
#include "console/gui/tooldocks.h"
#include "planview/gui/mapform.h"
#include "planview/paintplan.h"
#include "surveydata/pointcoll.h"

namespace tidrun {

namespace {

// A mark's Number holds its colour as the Windows colour value 0x00BBGGRR.
int ColourToNumber(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

}  // namespace

// --- Map windows ---

QList<TMapForm*> TMainForm::MapForms() const {
    return maps_->Forms();
}

TMapForm* TMainForm::ActiveMap() const {
    return maps_->Active();
}

QMdiArea* TMainForm::MdiArea() const {
    return maps_->Area();
}

int TMainForm::MapCounter() const {
    return maps_->Counter();
}

TMapForm* TMainForm::CreateMap(int savedIndex, bool maximise) {
    const TPlanSources sources{&session_->Kijun(),  &session_->Tansa(),   &session_->Ijo(),
                               &session_->Misoku(), &session_->Sokusen(), cuts_};
    const TGuidance& g = session_->Guidance();
    TMapForm* form =
        maps_->Create(sources, MapColour(settings_.MapColor), folder_.cfg, savedIndex, maximise,
                      g.Segment(), g.Extent(), state_.guide.Index(), state_.buoy.Index());
    UpdateAll();
    return form;
}

void TMainForm::BroadcastGuidePoint() {
    emit maps_->RefPoint(state_.guide.Index());
}

void TMainForm::BroadcastBuoyPoint() {
    const int index = state_.buoy.Index();
    session_->SetBuoyIndex(index);
    emit maps_->RemPoint(index);
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

// --- TMapHost ---

void TMainForm::ShowInfo(const QString& text) {
    pnlBottom_->ShowInfo(text);
}

// The map windows are told after every change, saved or not: they show what the collection
// holds, which is what the mark file holds (a change that could not be stored is undone),
// and a window's mark i must stay the collection's mark i.
void TMainForm::AddMark(const QString& name, const QColor& colour, double x, double y) {
    session_->Misoku().AddAndSave(x, y, name, ColourToNumber(colour));
    emit maps_->MisokuChanged();
}

void TMainForm::DeleteMark(int index) {
    if (index < 0 || index >= session_->Misoku().Count()) return;
    session_->Misoku().DeleteAndSave(index);
    emit maps_->MisokuChanged();
}

void TMainForm::ChangeMark(int index, const QString& name, const QColor& colour) {
    if (index < 0 || index >= session_->Misoku().Count()) return;
    session_->Misoku().ChangeAndSave(index, name, ColourToNumber(colour));
    emit maps_->MisokuChanged();
}

void TMainForm::CutCommand() {
    line_->Cut();
}

int TMainForm::CircleDiameter() {
    return ruler_->Diameter();
}

int TMainForm::RulerAngle() {
    return ruler_->AnglePacked();
}

int TMainForm::RulerWidth() {
    return ruler_->Width();
}

void TMainForm::SetRulerPivot(double x, double y) {
    ruler_->SetPivot(x, y);
}

void TMainForm::SetRulerPivotAngle(double x, double y, int packedAngle) {
    ruler_->SetPivotAngle(x, y, packedAngle);
}

QSize TMainForm::FreeClientSize() const {
    int topH = 0;
    for (QToolBar* t : ui_->ToolBars())
        if (!t->isHidden() && toolBarArea(t) == Qt::TopToolBarArea)
            topH = std::max(topH, t->y() + t->height());
    const QSize client = size();
    return {std::max(0, client.width() - docks_->DockedWidth() - 4),
            std::max(0, client.height() - topH - 4)};
}

}  // namespace tidrun
