// The toolbars "円定規" (the circle ruler's diameter) and "計画線" (the planned line's
// angle, width and parallel-move step, and the parallel move itself). The fields' values
// are kept by the console (TLineFields): the toolbars tell each edit and show what they
// are given, a value that could not be used in fuchsia.
#pragma once

#include <QToolBar>

#include <array>

#include "console/consolestate.h"

class QToolButton;

namespace tidrun {

class MessageSink;
class NumericEdit;

// A toolbar holding some of the console's entry fields.
class TFieldToolBar : public QToolBar {
    Q_OBJECT
  public:
    using QToolBar::QToolBar;
    bool Holds(TLineField f) const { return Edit(f) != nullptr; }
    // The field shows text in the window colour.
    void ShowText(TLineField f, const QString& text);
    // The field shows whether its value could be used (window colour) or not (fuchsia).
    void ShowBad(TLineField f, bool bad);

  signals:
    // The field's text changed, typed or set.
    void Edited(tidrun::TLineField field, const QString& text);
    // An entry that passed its check was finished in the field.
    void Committed(tidrun::TLineField field);

  protected:
    void Hold(TLineField f, NumericEdit* edit);

  private:
    NumericEdit* Edit(TLineField f) const { return edits_[static_cast<size_t>(f)]; }
    std::array<NumericEdit*, 4> edits_{};
};

class TCircleToolBar : public TFieldToolBar {
    Q_OBJECT
  public:
    // Range errors of the field go to sink (not owned).
    TCircleToolBar(MessageSink& sink, QWidget* parent = nullptr);
    void SetFieldsEnabled(bool enabled);

    NumericEdit* edtCircleSize;
};

class TRulerToolBar : public TFieldToolBar {
    Q_OBJECT
  public:
    static constexpr int kMoveMin = -30000, kMoveMax = 30000;

    TRulerToolBar(MessageSink& sink, QWidget* parent = nullptr);
    void SetFieldsEnabled(bool enabled);
    // Position of the parallel-move up-down (moves stop at its limits).
    int MovePosition() const { return movePos_; }

    NumericEdit *edtRulerAngle, *edtRulerWidth, *edtRulerStep;
    QToolButton *btnMoveUp, *btnMoveDown;

  signals:
    // The line is to move by one step: +1 up, -1 down.
    void MoveRequested(int direction);

  private:
    int movePos_ = 0;
};

// Shows whether a field's value could be used (window colour) or not (fuchsia).
void ShowFieldState(NumericEdit* field, bool bad);

}  // namespace tidrun
