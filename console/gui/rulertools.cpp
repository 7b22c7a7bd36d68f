#include "console/gui/rulertools.h"

#include "console/gui/coordpanel.h"
#include "console/gui/rulertoolbar.h"
#include "console/jobsession.h"
#include "surveydata/config.h"

namespace tidrun {

TRulerTools::TRulerTools(TCircleToolBar& circle, TRulerToolBar& ruler, TCoordPanel& panel,
                         TJobSession& session, QObject* parent)
    : QObject(parent), circle_(circle), ruler_(ruler), panel_(panel), session_(session) {
    connect(&circle_, &TCircleToolBar::DiameterChanged, this, &TRulerTools::CircleSize);
    connect(&ruler_, &TRulerToolBar::AngleChanged, this, [this] { Move(0); });
    connect(&ruler_, &TRulerToolBar::WidthChanged, this, [this] { Move(0); });
    connect(&ruler_, &TRulerToolBar::MoveRequested, this, &TRulerTools::Move);
}

void TRulerTools::Read(const MainWindowConfig& c) {
    circle_.SetDiameter(c.CircleSize);
    ruler_.SetAngleText(c.RulerDMS);
    ruler_.SetWidth(c.RulerWD);
    ruler_.SetStep(c.RulerStep);
}

void TRulerTools::Store(MainWindowConfig& c) const {
    c.CircleSize = circle_.StoredDiameter();
    c.RulerDMS = ruler_.StoredAngleText();
    c.RulerWD = ruler_.StoredWidth();
    c.RulerStep = ruler_.StoredStep();
}

void TRulerTools::InitLine() {
    session_.Guidance().SetAnglePacked(ruler_.AnglePacked());
    session_.InitRulerExtent();
    Broadcast();
}

void TRulerTools::Move(int direction) {
    TGuidance& g = session_.Guidance();
    g.SetAnglePacked(ruler_.AnglePacked());
    if (direction == 0)
        g.Recompute();
    else
        g.Move(direction * ruler_.Step());
    Broadcast();
}

void TRulerTools::SetPivot(double x, double y) {
    session_.Guidance().SetPivot({x, y});
    Move(0);
}

void TRulerTools::SetPivotAngle(double x, double y, int packedAngle) {
    ruler_.SetAngleText(RulerAngleFieldText(packedAngle));
    SetPivot(x, y);
}

void TRulerTools::Broadcast() {
    emit Ruler(session_.Guidance().Segment(), session_.Guidance().Extent());
}

int TRulerTools::Diameter() {
    return circle_.Diameter();
}

int TRulerTools::AnglePacked() {
    return ruler_.AnglePacked();
}

int TRulerTools::Width() {
    return ruler_.Width();
}

void TRulerTools::Follow(bool compass, bool ruler) {
    // In between the user may show or hide the toolbars through the tools menu.
    if (compass != lastCompass_) circle_.setVisible(compass);
    if (ruler != lastRuler_) ShowRulerBar(ruler);
    lastCompass_ = compass;
    lastRuler_ = ruler;
}

void TRulerTools::ShowRulerBar(bool on) {
    ruler_.setVisible(on);
    panel_.SetRulerShown(on);
}

}  // namespace tidrun
