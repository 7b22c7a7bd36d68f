// The tool window "受信ﾃﾞｰﾀ": what the receiver sends (time, position, satellites, fix
// state, DOP, station, age, speed, course), the data lamp, the datum and the port state.
#pragma once

#include <QWidget>

#include "console/fixview.h"

class QLabel;

namespace tidrun {

class TLed;

class TGpsPanel : public QWidget {
    Q_OBJECT
  public:
    explicit TGpsPanel(QWidget* parent = nullptr);

    // Position-sentence texts (GGA) or course texts (RMC).
    void ShowPosition(const MonitorTexts& t);
    void ShowCourse(const MonitorTexts& t);
    // The data lamp changes at every position.
    void ToggleData();
    // The design-time texts.
    void Reset();

    QLabel *lblGPSTime, *lblGPSLat, *lblGPSLon, *lblGPSAlt, *lblGPSSat, *lblGPSQty, *lblGPSDOP,
        *lblGPSRef, *lblGPSSec, *lblGPSSpeed, *lblGPSCourse, *lblCOM, *lblPortState;
    TLed* LedData;
};

}  // namespace tidrun
