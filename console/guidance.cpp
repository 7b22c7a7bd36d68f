#include "console/guidance.h"

#include <cmath>
#include <cstdint>
#include <numbers>

#include "planview/plannedline.h"

namespace tidrun {

namespace {

constexpr double kPi = std::numbers::pi;

double AtLeastMinusPi(double a) {
    while (a < -kPi) a += 2 * kPi;
    return a;
}

bool ParseNumber(const QString& text, double& v) {
    bool ok = false;
    v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v);
}

TFieldValue ClampedInt(const QString& text, int lo, int hi) {
    double v = 0;
    if (!ParseNumber(text, v)) return {lo, true};
    const double t = std::trunc(v);
    if (t < lo) return {lo, true};
    if (t > hi) return {hi, true};
    return {static_cast<int>(t), false};
}

}  // namespace

QString CompassAngleText(double radians) {
    return AngleText(DegreesToPacked(radians * 180.0 / kPi));
}

TFieldValue ParseDiameter(const QString& text) {
    return ClampedInt(text, 1, 999);
}

TFieldValue ParseRulerWidth(const QString& text) {
    return ClampedInt(text, 0, 999);
}

TFieldValue ParseRulerAngle(const QString& text) {
    double v = 0;
    if (!ParseNumber(text, v)) return {0, true};
    // The text is decimal: 359.5959 must give 3595959, not the 3595958 that the binary
    // product 3595958.99... would truncate to. Rounded to 1e-8 degrees first.
    const double packed = std::trunc(std::round(v * 1e8) / 1e4);
    if (packed < -3600000 || packed > 3600000) return {0, true};
    return {static_cast<int>(packed), false};
}

QString RulerAngleFieldText(int packed) {
    QString t = QString::number(packed / 10000.0, 'f', 4);
    while (t.contains(QLatin1Char('.')) && t.endsWith(QLatin1Char('0'))) t.chop(1);
    if (t.endsWith(QLatin1Char('.'))) t.chop(1);
    return t;
}

TNewsView NewsFor(double dY, double dX) {
    TNewsView n;
    n.north = dX >= 0;
    n.ns = n.north ? dX : -dX;
    n.east = dY >= 0;
    n.ew = std::abs(dY);
    return n;
}

QString NewsDistanceText(double metres) {
    return QString::asprintf("%9.3f", metres);
}

QString DeltaText(double metres) {
    return QString::asprintf("%10.3f", metres);
}

QString RulerDistanceText(double offset) {
    const double a = std::abs(offset);
    return QString::asprintf("%6.1f", a >= 10000 || !std::isfinite(a) ? 9999.9 : a);
}

TGuideView TGuidance::Update(TPoint2 p0, TPoint2 p1) {
    TGuideView v;
    const double mdX = p1.X - p0.X, mdY = p1.Y - p0.Y;
    const double heading = AtLeastMinusPi(std::atan2(mdY, mdX));
    if (buoy_) {
        v.hasBuoy = true;
        v.dX = buoy_->X - p1.X;
        v.dY = buoy_->Y - p1.Y;
        v.distance = std::sqrt(v.dY * v.dY + v.dX * v.dX);
        const double bearing = AtLeastMinusPi(std::atan2(v.dY, v.dX));
        const double rel = AtLeastMinusPi(bearing - heading);
        if (std::abs(rel - lastCompass_) > kCompassStep) {
            lastCompass_ = rel;
            v.compassChanged = true;
        }
        v.compassAngle = lastCompass_;
        v.news = NewsFor(v.dY, v.dX);
    }
    const double th = angleDeg_ * kPi / 180.0;
    v.rulerOffset = std::cos(th) * (p1.Y - pivot_.Y) - std::sin(th) * (p1.X - pivot_.X);
    double course = std::atan2(mdY, mdX) * 180.0 / kPi;
    while (course < 0) course += 360;
    course -= angleDeg_;
    if (course < 0) course += 360;
    if (course > 360) course -= 360;
    const bool along = course < 90 || course > 270;
    v.leftArrow = along ? v.rulerOffset >= 0 : v.rulerOffset < 0;
    return v;
}

void TGuidance::InitExtent(double minX, double minY, double maxX, double maxY) {
    if (extent_.X0 == 0 && extent_.X1 == 0) {
        extent_ = {minX - 100000, minY - 100000, maxX + 100000, maxY + 100000};
        pivot_ = {(extent_.X0 + extent_.X1) / 2, (extent_.Y0 + extent_.Y1) / 2};
    }
    Recompute();
}

// The shared planned-line routine moves the line by +k in Y at 0 and 180 degrees and by -k
// in X at 90 and 270. Everywhere else a step goes toward (-sin, cos), the side where the
// boat's offset counts positive; at 180 and 270 that is the other way, so that a step never
// changes direction as the angle passes these two.
static double SideStep(double thetaDeg, double k) {
    double a = std::fmod(thetaDeg, 360.0);
    if (a < 0) a += 360.0;
    return (a == 180 || a == 270) ? -k : k;
}

const TRulerRect& TGuidance::Recompute() {
    segment_ = PlannedLineSegment(pivot_.X, pivot_.Y, angleDeg_, extent_, 0);
    return segment_;
}

const TRulerRect& TGuidance::Move(double k) {
    segment_ = PlannedLineSegment(pivot_.X, pivot_.Y, angleDeg_, extent_, SideStep(angleDeg_, k));
    if (segment_ == TRulerRect{}) {
        // Off the extent: the middle of nothing would be (0, 0), far from the survey
        // area. Move the pivot across the line instead, as the line itself moved.
        const double th = angleDeg_ * kPi / 180.0;
        pivot_ = {pivot_.X - k * std::sin(th), pivot_.Y + k * std::cos(th)};
    } else {
        pivot_ = {(segment_.X0 + segment_.X1) / 2, (segment_.Y0 + segment_.Y1) / 2};
    }
    return segment_;
}

}  // namespace tidrun
