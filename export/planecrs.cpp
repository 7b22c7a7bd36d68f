#include "export/planecrs.h"

#include <cmath>
#include <numbers>

#include "positioning/geodesy.h"

namespace tidrun {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;
constexpr double kRadToDeg = 180.0 / std::numbers::pi;

bool Forward(int zone, int datum, double phi, double lam, double& X, double& Y) {
    TPos pos;
    double gamma = 0;
    GeodeticToPlane(pos, zone, datum, phi, lam, X, Y, gamma);
    return pos.errorFlag == 0;
}

}  // namespace

int PlaneEpsg(PlaneFrame frame, int zone) {
    if (zone < 0 || zone >= kZoneCount) return 0;
    switch (frame) {
        case PlaneFrame::Jgd2011:
            return 6669 + zone;
        case PlaneFrame::Jgd2000:
            return 2443 + zone;
        case PlaneFrame::Tokyo:
            return 30161 + zone;
    }
    return 0;
}

bool PlaneToGeodetic(int zone, int datum, double X, double Y, double& latDeg, double& lonDeg) {
    latDeg = lonDeg = 0;
    if (zone < 0 || zone >= kZoneCount || datum < 0 || datum >= kDatumCount) return false;
    if (!std::isfinite(X) || !std::isfinite(Y)) return false;
    const TElip& e = *DatumAt(datum).elip;
    const ZoneOrigin& o = ZoneAt(zone);
    // First guess on the sphere of the ellipsoid's radius, then Newton steps with the
    // Jacobian of the projection by central differences (the step is a few centimetres).
    double phi = o.latDeg * kDegToRad + X / (e.a * kScaleM0);
    double lam = o.lonDeg * kDegToRad + Y / (e.a * kScaleM0 * std::cos(phi));
    constexpr double h = 1e-8;
    for (int step = 0; step < 20; ++step) {
        double fx = 0, fy = 0;
        if (!Forward(zone, datum, phi, lam, fx, fy)) return false;
        const double rx = X - fx, ry = Y - fy;
        if (std::abs(rx) < 1e-5 && std::abs(ry) < 1e-5) {
            latDeg = phi * kRadToDeg;
            lonDeg = lam * kRadToDeg;
            return true;
        }
        double xp, yp, xm, ym, xl, yl, xr, yr;
        if (!Forward(zone, datum, phi + h, lam, xp, yp) ||
            !Forward(zone, datum, phi - h, lam, xm, ym) ||
            !Forward(zone, datum, phi, lam + h, xl, yl) ||
            !Forward(zone, datum, phi, lam - h, xr, yr)) {
            return false;
        }
        const double a11 = (xp - xm) / (2 * h), a21 = (yp - ym) / (2 * h);
        const double a12 = (xl - xr) / (2 * h), a22 = (yl - yr) / (2 * h);
        const double det = a11 * a22 - a12 * a21;
        if (!std::isfinite(det) || det == 0) return false;
        phi += (a22 * rx - a12 * ry) / det;
        lam += (a11 * ry - a21 * rx) / det;
    }
    return false;
}

bool GeodeticToWgs84(int datum, double latDeg, double lonDeg, double& wgsLat, double& wgsLon) {
    wgsLat = latDeg;
    wgsLon = lonDeg;
    if (datum == 0) return std::isfinite(latDeg) && std::isfinite(lonDeg);
    TPos pos;
    GeodeticToGeocentric(pos, datum, latDeg * kDegToRad, lonDeg * kDegToRad, 0.0);
    if (pos.errorFlag != 0) return false;
    double phi = 0, lam = 0, hOut = 0;
    GeocentricToGeodetic(pos, 0, phi, lam, hOut);
    if (pos.errorFlag != 0) return false;
    wgsLat = phi * kRadToDeg;
    wgsLon = lam * kRadToDeg;
    return true;
}

bool PlaneToWgs84(int zone, int datum, double X, double Y, double& wgsLat, double& wgsLon) {
    double lat = 0, lon = 0;
    return PlaneToGeodetic(zone, datum, X, Y, lat, lon) &&
           GeodeticToWgs84(datum, lat, lon, wgsLat, wgsLon);
}

}  // namespace tidrun
