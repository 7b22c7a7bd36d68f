#include "console/plannedline.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tidrun {

bool ClipSegment(const TRulerRect& box, TRulerRect& s) {
    const double xmin = std::min(box.X0, box.X1), xmax = std::max(box.X0, box.X1);
    const double ymin = std::min(box.Y0, box.Y1), ymax = std::max(box.Y0, box.Y1);
    const double dx = s.X1 - s.X0, dy = s.Y1 - s.Y0;
    double t0 = 0, t1 = 1;
    // Liang-Barsky: each edge narrows the parameter range of the segment.
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {s.X0 - xmin, xmax - s.X0, s.Y0 - ymin, ymax - s.Y0};
    for (int i = 0; i < 4; ++i) {
        if (!std::isfinite(p[i]) || !std::isfinite(q[i])) return false;
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
        if (t0 > t1) return false;
    }
    const TRulerRect in = s;
    s = {in.X0 + t0 * dx, in.Y0 + t0 * dy, in.X0 + t1 * dx, in.Y0 + t1 * dy};
    return true;
}

TRulerRect PlannedLineSegment(const TRulerRect& e, double pivotX, double pivotY, double thetaDeg,
                              double k) {
    if (!std::isfinite(thetaDeg)) return {};
    // The same line for every turn of the angle; the branch only picks the axis the line
    // runs along most, so that the tangent stays small.
    double a = std::fmod(thetaDeg, 360.0);
    if (a < 0) a += 360.0;
    const double rad = a * std::numbers::pi / 180.0;
    TRulerRect s;
    if (a <= 45 || (a >= 135 && a <= 225) || a >= 315) {
        s.X0 = e.X0;
        s.X1 = e.X1;
        if (a != 0 && a != 180) {
            const double g = k / std::cos(rad), t = std::tan(rad);
            s.Y0 = pivotY - (pivotX - e.X0) * t + g;
            s.Y1 = pivotY + t * (e.X1 - pivotX) + g;
        } else {
            // A step always moves toward the side where the offset of the boat counts
            // positive, (-sin, cos): at 180 that is -Y, as for every angle near it.
            s.Y0 = s.Y1 = pivotY + (a == 0 ? k : -k);
        }
    } else {
        s.Y0 = e.Y0;
        s.Y1 = e.Y1;
        if (a != 90 && a != 270) {
            const double g = k / std::sin(rad), t = std::tan(rad);
            s.X0 = pivotX - (pivotY - e.Y0) / t - g;
            s.X1 = pivotX + (e.Y1 - pivotY) / t - g;
        } else {
            s.X0 = s.X1 = pivotX + (a == 90 ? -k : k);
        }
    }
    if (!ClipSegment(e, s)) return {};
    return s;
}

}  // namespace tidrun
