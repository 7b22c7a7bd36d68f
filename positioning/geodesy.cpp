#include "positioning/geodesy.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "positioning/nmea.h"

namespace tidrun {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;

bool Finite(double a) {
    return std::isfinite(a);
}
bool Finite(double a, double b, double c) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c);
}

bool ValidDatum(int i) {
    return i >= 0 && i < kDatumCount;
}
bool ValidZone(int k) {
    return k >= 0 && k < kZoneCount;
}

// The meridian arc from sin and cos of phi: the multiple angles come from the double-angle
// identities instead of four more sine calls.
double MeridianArcSC(const TElip& e, double phi, double s, double c) {
    const double s2 = 2.0 * s * c;
    const double c2 = c * c - s * s;
    const double s4 = 2.0 * s2 * c2;
    const double c4 = c2 * c2 - s2 * s2;
    const double s6 = s4 * c2 + c4 * s2;
    const double s8 = 2.0 * s4 * c4;
    return e.a / (1.0 + e.n) * (e.A0 * phi - e.A1 * s2 + e.A2 * s4 - e.A3 * s6 + e.A4 * s8);
}

// Meridian arc of each zone origin on each ellipsoid, computed once.
struct OriginArcs {
    double world[kZoneCount];
    double bessel[kZoneCount];
    OriginArcs() {
        for (int k = 0; k < kZoneCount; ++k) {
            const double phi0 = ZoneAt(k).latDeg * kDegToRad;
            world[k] = MeridianArc(WorldEllipsoid(), phi0);
            bessel[k] = MeridianArc(BesselEllipsoid(), phi0);
        }
    }
};

double OriginArc(const TElip& e, int zone) {
    static const OriginArcs arcs;
    if (&e == &WorldEllipsoid()) return arcs.world[zone];
    if (&e == &BesselEllipsoid()) return arcs.bessel[zone];
    return MeridianArc(e, ZoneAt(zone).latDeg * kDegToRad);
}

}  // namespace

TElip::TElip(double inverseFlattening, double semiMajor) {
    a = semiMajor;
    f = 1.0 / inverseFlattening;
    b = (1.0 - f) * a;
    e2 = (a * a - b * b) / (a * a);
    ep2 = (a * a - b * b) / (b * b);
    n = f / (2.0 - f);
    const double n2 = n * n, n3 = n2 * n, n4 = n2 * n2;
    A0 = 1.0 + n2 / 4.0 + n4 / 64.0;
    A1 = 3.0 / 2.0 * (n - n3 / 8.0);
    A2 = 15.0 / 16.0 * (n2 - n4 / 4.0);
    A3 = 35.0 / 48.0 * n3;
    A4 = 315.0 / 512.0 * n4;
}

const TElip& WorldEllipsoid() {
    static const TElip world(298.257223563, 6378137.0);
    return world;
}

const TElip& BesselEllipsoid() {
    static const TElip bessel(299.1528128, 6377397.155);
    return bessel;
}

const Datum& DatumAt(int index) {
    static const Datum table[kDatumCount] = {
        {&WorldEllipsoid(), 0.0, 0.0, 0.0, 0},
        {&BesselEllipsoid(), 147.54, -507.26, -680.47, 9},
        {&BesselEllipsoid(), 146.43, -507.89, -681.46, 9},
    };
    if (!ValidDatum(index)) throw std::out_of_range("datum index out of range");
    return table[index];
}

const ZoneOrigin& ZoneAt(int index) {
    static constexpr ZoneOrigin table[kZoneCount] = {
        {33.0, 129.5},
        {33.0, 131.0},
        {36.0, 132.166666666667},
        {33.0, 133.5},
        {36.0, 134.333333333333},
        {36.0, 136.0},
        {36.0, 137.166666666667},
        {36.0, 138.5},
        {36.0, 139.833333333333},
        {40.0, 140.833333333333},
        {44.0, 140.25},
        {44.0, 142.25},
        {44.0, 144.25},
        {26.0, 142.0},
        {26.0, 127.5},
        {26.0, 124.0},
        {26.0, 131.0},
        {20.0, 136.0},
        {26.0, 154.0},
    };
    if (!ValidZone(index)) throw std::out_of_range("zone index out of range");
    return table[index];
}

double RadiusPrimeVertical(const TElip& e, double phi) {
    const double s = std::sin(phi);
    return e.a / std::sqrt(1.0 - e.e2 * s * s);
}

double MeridianArc(const TElip& e, double phi) {
    return e.a / (1.0 + e.n) *
           (e.A0 * phi - e.A1 * std::sin(2.0 * phi) + e.A2 * std::sin(4.0 * phi) -
            e.A3 * std::sin(6.0 * phi) + e.A4 * std::sin(8.0 * phi));
}

void GeodeticToGeocentric(TPos& pos, int datum, double phi, double lam, double h) {
    pos.errorFlag = 0;
    if (!ValidDatum(datum)) {
        pos.errorFlag = -1;
        return;
    }
    const Datum& d = DatumAt(datum);
    const TElip& e = *d.elip;
    const double sp = std::sin(phi), cp = std::cos(phi);
    const double sl = std::sin(lam), cl = std::cos(lam);
    const double N = e.a / std::sqrt(1.0 - e.e2 * sp * sp);
    pos.X = (N + h) * cp * cl - d.dX;
    pos.Y = (N + h) * cp * sl - d.dY;
    pos.Z = (N * (1.0 - e.e2) + h) * sp - d.dZ;
    if (!Finite(pos.X, pos.Y, pos.Z)) pos.errorFlag = -1;
}

namespace {

// Geodetic position with the sine and cosine of its latitude and the prime-vertical radius,
// which the projection needs again.
struct Geodetic {
    double phi, lam, h, s, c, N;
};

// Bowring's closed form. The sine and cosine of theta and phi come from the legs of their
// atan2 arguments, which saves two sine/cosine evaluations.
Geodetic FromGeocentric(const TPos& pos, const Datum& d) {
    const TElip& e = *d.elip;
    const double x = pos.X + d.dX, y = pos.Y + d.dY, z = pos.Z + d.dZ;
    const double p = std::sqrt(x * x + y * y);
    const double za = z * e.a, pb = p * e.b;  // theta = atan2(z a, p b)
    const double r = std::sqrt(za * za + pb * pb);
    const double st = za / r, ct = pb / r;
    const double num = z + e.ep2 * e.b * st * st * st;
    const double den = p - e.e2 * e.a * ct * ct * ct;
    Geodetic g;
    g.phi = std::atan2(num, den);
    const double q = std::sqrt(num * num + den * den);
    g.s = num / q;
    g.c = den / q;
    g.lam = std::atan2(y, x);
    g.N = e.a / std::sqrt(1.0 - e.e2 * g.s * g.s);
    g.h = p / g.c - g.N;
    return g;
}

}  // namespace

void GeocentricToGeodetic(TPos& pos, int datum, double& phi, double& lam, double& h) {
    pos.errorFlag = 0;
    if (!ValidDatum(datum)) {
        pos.errorFlag = -1;
        phi = lam = h = 0;
        return;
    }
    const Geodetic g = FromGeocentric(pos, DatumAt(datum));
    phi = g.phi;
    lam = g.lam;
    h = g.h;
    if (!Finite(phi, lam, h)) pos.errorFlag = -1;
}

namespace {

// The Gauss-Krueger series, given sin, cos and the prime-vertical radius at phi.
void PlaneSeries(const TElip& e, int zone, double phi, double s, double c, double N, double lam,
                 double& X, double& Y, double& gamma) {
    const double lam0 = ZoneAt(zone).lonDeg * kDegToRad;
    const double t = s / c;
    const double t2 = t * t, t4 = t2 * t2, t6 = t4 * t2;
    const double c2 = c * c;
    const double eta2 = e.ep2 * c2, eta4 = eta2 * eta2;
    const double dl = lam - lam0;
    const double dl2 = dl * dl;

    const double S = MeridianArcSC(e, phi, s, c);
    const double S0 = OriginArc(e, zone);

    // Powers of cos(phi) and dl grouped as (c dl)^2 to keep the series short.
    const double cd2 = c2 * dl2;
    const double Ntc2dl2 = N * t * cd2;
    const double x2 = Ntc2dl2 / 2.0;
    const double x4 = Ntc2dl2 * cd2 * (5.0 - t2 + 9.0 * eta2 + 4.0 * eta4) / 24.0;
    const double x6 =
        Ntc2dl2 * cd2 * cd2 * (61.0 - 58.0 * t2 + t4 + 270.0 * eta2 - 330.0 * t2 * eta2) / 720.0;
    const double x8 =
        Ntc2dl2 * cd2 * cd2 * cd2 * (1385.0 - 3111.0 * t2 + 543.0 * t4 - t6) / 40320.0;
    X = kScaleM0 * (S - S0 + x2 + x4 + x6 + x8);

    const double Ncdl = N * c * dl;
    const double y3 = Ncdl * cd2 * (1.0 - t2 + eta2) / 6.0;
    const double y5 =
        Ncdl * cd2 * cd2 * (5.0 - 18.0 * t2 + t4 + 14.0 * eta2 - 58.0 * t2 * eta2) / 120.0;
    const double y7 = Ncdl * cd2 * cd2 * cd2 * (61.0 - 479.0 * t2 + 179.0 * t4 - t6) / 5040.0;
    Y = kScaleM0 * (Ncdl + y3 + y5 + y7);

    gamma = dl * s + dl2 * dl * s * c2 * (1.0 + 3.0 * eta2) / 3.0;
}

}  // namespace

void GeodeticToPlane(TPos& pos, int zone, int datum, double phi, double lam, double& X, double& Y,
                     double& gamma) {
    pos.errorFlag = 0;
    if (!ValidDatum(datum) || !ValidZone(zone)) {
        pos.errorFlag = -1;
        X = Y = gamma = 0;
        return;
    }
    const TElip& e = *DatumAt(datum).elip;
    const double s = std::sin(phi), c = std::cos(phi);
    const double N = e.a / std::sqrt(1.0 - e.e2 * s * s);
    PlaneSeries(e, zone, phi, s, c, N, lam, X, Y, gamma);
    if (!Finite(X, Y, gamma)) pos.errorFlag = -1;
}

bool ConvertGeodetic(TPos& pos, int sourceDatum, int targetDatum, int zone, double phi, double lam,
                     double h, double& X, double& Y, double& hOut) {
    X = Y = hOut = 0;
    GeodeticToGeocentric(pos, sourceDatum, phi, lam, h);
    if (pos.errorFlag != 0) return false;
    if (!ValidDatum(targetDatum) || !ValidZone(zone)) {
        pos.errorFlag = -1;
        return false;
    }
    // The same three steps as the public operations, sharing sin, cos and N between the last two.
    const Datum& d = DatumAt(targetDatum);
    const Geodetic g = FromGeocentric(pos, d);
    if (!Finite(g.phi, g.lam, g.h)) {
        pos.errorFlag = -1;
        return false;
    }
    double gamma = 0;
    PlaneSeries(*d.elip, zone, g.phi, g.s, g.c, g.N, g.lam, X, Y, gamma);
    if (!Finite(X, Y, gamma)) {
        pos.errorFlag = -1;
        return false;
    }
    hOut = g.h;
    return true;
}

bool GpsFixToPlane(TPos& pos, TNMEA& fix, int sourceDatum, int targetDatum, int zone, double& X,
                   double& Y, double& h) {
    X = Y = h = 0;
    const double phi = fix.LatitudeRadians();
    if (fix.errorFlag != 0) {
        pos.errorFlag = -1;
        return false;
    }
    const double lam = fix.LongitudeRadians();
    if (fix.errorFlag != 0) {
        pos.errorFlag = -1;
        return false;
    }
    return ConvertGeodetic(pos, sourceDatum, targetDatum, zone, phi, lam, fix.height(), X, Y, h);
}

bool YieldsPosition(const GpsFix& fix) {
    return fix.errorFlag == 0 && (fix.kind == kKindGGK || fix.kind == kKindGGA) &&
           fix.quality >= 1 && fix.coordinatesValid && fix.heightValid;
}

FixPosition ConvertFix(TPos& pos, TNMEA& fix, int sourceDatum, int targetDatum, int zone) {
    FixPosition out;
    // Judged on the fix as decoded: the radian conversion below resets errorFlag.
    if (!YieldsPosition(fix)) return out;
    double X = 0, Y = 0, h = 0;
    if (!GpsFixToPlane(pos, fix, sourceDatum, targetDatum, zone, X, Y, h)) return out;
    if (!Finite(X) || !Finite(Y) || !Finite(h)) return out;
    out.valid = true;
    out.X = X;
    out.Y = Y;
    out.h = h;
    return out;
}

}  // namespace tidrun
