#include "console/gui/rulertools.h"

#include "console/consolestate.h"
#include "console/gui/coordpanel.h"
#include "console/gui/rulertoolbar.h"
#include "console/jobsession.h"

namespace tidrun {

namespace {

constexpr TLineField kAllFields[] = {TLineField::Diameter, TLineField::Angle, TLineField::Width,
                                     TLineField::Step};

}  // namespace

TRulerTools::TRulerTools(TCircleToolBar& circle, TRulerToolBar& ruler, TCoordPanel& panel,
                         TLineFields& fields, TJobSession& session, QObject* parent)
    : QObject(parent),
      circle_(circle),
      ruler_(ruler),
      panel_(panel),
      fields_(fields),
      session_(session) {
    for (TFieldToolBar* bar : std::initializer_list<TFieldToolBar*>{&circle_, &ruler_}) {
        connect(bar, &TFieldToolBar::Edited, this,
                [this](TLineField f, const QString& text) { fields_[f].Edit(text); });
        connect(bar, &TFieldToolBar::Committed, this, [this](TLineField f) {
            if (f == TLineField::Diameter)
                emit CircleSize(Diameter());
            else if (f != TLineField::Step)
                Move(0);
        });
    }
    connect(&ruler_, &TRulerToolBar::MoveRequested, this, &TRulerTools::Move);
    ShowFields();
}

void TRulerTools::ShowFields() {
    for (TLineField f : kAllFields) Bar(f).ShowText(f, fields_[f].Text());
}

void TRulerTools::InitLine() {
    session_.Guidance().SetAnglePacked(AnglePacked());
    session_.InitRulerExtent();
    Broadcast();
}

void TRulerTools::Move(int direction) {
    TGuidance& g = session_.Guidance();
    g.SetAnglePacked(AnglePacked());
    if (direction == 0)
        g.Recompute();
    else
        g.Move(direction * Use(TLineField::Step));
    Broadcast();
}

void TRulerTools::SetPivot(double x, double y) {
    session_.Guidance().SetPivot({x, y});
    Move(0);
}

void TRulerTools::SetPivotAngle(double x, double y, int packedAngle) {
    fields_[TLineField::Angle].Edit(RulerAngleFieldText(packedAngle));
    Bar(TLineField::Angle).ShowText(TLineField::Angle, fields_[TLineField::Angle].Text());
    SetPivot(x, y);
}

void TRulerTools::Broadcast() {
    emit Ruler(session_.Guidance().Segment(), session_.Guidance().Extent());
}

int TRulerTools::Diameter() {
    return Use(TLineField::Diameter);
}

int TRulerTools::AnglePacked() {
    return Use(TLineField::Angle);
}

int TRulerTools::Width() {
    return Use(TLineField::Width);
}

TFieldToolBar& TRulerTools::Bar(TLineField f) {
    if (circle_.Holds(f)) return circle_;
    return ruler_;
}

int TRulerTools::Use(TLineField f) {
    const TFieldValue v = fields_.Value(f);
    Bar(f).ShowBad(f, v.bad);
    return v.value;
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
