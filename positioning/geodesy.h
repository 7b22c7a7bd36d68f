// Geodetic conversion: ellipsoids, the datum and zone tables, and the conversion of a
// GPS position to Japanese plane rectangular coordinates.
#pragma once

#include <array>
#include <cstdint>

namespace tidrun {

struct TElip {
    TElip(double inverseFlattening, double semiMajor);
    double a, f, b, e2, ep2, A0, A1, A2, A3, A4, n;
};

const TElip& WorldEllipsoid();
const TElip& BesselEllipsoid();

struct Datum {
    const TElip* elip;
    double dX, dY, dZ;  // world geocentric -> this datum's geocentric
    int hourOffset;     // for local time
};
constexpr int kDatumCount = 3;
const Datum& DatumAt(int index);  // index 0..2

struct ZoneOrigin {
    double latDeg, lonDeg;
};
constexpr int kZoneCount = 19;
const ZoneOrigin& ZoneAt(int index);  // index 0..18 (zone 1..19)
constexpr double kScaleM0 = 0.9999;

double RadiusPrimeVertical(const TElip& e, double phi);
double MeridianArc(const TElip& e, double phi);

// Geocentric position in the world frame with an error flag (0 ok, -1 failed).
struct TPos {
    double X = 0, Y = 0, Z = 0;
    std::int32_t errorFlag = 0;
};

void GeodeticToGeocentric(TPos& pos, int datum, double phi, double lam, double h);
void GeocentricToGeodetic(TPos& pos, int datum, double& phi, double& lam, double& h);
void GeodeticToPlane(TPos& pos, int zone, int datum, double phi, double lam, double& X, double& Y,
                     double& gamma);

// Geodetic (radians, metres) on the source datum to plane X, Y and the target-datum height:
// the three operations in a row. False (pos.errorFlag -1) when a step failed.
bool ConvertGeodetic(TPos& pos, int sourceDatum, int targetDatum, int zone, double phi, double lam,
                     double h, double& X, double& Y, double& hOut);

class TNMEA;
struct GpsFix;
// Converts the decoded fix: source datum -> target datum -> plane zone. Returns false
// (and pos.errorFlag -1) when a step failed or a result is not finite.
bool GpsFixToPlane(TPos& pos, TNMEA& fix, int sourceDatum, int targetDatum, int zone, double& X,
                   double& Y, double& h);

struct FixPosition {
    bool valid = false;  // the sentence yields a position
    double X = 0, Y = 0, h = 0;
};
// The position rule, evaluated on the fix as Decode left it (errorFlag 0, kind GGK or GGA,
// quality >= 1, coordinates and height that are numbers in their ranges), then the
// conversion (X, Y, h finite). Used by the receiver and the tool.
bool YieldsPosition(const GpsFix& fix);  // the rule alone
FixPosition ConvertFix(TPos& pos, TNMEA& fix, int sourceDatum, int targetDatum, int zone);

}  // namespace tidrun
