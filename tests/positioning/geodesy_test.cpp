#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>

#include <cmath>
#include <limits>
#include <numbers>

#include "positioning/geodesy.h"
#include "tests/positioning/test_util.h"

namespace tidrun {
namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

TEST(Ellipsoids, ConstantsAreTheWorldAndBesselNumbers) {
    // A GRS80 flattening (298.257222101) moves results by only 2 µm, so check it here.
    const TElip& w = WorldEllipsoid();
    EXPECT_EQ(w.a, 6378137.0);
    EXPECT_EQ(w.f, 1.0 / 298.257223563);
    EXPECT_NEAR(w.b, 6356752.314245, 1e-6);
    EXPECT_NEAR(w.e2, 0.00669437999014, 1e-14);
    EXPECT_NEAR(w.ep2, 0.00673949674228, 1e-14);
    EXPECT_NEAR(w.n, 0.00167922038638, 1e-14);
    const TElip& b = BesselEllipsoid();
    EXPECT_EQ(b.a, 6377397.155);
    EXPECT_EQ(b.f, 1.0 / 299.1528128);
    EXPECT_NEAR(b.b, 6356078.962818, 1e-6);
    EXPECT_NEAR(b.e2, 0.0066743722318, 1e-13);
    // The quarter meridian of the world ellipsoid.
    EXPECT_NEAR(MeridianArc(w, std::numbers::pi / 2), 10001965.7293, 1e-3);
    EXPECT_NEAR(RadiusPrimeVertical(w, 0.0), w.a, 1e-9);
}

TEST(Geodesy, AgreesWithProjVectors) {
    QFile f(test::kGeodesyData + QStringLiteral("plane_vectors_sample.tsv"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    f.readLine();  // header
    int rows = 0;
    double worst = 0;
    while (!f.atEnd()) {
        const QStringList c = QString::fromLatin1(f.readLine()).trimmed().split(QLatin1Char('\t'));
        if (c.size() < 9) continue;
        const int zone = c[0].toInt(), src = c[1].toInt(), dst = c[2].toInt();
        TPos pos;
        double X = 0, Y = 0, h = 0;
        ASSERT_TRUE(ConvertGeodetic(pos, src, dst, zone - 1, c[3].toDouble() * kDeg,
                                    c[4].toDouble() * kDeg, c[5].toDouble(), X, Y, h));
        EXPECT_NEAR(X, c[6].toDouble(), 1e-4) << "row " << rows;
        EXPECT_NEAR(Y, c[7].toDouble(), 1e-4) << "row " << rows;
        EXPECT_NEAR(h, c[8].toDouble(), 1e-4) << "row " << rows;
        // The three public operations in a row give the same result.
        TPos step;
        double phi = 0, lam = 0, hT = 0, X3 = 0, Y3 = 0, gamma = 0;
        GeodeticToGeocentric(step, src, c[3].toDouble() * kDeg, c[4].toDouble() * kDeg,
                             c[5].toDouble());
        GeocentricToGeodetic(step, dst, phi, lam, hT);
        GeodeticToPlane(step, zone - 1, dst, phi, lam, X3, Y3, gamma);
        EXPECT_EQ(step.errorFlag, 0);
        EXPECT_NEAR(X3, X, 1e-8);
        EXPECT_NEAR(Y3, Y, 1e-8);
        EXPECT_NEAR(hT, h, 1e-8);
        worst = std::max({worst, std::fabs(X - c[6].toDouble()), std::fabs(Y - c[7].toDouble()),
                          std::fabs(h - c[8].toDouble())});
        ++rows;
    }
    EXPECT_EQ(rows, 309);
    RecordProperty("worst_difference_m", QString::number(worst).toStdString());
}

TEST(Geodesy, RoundTripAndDatumShift) {
    TPos pos;
    const double phi = 35.6 * kDeg, lam = 139.7 * kDeg, h = 42.0;
    GeodeticToGeocentric(pos, 0, phi, lam, h);
    ASSERT_EQ(pos.errorFlag, 0);
    const TPos world = pos;
    double p2 = 0, l2 = 0, h2 = 0;
    GeocentricToGeodetic(pos, 0, p2, l2, h2);
    EXPECT_NEAR(p2, phi, 1e-11);  // well under a millimetre
    EXPECT_NEAR(l2, lam, 1e-11);
    EXPECT_NEAR(h2, h, 1e-4);

    // The geocentric position on a Tokyo datum is the world one plus the datum's shift, in
    // both directions. The Bessel geocentric position is computed here from the results.
    const struct {
        int datum;
        double dX, dY, dZ;
    } shifts[] = {{1, 147.54, -507.26, -680.47}, {2, 146.43, -507.89, -681.46}};
    const TElip& bessel = BesselEllipsoid();
    for (const auto& d : shifts) {
        double p = 0, l = 0, hh = 0;
        GeocentricToGeodetic(pos, d.datum, p, l, hh);
        ASSERT_EQ(pos.errorFlag, 0);
        const double N = RadiusPrimeVertical(bessel, p);
        const double X = (N + hh) * std::cos(p) * std::cos(l);
        const double Y = (N + hh) * std::cos(p) * std::sin(l);
        const double Z = (N * (1 - bessel.e2) + hh) * std::sin(p);
        EXPECT_NEAR(X - world.X, d.dX, 1e-6) << d.datum;
        EXPECT_NEAR(Y - world.Y, d.dY, 1e-6) << d.datum;
        EXPECT_NEAR(Z - world.Z, d.dZ, 1e-6) << d.datum;
        TPos back;
        GeodeticToGeocentric(back, d.datum, p, l, hh);
        EXPECT_NEAR(back.X, X - d.dX, 1e-6) << d.datum;
        EXPECT_NEAR(back.Y, Y - d.dY, 1e-6) << d.datum;
        EXPECT_NEAR(back.Z, Z - d.dZ, 1e-6) << d.datum;
    }
}

// From a Tokyo datum to the world datum and between the two Tokyo datums. Reference values
// from PROJ 9.1.1 (Debian proj-bin), one cct pipeline per row:
//   echo "lon lat h" | cct -d 6 +proj=pipeline
//     +step +proj=unitconvert +xy_in=deg +z_in=m +xy_out=rad +z_out=m
//     +step +proj=cart +a=<src a> +rf=<src 1/f>   +step +proj=helmert +x,y,z=<src towgs84>
//     +step +inv +proj=helmert +x,y,z=<dst towgs84>   +step +inv +proj=cart +a=<dst> +rf=<dst>
//     +step +proj=tmerc +lat_0=<zone> +lon_0=<zone> +k=0.9999 +x_0=0 +y_0=0 +a=<dst> +rf=<dst>
// with towgs84 the negated datum shift (datum 1: -147.54,507.26,680.47; datum 2:
// -146.43,507.89,681.46); X and Y agree with cs2cs between the matching CRS strings.
TEST(Geodesy, FromTheTokyoDatumsAgreesWithProj) {
    const struct {
        int zone, src, dst;
        double lat, lon, h, X, Y, hOut;
    } rows[] = {
        {9, 1, 0, 35.6, 139.7, 40.0, -44009.465862, -12371.959949, 77.036628},
        {2, 1, 0, 33.5, 130.5, 10.0, 55924.589001, -46672.338715, 67.507456},
        {12, 1, 0, 43.1, 141.3, 25.0, -99273.835653, -77631.251984, 96.757061},
        {9, 2, 0, 35.6, 139.7, 40.0, -44008.403798, -12373.156787, 77.256025},
        {2, 2, 0, 33.5, 130.5, 10.0, 55925.553948, -46673.587167, 67.852311},
        {12, 2, 0, 43.1, 141.3, 25.0, -99272.776722, -77632.425688, 97.088692},
        {9, 1, 2, 35.6, 139.7, 40.0, -44365.850937, -12078.396513, 39.780718},
        {2, 1, 2, 33.5, 130.5, 10.0, 55554.001006, -46450.078853, 9.655243},
        {12, 1, 2, 43.1, 141.3, 25.0, -99535.149547, -77320.179051, 24.668469},
        {9, 2, 1, 35.6, 139.7, 40.0, -44363.726773, -12080.790223, 40.219282},
        {2, 2, 1, 33.5, 130.5, 10.0, 55555.930957, -46452.575804, 10.344758},
        {12, 2, 1, 43.1, 141.3, 25.0, -99533.031635, -77322.526516, 25.331531},
    };
    for (const auto& r : rows) {
        TPos pos;
        double X = 0, Y = 0, h = 0;
        ASSERT_TRUE(ConvertGeodetic(pos, r.src, r.dst, r.zone - 1, r.lat * kDeg, r.lon * kDeg, r.h,
                                    X, Y, h));
        EXPECT_NEAR(X, r.X, 1e-4) << r.src << "->" << r.dst << " zone " << r.zone;
        EXPECT_NEAR(Y, r.Y, 1e-4) << r.src << "->" << r.dst << " zone " << r.zone;
        EXPECT_NEAR(h, r.hOut, 1e-4) << r.src << "->" << r.dst << " zone " << r.zone;
    }
}

TEST(Geodesy, SignsAroundTheZoneOrigin) {
    TPos pos;
    double X = 0, Y = 0, g = 0;
    const ZoneOrigin& o = ZoneAt(8);
    GeodeticToPlane(pos, 8, 0, o.latDeg * kDeg, o.lonDeg * kDeg, X, Y, g);
    EXPECT_NEAR(X, 0, 1e-9);
    EXPECT_NEAR(Y, 0, 1e-9);
    EXPECT_NEAR(g, 0, 1e-15);
    GeodeticToPlane(pos, 8, 0, 35.5 * kDeg, 139.5 * kDeg, X, Y, g);
    EXPECT_LT(X, 0);
    EXPECT_LT(Y, 0);
    EXPECT_LT(g, 0);
}

TEST(Geodesy, ErrorFlagForResultsThatAreNotFiniteOrBadIndexes) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    TPos pos;
    double a = 0, b = 0, c = 0;
    GeodeticToGeocentric(pos, 0, nan, 0, 0);
    EXPECT_EQ(pos.errorFlag, -1);
    GeodeticToGeocentric(pos, 0, 0.6, 2.4, 0);
    EXPECT_EQ(pos.errorFlag, 0);
    pos.X = inf;
    GeocentricToGeodetic(pos, 1, a, b, c);
    EXPECT_EQ(pos.errorFlag, -1);
    GeodeticToPlane(pos, 8, 0, 0.6, inf, a, b, c);
    EXPECT_EQ(pos.errorFlag, -1);
    GeodeticToPlane(pos, 8, 0, 0.6, 2.4, a, b, c);
    EXPECT_EQ(pos.errorFlag, 0);
    GeodeticToPlane(pos, 19, 0, 0.6, 2.4, a, b, c);
    EXPECT_EQ(pos.errorFlag, -1);
    GeodeticToGeocentric(pos, 3, 0.6, 2.4, 0);
    EXPECT_EQ(pos.errorFlag, -1);
    GeocentricToGeodetic(pos, -1, a, b, c);
    EXPECT_EQ(pos.errorFlag, -1);
    // The flag of a failed step survives to the caller of the chain.
    EXPECT_FALSE(ConvertGeodetic(pos, 0, 1, 8, nan, 2.4, 0, a, b, c));
    EXPECT_EQ(pos.errorFlag, -1);
}

}  // namespace
}  // namespace tidrun
