// The bottom panel of the main window: the boat's corrected coordinates coloured by the fix, the
// planned-line panel (distance from the line with its arrow) and the information line.
#pragma once

#include <QWidget>

#include <cstdint>

class QLabel;

namespace tidrun {

class TCoordPanel : public QWidget {
    Q_OBJECT
  public:
    explicit TCoordPanel(QWidget* parent = nullptr);

    // Texts of the two coordinate labels, and their look: background 0xRRGGBB, pale text
    // when the position is old.
    void ShowCoordinates(const QString& x, const QString& y);
    void SetCoordinateLook(std::uint32_t rgb, bool stale);
    // The planned-line panel: |offset| and the arrow on the side to steer to.
    void ShowRuler(double offset, bool leftArrow);
    void SetRulerShown(bool shown);
    bool RulerShown() const;
    void ShowInfo(const QString& text);
    // The design-time texts of the coordinates and the planned-line panel.
    void Reset();

    QLabel *lblXValue, *lblYValue, *lblInfo;
    QWidget* pnlRuler;
    QLabel *lblRulerDist, *imgRulerLeft, *imgRulerRight;
};

}  // namespace tidrun
