// The toolbars "円定規" (the circle ruler's diameter) and "計画線" (the planned line's
// angle, width and parallel-move step, and the parallel move itself). Reading a field
// yields the value the guidance uses and shows a field that could not be used in fuchsia.
#pragma once

#include <QToolBar>

#include "console/guidance.h"

class QToolButton;

namespace tidrun {

class MessageSink;
class NumericEdit;

class TCircleToolBar : public QToolBar {
    Q_OBJECT
  public:
    // Range errors of the field go to sink (not owned).
    TCircleToolBar(MessageSink& sink, QWidget* parent = nullptr);
    int Diameter();
    void SetDiameter(int metres);
    // The diameter as stored with the job: the field's, or its last that passed the check.
    int StoredDiameter() const;
    void SetFieldsEnabled(bool enabled);

    NumericEdit* edtCircleSize;

  signals:
    void DiameterChanged(int metres);
};

class TRulerToolBar : public QToolBar {
    Q_OBJECT
  public:
    static constexpr int kMoveMin = -30000, kMoveMax = 30000;

    TRulerToolBar(MessageSink& sink, QWidget* parent = nullptr);
    int AnglePacked();
    int Width();
    int Step();
    QString AngleText() const;
    void SetAngleText(const QString& text);
    void SetWidth(int metres);
    void SetStep(int metres);
    // The fields as stored with the job: each its text, or its last that passed the check.
    QString StoredAngleText() const;
    int StoredWidth() const;
    int StoredStep() const;
    void SetFieldsEnabled(bool enabled);
    // Position of the parallel-move up-down (moves stop at its limits).
    int MovePosition() const { return movePos_; }

    NumericEdit *edtRulerAngle, *edtRulerWidth, *edtRulerStep;
    QToolButton *btnMoveUp, *btnMoveDown;

  signals:
    void AngleChanged();
    void WidthChanged();
    // The line is to move by one step: +1 up, -1 down.
    void MoveRequested(int direction);

  private:
    int movePos_ = 0;
};

// Shows whether a field's value could be used (window colour) or not (fuchsia).
void ShowFieldState(NumericEdit* field, bool bad);

}  // namespace tidrun
