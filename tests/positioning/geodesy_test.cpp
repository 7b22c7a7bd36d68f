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

    // Going to datum 1 and back to world geocentric: the shift cancels exactly.
    GeocentricToGeodetic(pos, 1, p2, l2, h2);
    EXPECT_GT(std::fabs(p2 - phi) / kDeg * 3600, 5.0);  // Tokyo datum is some seconds off
    TPos back;
    GeodeticToGeocentric(back, 1, p2, l2, h2);
    EXPECT_NEAR(back.X, world.X, 1e-3);
    EXPECT_NEAR(back.Y, world.Y, 1e-3);
    EXPECT_NEAR(back.Z, world.Z, 1e-3);
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
