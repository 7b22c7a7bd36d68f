// The tool window "収録": start and stop in one place, the cut button, the mode, the three
// count-down lamps, the time and distance since the previous cut, and the last cut.
#pragma once

#include <QWidget>

#include <cstdint>

#include "console/recorder.h"

class QLabel;
class QPushButton;

namespace tidrun {

class TLed;

class TCutPanel : public QWidget {
    Q_OBJECT
  public:
    explicit TCutPanel(QWidget* parent = nullptr);

    void SetMode(const QString& text);
    // Start or stop shown in their shared place.
    void SetStartShown(bool start);
    // The cut button and the elapsed displays are live only while recording; leaving
    // recording puts the idle texts back.
    void SetRecording(bool on);
    void ShowLamps(const TLamps& lamps);
    void ShowElapsed(std::uint32_t seconds);
    void ShowDistance(double metres);
    void ShowLastCut(const TCutPanelTexts& texts);
    // The design-time texts of the last cut.
    void Reset();

    QPushButton *btnSurveyStart, *btnSurveyStop, *btnCut;
    QLabel *pnlMode, *lblDurationTitle, *lblDuration, *lblDistTitle, *lblDist;
    TLed *ledCount2, *ledCount1, *ledCount0;
    QLabel *lblCutSEQ, *lblCutCutNo, *lblCutX, *lblCutY, *lblPrevDist;

  signals:
    void StartClicked();
    void StopClicked();
    void CutClicked();
};

}  // namespace tidrun
