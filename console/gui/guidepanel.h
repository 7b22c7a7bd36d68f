// The tool window "設標": the buoy-point chooser, the NEWS display and the compass with
// ΔＸ, ΔＹ and the distance; and the tool window "誘導点の設定" with the guide-point chooser.
#pragma once

#include <QWidget>

#include "console/guidance.h"

class QComboBox;
class QLabel;
class QTabWidget;

namespace tidrun {

// Shows a point choice: "(なし)" then the names, the chosen one (-1: "(なし)") selected.
// No change signal is raised.
void ShowPointChooser(QComboBox* chooser, const QStringList& names, int chosen);

class TGuidePanel : public QWidget {
    Q_OBJECT
  public:
    explicit TGuidePanel(QWidget* parent = nullptr);

    // The displays for one position; without a buoy point they stay as they are.
    void Show(const TGuideView& view);
    // The compass for an angle in radians; the angle text is left empty at start.
    void ShowCompass(double radians, bool withText = true);
    void ShowNews(const TNewsView& news);
    // Back to the texts of a closed job.
    void Reset();

    QComboBox* cbxRemPoint;
    QTabWidget* tabGuide;
    QLabel *lblN, *lblS, *lblE, *lblW, *lblNSValue, *lblEWValue;
    QLabel *imgCompass, *lblDMS, *lblDeltaXValue, *lblDeltaYValue, *lblLongValue;

  signals:
    // The buoy chooser changed: its index - 1 (-1 for none).
    void BuoyChosen(int buoyIndex);
};

class TRefPanel : public QWidget {
    Q_OBJECT
  public:
    explicit TRefPanel(QWidget* parent = nullptr);
    QComboBox* cbxRefPoint;

  signals:
    void GuideChosen(int guideIndex);
};

}  // namespace tidrun
