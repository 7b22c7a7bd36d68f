// The circle-ruler and planned-line toolbars over the console's fields and the session's
// guidance: an edit of a field is kept by the fields, a finished one or a parallel move
// recomputes the planned line, and the map windows are told the line and the diameter;
// the toolbars follow 円定規 and 計画線.
#pragma once

#include <QObject>

#include "planview/mapmessages.h"

namespace tidrun {

class TCircleToolBar;
class TCoordPanel;
class TFieldToolBar;
class TJobSession;
class TLineFields;
class TRulerToolBar;
enum class TLineField;

class TRulerTools : public QObject {
    Q_OBJECT
  public:
    // panel: the bottom panel whose ruler part goes with the planned-line toolbar.
    TRulerTools(TCircleToolBar& circle, TRulerToolBar& ruler, TCoordPanel& panel,
                TLineFields& fields, TJobSession& session, QObject* parent);

    // The toolbars show the fields (as read from a job's file).
    void ShowFields();

    // The line through the pivot at the field's angle, its extent from the survey area.
    void InitLine();
    // Recomputes the line (direction 0) or moves it by one step (+1, -1); then Broadcast.
    void Move(int direction);
    void SetPivot(double x, double y);
    void SetPivotAngle(double x, double y, int packedAngle);
    void Broadcast();

    // The values the map windows read (a field that cannot be used shows so).
    int Diameter();
    int AnglePacked();
    int Width();

    // The toolbars follow the switches 円定規 and 計画線 when these change.
    void Follow(bool compass, bool ruler);
    void ShowRulerBar(bool on);

  signals:
    void Ruler(tidrun::TRulerRect segment, tidrun::TRulerRect extent);
    void CircleSize(int diameter);

  private:
    TFieldToolBar& Bar(TLineField f);
    // The field's value in effect; its toolbar shows whether it could be used.
    int Use(TLineField f);

    TCircleToolBar& circle_;
    TRulerToolBar& ruler_;
    TCoordPanel& panel_;
    TLineFields& fields_;
    TJobSession& session_;
    bool lastCompass_ = false, lastRuler_ = false;
};

}  // namespace tidrun
