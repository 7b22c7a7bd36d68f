#include "console/gui/led.h"

namespace tidrun {

TLed::TLed(const char* name, QWidget* parent, const char* onColour)
    : QLabel(parent), onColour_(QLatin1String(onColour)) {
    setObjectName(QLatin1String(name));
    setFixedSize(14, 14);
    SetOn(false);
}

void TLed::SetOn(bool on) {
    if (on == on_) return;
    on_ = on;
    setProperty("on", on);
    setStyleSheet(QStringLiteral("border-radius:7px; border:1px solid #404040; background:%1;")
                      .arg(on ? onColour_ : QStringLiteral("#203020")));
}

}  // namespace tidrun
