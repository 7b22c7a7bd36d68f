// The tool window "測深": the sounder's last depth below the surface, large, with its
// sentence kind and age, gray once old; the port's state when it is lost.
#pragma once

#include <QWidget>

#include "console/fixview.h"

class QLabel;

namespace tidrun {

class TDepthPanel : public QWidget {
    Q_OBJECT
  public:
    explicit TDepthPanel(QWidget* parent = nullptr);
    void Show(const DepthView& view);

  private:
    QLabel *lblDepth_, *lblKind_, *lblAge_, *lblPort_;
    DepthView shown_;
};

}  // namespace tidrun
