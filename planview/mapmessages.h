// Values carried by the messages the main window posts to its map windows.
#pragma once

#include <QMetaType>

#include <cmath>
#include <cstdint>
#include <limits>

namespace tidrun {

// A rectangle or a segment in plane coordinates (metres): X northing, Y easting.
struct TRulerRect {
    double X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
    friend bool operator==(const TRulerRect&, const TRulerRect&) = default;
};

// Metres to integer millimetres, truncated toward zero, as the boat position travels.
// Values that do not fit (or are not numbers) are clamped instead of overflowing.
inline std::int32_t ToMillimetres(double metres) {
    const double mm = std::trunc(metres * 1000.0);
    if (std::isnan(mm)) return 0;
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    if (mm <= lo) return std::numeric_limits<std::int32_t>::min();
    if (mm >= hi) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(mm);
}

}  // namespace tidrun

Q_DECLARE_METATYPE(tidrun::TRulerRect)
