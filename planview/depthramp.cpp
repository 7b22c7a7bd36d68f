#include "planview/depthramp.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tidrun {

namespace {

// Nine stops of the plasma ramp, light (shallow) to dark (deep): perceptually even, read
// alike by colour-blind eyes, and without the blue-greens that vanish on the teal wall.
constexpr std::array<QRgb, 9> kStops = {0xf0f921, 0xfdc328, 0xf89540, 0xe56b5d, 0xcc4778,
                                        0xa92395, 0x7e03a8, 0x4c02a1, 0x0d0887};

int Mix(int a, int b, float t) {
    return static_cast<int>(std::lround(static_cast<float>(a) + (static_cast<float>(b - a)) * t));
}

}  // namespace

QRgb DepthRampColour(float depth, const TDepthRange& range) {
    const float span = range.deep - range.shallow;
    float t = span > 0 ? (depth - range.shallow) / span : 0.0f;
    if (!(t > 0)) t = 0;  // NaN too
    t = std::min(t, 1.0f);
    const float at = t * static_cast<float>(kStops.size() - 1);
    const auto i = std::min(static_cast<std::size_t>(at), kStops.size() - 2);
    const float f = at - static_cast<float>(i);
    const QRgb a = kStops[i], b = kStops[i + 1];
    return qRgb(Mix(qRed(a), qRed(b), f), Mix(qGreen(a), qGreen(b), f), Mix(qBlue(a), qBlue(b), f));
}

int DepthLevel(float depth, const TDepthRange& range) {
    const float span = range.deep - range.shallow;
    float t = span > 0 ? (depth - range.shallow) / span : 0.0f;
    if (!(t > 0)) t = 0;  // NaN too
    t = std::min(t, 1.0f);
    return static_cast<int>(std::lround(t * float(kDepthLevels - 1)));
}

QRgb DepthLevelColour(int level, const TDepthRange& range) {
    const float t = float(std::clamp(level, 0, kDepthLevels - 1)) / float(kDepthLevels - 1);
    return DepthRampColour(range.shallow + t * (range.deep - range.shallow), range);
}

std::optional<TDepthRange> DepthRangeOf(const std::vector<float>& depths) {
    bool any = false;
    float lo = 0, hi = 0;
    for (float d : depths) {
        if (std::isnan(d)) continue;
        lo = any ? std::min(lo, d) : d;
        hi = any ? std::max(hi, d) : d;
        any = true;
    }
    if (!any) return std::nullopt;
    if (hi - lo < 1e-3f) return TDepthRange{std::max(0.0f, lo - 0.5f), hi + 0.5f};
    return TDepthRange{lo, hi};
}

std::optional<TDepthRange> TypedDepthRange(double shallow, double deep) {
    if (!std::isfinite(shallow) || !std::isfinite(deep) || shallow < 0 || !(shallow < deep)) {
        return std::nullopt;
    }
    return TDepthRange{static_cast<float>(shallow), static_cast<float>(deep)};
}

}  // namespace tidrun
