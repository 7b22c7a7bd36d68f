#include "planview/plannedline.h"

#include <algorithm>
#include <cmath>

namespace tidrun {

bool ClipToBox(TRulerRect& s, const TRulerRect& box) {
    const double minX = std::min(box.X0, box.X1), maxX = std::max(box.X0, box.X1);
    const double minY = std::min(box.Y0, box.Y1), maxY = std::max(box.Y0, box.Y1);
    const double dx = s.X1 - s.X0, dy = s.Y1 - s.Y0;
    if (dx == 0 && dy == 0) return s.X0 >= minX && s.X0 <= maxX && s.Y0 >= minY && s.Y0 <= maxY;
    double t0 = 0, t1 = 1;
    const double p[4] = {-dy, dy, -dx, dx};
    const double q[4] = {s.Y0 - minY, maxY - s.Y0, s.X0 - minX, maxX - s.X0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
    }
    const TRulerRect from = s;
    s.X1 = from.X0 + t1 * dx;
    s.Y1 = from.Y0 + t1 * dy;
    s.X0 = from.X0 + t0 * dx;
    s.Y0 = from.Y0 + t0 * dy;
    return true;
}

TRulerRect PlannedLineSegment(double pivotX, double pivotY, double thetaDegrees,
                              const TRulerRect& extent, double k) {
    // The same line for theta and theta + 360; the choice of the leading axis below only
    // knows 0..360, so bring negative angles into it.
    double theta = std::fmod(thetaDegrees, 360.0);
    if (theta < 0) theta += 360.0;
    const double rad = theta * M_PI / 180.0;
    TRulerRect s;
    if (theta <= 45 || (theta >= 135 && theta <= 225) || theta >= 315) {
        // Mostly along X: run from the extent's X0 to its X1.
        s.X0 = extent.X0;
        s.X1 = extent.X1;
        if (theta != 0 && theta != 180) {
            const double g = k / std::cos(rad), t = std::tan(rad);
            s.Y0 = pivotY - (pivotX - extent.X0) * t + g;
            s.Y1 = pivotY + t * (extent.X1 - pivotX) + g;
        } else {
            s.Y0 = s.Y1 = pivotY + k;
        }
    } else {
        s.Y0 = extent.Y0;
        s.Y1 = extent.Y1;
        if (theta != 90 && theta != 270) {
            const double g = k / std::sin(rad), t = std::tan(rad);
            s.X0 = pivotX - (pivotY - extent.Y0) / t - g;
            s.X1 = pivotX + (extent.Y1 - pivotY) / t - g;
        } else {
            s.X0 = s.X1 = pivotX - k;
        }
    }
    if (!ClipToBox(s, extent)) return {};
    return s;
}

TOffsetLines PlannedLineOffsets(const TRulerRect& segment, const TRulerRect& extent,
                                double thetaDegrees, double width) {
    TOffsetLines out;
    if (width <= 0 || segment == TRulerRect{}) return out;
    const double mx = (segment.X0 + segment.X1) / 2, my = (segment.Y0 + segment.Y1) / 2;
    out.shown = true;
    out.left = PlannedLineSegment(mx, my, thetaDegrees, extent, -width);
    out.right = PlannedLineSegment(mx, my, thetaDegrees, extent, +width);
    return out;
}

}  // namespace tidrun
