// A small round lamp: the count-down lamps of recording and the data lamp of the receiver.
#pragma once

#include <QLabel>

namespace tidrun {

class TLed : public QLabel {
    Q_OBJECT
  public:
    // onColour: "#RRGGBB" of the lit lamp.
    explicit TLed(const char* name, QWidget* parent = nullptr, const char* onColour = "#30ff30");
    bool IsOn() const { return on_; }
    void SetOn(bool on);
    void Toggle() { SetOn(!on_); }

  private:
    QString onColour_;
    bool on_ = true;  // so that the first SetOn(false) paints
};

}  // namespace tidrun
