// The compass of the buoy guidance: a blue disc with a yellow arrow turned by the angle of
// the buoy point relative to the boat's heading, on the button-face colour.
#pragma once

#include <QColor>
#include <QImage>

namespace tidrun {

// 100 x 100 pixels; angle in radians.
QImage CompassImage(double angle, const QColor& face);

}  // namespace tidrun
