// Angles as the crew types and reads them: packed DDDMMSS integers, the degree text with
// the half-width degree mark, and azimuths from north clockwise.
#pragma once

#include <QString>

namespace tidrun {

// Packed DDDMMSS (sign on the whole) to decimal degrees.
double PackedToDegrees(int packed);
// Decimal degrees to packed DDDMMSS, through ten-thousandths of a degree.
int DegreesToPacked(double degrees);
// "%dﾟ%.2d'%.2d\"" of a packed angle, the whole angle brought into 0..360 first.
QString AngleText(int packed);

// Azimuth of the way from (x0, y0) to (x1, y1): from north (X) clockwise towards east (Y),
// 0 up to 360 degrees, truncated to whole seconds and packed.
int AzimuthPacked(double x0, double y0, double x1, double y1);

}  // namespace tidrun
