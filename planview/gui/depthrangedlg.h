// The depth range of a map window's colouring: the job's own range, or a range typed in
// metres (shallow at or above 0, below deep).
#pragma once

#include <QDialog>

#include <optional>

#include "planview/depthramp.h"

class QLineEdit;
class QRadioButton;

namespace tidrun {

class MessageSink;

class TDepthRangeDlg : public QDialog {
    Q_OBJECT
  public:
    // jobRange: the job's depths now, shown beside its choice (none while no cut has one).
    TDepthRangeDlg(MessageSink& sink, const std::optional<TDepthRange>& typed,
                   const std::optional<TDepthRange>& jobRange, QWidget* parent = nullptr);
    // After OK: the range typed, or nothing for the job's range.
    std::optional<TDepthRange> Typed() const { return result_; }

  public slots:
    // A typed range that does not hold is refused with one message; the dialog stays open.
    void accept() override;

  private:
    MessageSink& sink_;
    QRadioButton* rbJob_ = nullptr;
    QRadioButton* rbTyped_ = nullptr;
    QLineEdit* edtShallow_ = nullptr;
    QLineEdit* edtDeep_ = nullptr;
    std::optional<TDepthRange> result_;
};

}  // namespace tidrun
