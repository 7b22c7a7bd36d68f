#include "planview/angles.h"

#include <cmath>
#include <cstdint>

namespace tidrun {

double PackedToDegrees(int packed) {
    return packed / 10000 + ((packed % 100) + ((packed % 10000) / 100) * 60) / 3600.0;
}

int DegreesToPacked(double degrees) {
    const double whole = std::trunc(degrees);
    const std::int64_t d = static_cast<std::int64_t>(whole);
    const std::int64_t t = static_cast<std::int64_t>(std::trunc((degrees - whole) * 10000)) * 3600;
    return static_cast<int>(d * 10000 + (t / 600000) * 100 + (t / 10000) % 60);
}

QString AngleText(int packed) {
    // Into 0..360 as a whole before splitting: -30ﾟ30' is 329ﾟ30', not 330ﾟ30'.
    constexpr std::int64_t kTurn = 360 * 3600;
    const std::int64_t signedSeconds = std::int64_t(packed / 10000) * 3600 +
                                       std::int64_t((packed % 10000) / 100) * 60 + packed % 100;
    const std::int64_t seconds = (signedSeconds % kTurn + kTurn) % kTurn;
    return QString::asprintf("%dﾟ%.2d'%.2d\"", int(seconds / 3600), int(seconds / 60 % 60),
                             int(seconds % 60));
}

int AzimuthPacked(double x0, double y0, double x1, double y1) {
    double deg = std::atan2(y1 - y0, x1 - x0) * 180.0 / M_PI;
    if (deg < 0) deg += 360.0;
    // A hair of tolerance so that exact directions (due east) do not fall a second short
    // through the rounding of the arc tangent.
    auto seconds = static_cast<std::int64_t>(std::floor(deg * 3600.0 + 1e-6));
    if (seconds >= 360 * 3600) seconds -= 360 * 3600;
    const auto d = seconds / 3600, m = (seconds / 60) % 60, s = seconds % 60;
    return static_cast<int>(d * 10000 + m * 100 + s);
}

}  // namespace tidrun
