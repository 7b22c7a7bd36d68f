#include <gtest/gtest.h>

#include <QDate>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "positioning/geodesy.h"
#include "positioning/nmea.h"
#include "tests/positioning/test_util.h"

namespace tidrun {
namespace {

using test::Sentence;

constexpr char kGga[] = "GPGGA,123519.78,3530.1234,S,13950.5000,W,2,08,0.9,545.4,M,46.9,M,3.5,0123";

TEST(NmeaDecode, GgaFillsItsFieldsAndIgnoresHemispheres) {
    TNMEA n;
    n.Decode(Sentence("GNRMC,123519.00,A,3530.1,N,13950.5,E,5.5,54.7,191194,,"));
    n.Decode(Sentence(kGga));
    EXPECT_TRUE(n.ChecksumMatched());
    EXPECT_EQ(n.kind, kKindGGA);
    EXPECT_EQ(n.errorFlag, 0);
    EXPECT_EQ(n.timeMs, ((12 * 60 + 35) * 60 + 19) * 1000 + 780);  // .78 is 780 ms
    EXPECT_DOUBLE_EQ(n.latitude, 3530.1234);                       // "S" and "W" are not read
    EXPECT_DOUBLE_EQ(n.longitude, 13950.5);
    EXPECT_EQ(n.quality, 2);
    EXPECT_EQ(n.satellites, 8);
    EXPECT_DOUBLE_EQ(n.dop, 0.9);
    EXPECT_DOUBLE_EQ(n.altitude, 545.4);
    EXPECT_DOUBLE_EQ(n.geoidSeparation, 46.9);
    EXPECT_DOUBLE_EQ(n.dgpsAge, 3.5);
    EXPECT_EQ(n.stationId, 123);
    EXPECT_DOUBLE_EQ(n.speed, 5.5);  // from the RMC before, untouched by GGA
    EXPECT_DOUBLE_EQ(n.course, 54.7);
    EXPECT_EQ(n.time(), QTime(12, 35, 19, 780));
}

TEST(NmeaDecode, ChecksumFailureKeepsEverythingThePreviousSentenceLeft) {
    TNMEA n;
    n.Decode(Sentence(kGga));
    ASSERT_EQ(n.errorFlag, 0);

    std::string bad = Sentence(kGga);
    bad[20] = '9';  // one data character changed, checksum as before
    n.Decode(bad);
    EXPECT_EQ(n.errorFlag, -1);
    EXPECT_FALSE(n.ChecksumMatched());
    EXPECT_EQ(n.kind, kKindGGA);
    EXPECT_DOUBLE_EQ(n.latitude, 3530.1234);
    EXPECT_EQ(n.quality, 2);

    // Without "*" the whole text including the CR is summed and compared with the last field.
    n.Decode("$GPGGA,123519.78,3600.0,N,13950.0,E,1,08,0.9,5.4,M,46.9,M,,\r");
    EXPECT_EQ(n.errorFlag, -1);
    EXPECT_DOUBLE_EQ(n.latitude, 3530.1234);

    // A lower-case checksum is as good as an upper-case one.
    std::string lower = Sentence("GPGGA,000001.00,3600.0,N,13950.0,E,1,08,0.9,5.4,M,46.9,M,,");
    const std::size_t star = lower.find('*');
    ASSERT_TRUE(std::isalpha(static_cast<unsigned char>(lower[star + 1])) ||
                std::isalpha(static_cast<unsigned char>(lower[star + 2])));
    for (std::size_t i = star; i < lower.size(); ++i)
        lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[i])));
    n.Decode(lower);
    EXPECT_EQ(n.errorFlag, 0);
    EXPECT_DOUBLE_EQ(n.latitude, 3600.0);
}

TEST(NmeaDecode, RmcChangesOnlySpeedAndCourseAndOtherTypesChangeNothing) {
    TNMEA n;
    n.Decode(Sentence(kGga));
    n.Decode(Sentence("GNRMC,225446.33,A,4916.45,N,12311.12,W,000.5,054.7,191194,020.3,E,A"));
    EXPECT_EQ(n.kind, kKindRMC);
    EXPECT_EQ(n.errorFlag, 0);
    EXPECT_DOUBLE_EQ(n.speed, 0.5);
    EXPECT_DOUBLE_EQ(n.course, 54.7);
    EXPECT_DOUBLE_EQ(n.latitude, 3530.1234);
    EXPECT_EQ(n.timeMs, 45319780);

    n.Decode(Sentence("GPVTG,054.7,T,034.4,M,005.5,N,010.2,K"));
    EXPECT_EQ(n.kind, kKindOther);
    EXPECT_EQ(n.errorFlag, -1);
    EXPECT_TRUE(n.ChecksumMatched());
    EXPECT_DOUBLE_EQ(n.speed, 0.5);
    EXPECT_DOUBLE_EQ(n.altitude, 545.4);
}

TEST(NmeaDecode, GgkSentence) {
    TNMEA n;
    n.Decode(Sentence(kGga));
    n.Decode(Sentence(
        "PTNL,GGK,102939.00,051910,5000.97323841,N,00827.62010742,E,5,09,1.9,EHT150.790,M"));
    EXPECT_EQ(n.kind, kKindGGK);
    EXPECT_EQ(n.errorFlag, 0);
    EXPECT_EQ(n.time(), QTime(10, 29, 39));
    EXPECT_DOUBLE_EQ(n.latitude, 5000.97323841);
    EXPECT_DOUBLE_EQ(n.longitude, 827.62010742);
    EXPECT_EQ(n.quality, 5);
    EXPECT_EQ(n.satellites, 9);
    EXPECT_DOUBLE_EQ(n.dop, 1.9);
    EXPECT_DOUBLE_EQ(n.altitude, 150.79);  // ellipsoidal height after "EHT"
    EXPECT_EQ(n.geoidSeparation, 0.0);     // GGA values of the sentence before are cleared
    EXPECT_EQ(n.dgpsAge, 0.0);
    EXPECT_EQ(n.stationId, 0);

    n.Decode(
        Sentence("PTNL,GGK,172814.00,071296,3723.46587704,N,12202.26957864,W,3,06,1.7,"
                 "EHT-6.777,M"));
    EXPECT_DOUBLE_EQ(n.altitude, -6.777);

    // GGK_SYNC is another sentence; an impossible GGK time stops the sentence there.
    n.Decode(Sentence("PTNL,GGK_SYNC,172814.00,071296,3723.4,N,12202.2,W,3,06,1.7,EHT1.0,M"));
    EXPECT_EQ(n.kind, kKindOther);
    n.Decode(Sentence("PTNL,GGK,256000.00,071296,1111.1,N,2222.2,W,3,06,1.7,EHT1.0,M"));
    EXPECT_EQ(n.kind, kKindGGK);
    EXPECT_EQ(n.errorFlag, -1);
    EXPECT_DOUBLE_EQ(n.latitude, 3723.46587704);
    EXPECT_EQ(n.time(), QTime(17, 28, 14));

    // The empty form has an empty time, which GGK reads as midnight.
    n.Decode("$PTNL,GGK,,,,,,,0,00,,,M*30\r");
    EXPECT_EQ(n.errorFlag, 0);
    EXPECT_EQ(n.quality, 0);
    EXPECT_EQ(n.timeMs, 0);
    EXPECT_EQ(n.altitude, 0.0);
}

TEST(NmeaTime, HundredthsAreTheFirstTwoDecimalsAsWritten) {
    const struct {
        const char* field;
        std::int32_t ms;
    } cases[] = {{"123519.78", 45319780}, {"000000.29", 290},      {"151605.053", 54965050},
                 {"222449", 80689000},    {"030129.0", 10889000},  {"235959.999", 86399990},
                 {"000000.57", 570},      {"081433.591", 29673590}};
    for (const auto& c : cases) {
        std::int32_t ms = -1;
        EXPECT_TRUE(ParseNmeaTime(c.field, ms)) << c.field;
        EXPECT_EQ(ms, c.ms) << c.field;
    }
}

TEST(NmeaTime, ImpossibleOrEmptyGgaTimeGivesMidnightAndErrorButDecodingGoesOn) {
    for (const char* t : {"246000", "235960", "126000", "", "-000001.00", "1e300"}) {
        TNMEA n;
        n.Decode(Sentence(std::string("GPGGA,") + t + ",3530.0,N,13950.0,E,1,08,0.9,5.4,M,1,M,,"));
        EXPECT_EQ(n.kind, kKindGGA) << t;
        EXPECT_EQ(n.errorFlag, -1) << t;
        EXPECT_EQ(n.timeMs, 0) << t;
        EXPECT_DOUBLE_EQ(n.latitude, 3530.0) << t;
        EXPECT_EQ(n.quality, 1) << t;
        TPos pos;
        EXPECT_FALSE(ConvertFix(pos, n, 0, 0, 8).valid) << t;
    }
}

// An unreadable time is 0 as a whole: no hundredths taken from the text behind it.
TEST(NmeaTime, UnreadableNumberGivesMidnightWithoutHundredths) {
    for (const char* t : {"abc.99", "064651.5 x", "12:35:19.78", "0x10.50"}) {
        std::int32_t ms = -1;
        ParseNmeaTime(t, ms);
        EXPECT_EQ(ms, 0) << t;
    }
    // Through the decoder: a quoted field may hold a blank.
    TNMEA n;
    n.Decode(Sentence("GPGGA,\"064651.5 x\",3530.0,N,13950.0,E,1,08,0.9,5.4,M,1,M,,"));
    EXPECT_EQ(n.kind, kKindGGA);
    EXPECT_EQ(n.timeMs, 0);
}

TEST(NmeaFields, CommaTextSplitting) {
    TNMEA n;
    n.Decode("$GPTXT,01,01,01,ANTENNA OK*35\r");  // a blank splits a field
    ASSERT_EQ(n.FieldCount(), 7);
    EXPECT_EQ(n.Field(4), "ANTENNA");
    EXPECT_EQ(n.Field(5), "OK");
    EXPECT_EQ(n.Field(6), "35");
    EXPECT_EQ(n.Field(7), "");  // beyond the end: empty
    EXPECT_EQ(n.Field(-1), "");

    n.Decode(" \t$PX,,\"a,b\",\"say \"\"hi\"\"\" , x ,*00\r");
    ASSERT_EQ(n.FieldCount(), 7);  // the "*" became a comma: one more empty field
    EXPECT_EQ(n.Field(0), "$PX");
    EXPECT_EQ(n.Field(1), "");
    EXPECT_EQ(n.Field(2), "a,b");
    EXPECT_EQ(n.Field(3), "say \"hi\"");
    EXPECT_EQ(n.Field(4), "x");
    EXPECT_EQ(n.Field(5), "");
    EXPECT_EQ(n.Field(6), "00");

    n.Decode("a,");  // a comma closing the text gives one empty field
    ASSERT_EQ(n.FieldCount(), 2);
    EXPECT_EQ(n.Field(1), "");

    // Bytes of 128 and above belong to the field (unsigned comparison).
    n.Decode(Sentence("GPXYZ,\xE9t\xE9,\x80"));
    ASSERT_EQ(n.FieldCount(), 4);
    EXPECT_EQ(n.Field(1), "\xE9t\xE9");
    EXPECT_TRUE(n.ChecksumMatched());

    // The text ends at a NUL byte.
    n.Decode(std::string_view("$GPGGA,1\0,2,3*00\r", 17));
    EXPECT_EQ(n.FieldCount(), 2);
    EXPECT_EQ(n.errorFlag, -1);
}

TEST(NmeaFields, NumberReading) {
    EXPECT_EQ(NmeaReal(""), 0.0);
    EXPECT_EQ(NmeaReal("abc"), 0.0);
    EXPECT_EQ(NmeaReal("1.5x"), 0.0);
    EXPECT_EQ(NmeaReal("inf"), 0.0);
    EXPECT_EQ(NmeaReal("nan"), 0.0);
    EXPECT_EQ(NmeaReal("1e999"), 0.0);
    EXPECT_EQ(NmeaReal("+-1"), 0.0);
    EXPECT_DOUBLE_EQ(NmeaReal(" -6.777 "), -6.777);
    EXPECT_DOUBLE_EQ(NmeaReal("+2.5"), 2.5);
    EXPECT_DOUBLE_EQ(NmeaReal(".5"), 0.5);
    EXPECT_DOUBLE_EQ(NmeaReal("1e3"), 1000.0);
    EXPECT_EQ(NmeaInteger(""), 0);
    EXPECT_EQ(NmeaInteger("08"), 8);
    EXPECT_EQ(NmeaInteger("-3"), -3);
    EXPECT_EQ(NmeaInteger("+4"), 4);
    EXPECT_EQ(NmeaInteger("1.5"), 0);
    EXPECT_EQ(NmeaInteger("99999999999"), 0);

    TNMEA n;  // an empty altitude field reads as 0
    n.Decode(Sentence("GPGGA,123519.00,3530.0,N,13950.0,E,1,08,0.9,,M,46.9,M,,"));
    EXPECT_EQ(n.errorFlag, 0);
    EXPECT_EQ(n.altitude, 0.0);
}

TEST(NmeaChecksum, ExclusiveOrOfUnsignedBytesUpToTheStar) {
    EXPECT_EQ(TNMEA::Checksum(""), 0);
    EXPECT_EQ(TNMEA::Checksum("$"), 0);
    EXPECT_EQ(TNMEA::Checksum("$\xFF\x01*\x55"), 0xFE);
    EXPECT_EQ(TNMEA::Checksum("$AB\r"), 'A' ^ 'B' ^ '\r');
    EXPECT_EQ(TNMEA::Checksum("$GPTXT,01,01,01,ANTENNA OK*35\r"), 0x35);
}

TEST(NmeaDecode, ShortAndOddInputsAreHandled) {
    TNMEA n;
    for (std::string_view s : {"", "$", "*", "$*", "\r", "$GPGGA*", ",,,,", "\"", "$\"abc",
                               "$GPGGA,*56\r", "$PTNL,GGK*"}) {
        n.Decode(s);
        EXPECT_EQ(n.errorFlag, -1) << s;
    }
    // A GGA cut short: the fields after its checksum read as empty.
    n.Decode(Sentence(kGga));
    n.Decode(Sentence("GPGGA,030130.00,3600.0,N,13950.0,E,1,08"));
    EXPECT_EQ(n.kind, kKindGGA);
    EXPECT_EQ(n.errorFlag, 0);
    EXPECT_EQ(n.timeMs, 10890000);
    EXPECT_EQ(n.satellites, 8);
    EXPECT_EQ(n.altitude, 0.0);
    EXPECT_EQ(n.geoidSeparation, 0.0);
    EXPECT_EQ(n.stationId, 0);
}

TEST(NmeaAngles, RadiansAndTheirErrorFlag) {
    TNMEA n;
    n.Decode(Sentence("GPGGA,123519.00,3530.1234,N,13950.0000,E,1,08,0.9,5.4,M,46.9,M,,"));
    EXPECT_NEAR(n.LatitudeRadians(), (35 + 30.1234 / 60) * std::numbers::pi / 180, 1e-15);
    EXPECT_NEAR(n.LatitudeRadians(), 0.61962, 1e-5);
    EXPECT_NEAR(n.LongitudeRadians(), (139 + 50.0 / 60) * std::numbers::pi / 180, 1e-15);

    n.Decode("$GPGGA,bad*00\r");
    ASSERT_EQ(n.errorFlag, -1);
    n.LatitudeRadians();
    EXPECT_EQ(n.errorFlag, 0);  // reset before converting

    n.latitude = 1e19;
    EXPECT_EQ(n.LatitudeRadians(), 0.0);
    EXPECT_EQ(n.errorFlag, -1);
    EXPECT_NEAR(NmeaAngleToRadians(8960.0), std::numbers::pi / 2, 1e-15);  // MTK's 89°60'
}

// The date goes with the time: 20:15 UTC on 9 December is 05:15 on 10 December in Tokyo.
TEST(NmeaLocalTime, HourOffsetCarriesTheDate) {
    TNMEA n;
    n.Decode(Sentence("GPGGA,201500.50,3530.0,N,13950.0,E,1,08,0.9,5.4,M,46.9,M,,"));
    const qint64 now = QDateTime(QDate(2026, 12, 9), QTime(20, 15, 1), Qt::UTC).toMSecsSinceEpoch();
    for (const int datum : {1, 2}) {
        const QDateTime tokyo = n.LocalTime(datum, now);
        EXPECT_EQ(tokyo.date(), QDate(2026, 12, 10));
        EXPECT_EQ(tokyo.time(), QTime(5, 15, 0, 500));
        EXPECT_EQ(tokyo.toMSecsSinceEpoch(), now - 500);
    }
    EXPECT_EQ(n.LocalTime(0, now).date(), QDate(2026, 12, 9));
    EXPECT_EQ(n.LocalTime(0, now).time(), QTime(20, 15, 0, 500));
}

TEST(PositionRule, OnlyACleanGgaOrGgkWithAFixGivesAPosition) {
    TNMEA n;
    TPos pos;
    n.Decode(Sentence("GPGGA,123519.00,3600.0000,N,13950.0000,E,1,08,0.9,30.0,M,10.0,M,,"));
    FixPosition p = ConvertFix(pos, n, 0, 0, 8);
    ASSERT_TRUE(p.valid);
    EXPECT_NEAR(p.X, 0.0, 1e-6);  // the origin of zone 9
    EXPECT_NEAR(p.Y, 0.0, 1e-3);
    EXPECT_NEAR(p.h, 40.0, 1e-6);  // altitude + geoid separation

    // A checksum failure must not replay the previous fix as a new position.
    std::string bad = Sentence("GPGGA,123520.00,3600.0000,N,13950.0000,E,1,08,0.9,30.0,M,10.0,M,,");
    bad[10] = '7';
    n.Decode(bad);
    EXPECT_EQ(n.kind, kKindGGA);
    EXPECT_FALSE(ConvertFix(pos, n, 0, 0, 8).valid);

    // No fix: quality 0 with empty or dummy position.
    n.Decode(Sentence("GPGGA,123521.00,,,,,0,00,,,M,,M,,"));
    EXPECT_FALSE(ConvertFix(pos, n, 0, 0, 8).valid);
    n.Decode(Sentence("GPGGA,235946.005,8960.000000,N,00000.000000,E,0,0,,137.000,M,13.000,M,,"));
    EXPECT_FALSE(ConvertFix(pos, n, 0, 0, 8).valid);

    n.Decode(Sentence("GPGGA,123521.00,3600.0000,N,13950.0000,E,1,08,0.9,30.0,M,10.0,M,,"));
    n.Decode(Sentence("GPRMC,123521.00,A,3600.0,N,13950.0,E,0.0,0.0,191194,,"));
    EXPECT_FALSE(ConvertFix(pos, n, 0, 0, 8).valid);  // RMC carries no position

    n.Decode(Sentence("PTNL,GGK,102939.00,051910,3600.0000,N,13950.0000,E,3,09,1.9,EHT50.0,M"));
    p = ConvertFix(pos, n, 0, 1, 8);
    ASSERT_TRUE(p.valid);
    TPos ref;
    double X = 0, Y = 0, h = 0;
    ASSERT_TRUE(ConvertGeodetic(ref, 0, 1, 8, 36.0 * std::numbers::pi / 180,
                                (139 + 50.0 / 60) * std::numbers::pi / 180, 50.0, X, Y, h));
    EXPECT_DOUBLE_EQ(p.X, X);
    EXPECT_DOUBLE_EQ(p.Y, Y);
    EXPECT_DOUBLE_EQ(p.h, h);
}

// Coordinates that are missing, unreadable or off the earth never make a position, whatever
// the quality says; the decoder still shows what was sent.
TEST(PositionRule, MissingOrImpossibleCoordinatesAreNoPosition) {
    const struct {
        const char *lat, *lon;
        bool position;
        double latitude, longitude;  // as the decoder keeps them
    } cases[] = {
        {"3600.0000", "13950.0000", true, 3600.0, 13950.0},
        {"", "13950.0000", false, 0.0, 13950.0},
        {"3600.0000", "", false, 3600.0, 0.0},
        {"", "", false, 0.0, 0.0},
        {"36OO.0000", "13950.0000", false, 0.0, 13950.0},
        {"3600.0000", "1395O.0000", false, 3600.0, 0.0},
        {"9000.0000", "18000.0000", true, 9000.0, 18000.0},  // the poles and the date line
        {"9000.0001", "13950.0000", false, 9000.0001, 13950.0},
        {"9100.0000", "13950.0000", false, 9100.0, 13950.0},
        {"3600.0000", "18000.0001", false, 3600.0, 18000.0001},
        {"3600.0000", "-18100.0", false, 3600.0, -18100.0},
        {"-3527.339562", "13957.010617", false, -3527.339562, 13957.010617},  // a sign
        {"3527.339562", "-13957.010617", false, 3527.339562, -13957.010617},
        {"-0000.0000", "13950.0000", false, 0.0, 13950.0},
        {"3575.000000", "13950.0000", false, 3575.0, 13950.0},  // 75 minutes
        {"3600.0000", "13960.0000", false, 3600.0, 13960.0},
        {"8960.0000", "00000.0000", false, 8960.0, 0.0},  // MTK's dummy 89°60'
        {"3559.9999", "13959.9999", true, 3559.9999, 13959.9999},
    };
    for (const auto& c : cases) {
        for (const bool ggk : {false, true}) {
            const std::string body = ggk ? std::string("PTNL,GGK,102939.00,051910,") + c.lat +
                                               ",N," + c.lon + ",E,3,09,1.9,EHT50.0,M"
                                         : std::string("GPGGA,123519.00,") + c.lat + ",N," + c.lon +
                                               ",E,1,08,0.9,30.0,M,10.0,M,,";
            TNMEA n;
            n.Decode(Sentence("GPGGA,123518.00,3500.0,N,13900.0,E,1,08,0.9,30.0,M,10.0,M,,"));
            n.Decode(Sentence(body));
            const std::string what = body;
            EXPECT_EQ(n.errorFlag, 0) << what;
            EXPECT_DOUBLE_EQ(n.latitude, c.latitude) << what;
            EXPECT_DOUBLE_EQ(n.longitude, c.longitude) << what;
            TPos pos;
            EXPECT_EQ(ConvertFix(pos, n, 0, 0, 8).valid, c.position) << what;
        }
    }
}

// A height that is no number makes no position (it would be recorded as 0); the decoder
// keeps what it read. A GGA may leave the geoid separation empty.
TEST(PositionRule, HeightThatIsNoNumberIsNoPosition) {
    const struct {
        const char* body;
        bool position;
        double altitude, geoidSeparation;
    } cases[] = {
        {"GPGGA,123519.00,3600.0,N,13950.0,E,1,08,0.9,30.0,M,10.0,M,,", true, 30, 10},
        {"GPGGA,123519.00,3600.0,N,13950.0,E,1,08,0.9,30.0,M,,M,,", true, 30, 0},
        {"GPGGA,123519.00,3600.0,N,13950.0,E,1,08,0.9,nan,M,10.0,M,,", false, 0, 10},
        {"GPGGA,123519.00,3600.0,N,13950.0,E,1,08,0.9,,M,10.0,M,,", false, 0, 10},
        {"GPGGA,123519.00,3600.0,N,13950.0,E,1,08,0.9,30.0,M,nan,M,,", false, 30, 0},
        {"GPGGA,123519.00,3600.0,N,13950.0,E,1,08,0.9,30.0,M,1O.0,M,,", false, 30, 0},
        {"PTNL,GGK,102939.00,051910,3600.0,N,13950.0,E,3,09,1.9,EHT-6.777,M", true, -6.777, 0},
        {"PTNL,GGK,102939.00,051910,3600.0,N,13950.0,E,3,09,1.9,EHTnan,M", false, 0, 0},
        {"PTNL,GGK,102939.00,051910,3600.0,N,13950.0,E,3,09,1.9,EHT,M", false, 0, 0},
        {"PTNL,GGK,102939.00,051910,3600.0,N,13950.0,E,3,09,1.9,,M", false, 0, 0},
    };
    for (const auto& c : cases) {
        TNMEA n;
        n.Decode(Sentence("GPGGA,123518.00,3500.0,N,13900.0,E,1,08,0.9,30.0,M,10.0,M,,"));
        n.Decode(Sentence(c.body));
        EXPECT_EQ(n.errorFlag, 0) << c.body;
        EXPECT_DOUBLE_EQ(n.altitude, c.altitude) << c.body;
        EXPECT_DOUBLE_EQ(n.geoidSeparation, c.geoidSeparation) << c.body;
        TPos pos;
        EXPECT_EQ(ConvertFix(pos, n, 0, 0, 8).valid, c.position) << c.body;
    }
}

// A copy of the decoder owns its fields: the original may decode on, or go away.
TEST(NmeaDecode, CopyKeepsItsOwnFields) {
    auto original = std::make_unique<TNMEA>();
    original->Decode(Sentence(std::string(kGga)));
    const TNMEA copy = *original;
    TNMEA assigned;
    assigned = *original;
    original->Decode(Sentence("GPRMC,081836,A,3751.65,S,14507.36,E,000.0,360.0,130998,011.3,E"));
    original.reset();
    for (const TNMEA* n : {&copy, static_cast<const TNMEA*>(&assigned)}) {
        ASSERT_EQ(n->FieldCount(), 16);
        EXPECT_EQ(n->Field(0), "$GPGGA");
        EXPECT_EQ(n->Field(2), "3530.1234");
        EXPECT_EQ(n->Field(14), "0123");
    }
}

}  // namespace
}  // namespace tidrun

namespace tidrun {
namespace {

// The comma-text rule written plainly, to check the decoder's splitting against it.
std::vector<std::string> ReferenceSplit(std::string text) {
    if (const auto star = text.find('*'); star != std::string::npos) text[star] = ',';
    text = text.substr(0, text.find('\0'));
    auto skipped = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::vector<std::string> out;
    std::size_t p = 0;
    while (p < text.size() && skipped(text[p])) ++p;
    while (p < text.size()) {
        std::string f;
        if (text[p] == '"') {
            ++p;
            while (p < text.size()) {
                if (text[p] == '"') {
                    if (p + 1 < text.size() && text[p + 1] == '"') {
                        f += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                f += text[p++];
            }
        } else {
            while (p < text.size() && !skipped(text[p]) && text[p] != ',') f += text[p++];
        }
        out.push_back(f);
        while (p < text.size() && skipped(text[p])) ++p;
        if (p < text.size() && text[p] == ',') {
            if (p + 1 == text.size()) out.emplace_back();
            ++p;
            while (p < text.size() && skipped(text[p])) ++p;
        }
    }
    return out;
}

TEST(NmeaFields, SplittingMatchesTheRuleOnRandomText) {
    const char alphabet[] = {'a', '5', ',', ',', ',', ' ', '\r', '\n', '"', '\0', '*', '\xE9', '$'};
    std::mt19937 rng(3);
    TNMEA n;
    for (int i = 0; i < 100000; ++i) {
        std::string text(rng() % 40, 'x');
        for (char& c : text) c = alphabet[rng() % sizeof alphabet];
        if (i % 3 == 0) text += '\r';  // most sentences end in a CR
        n.Decode(text);
        const std::vector<std::string> want = ReferenceSplit(text);
        ASSERT_EQ(n.FieldCount(), static_cast<int>(want.size())) << testing::PrintToString(text);
        for (int k = 0; k < n.FieldCount(); ++k) {
            ASSERT_EQ(n.Field(k), want[static_cast<std::size_t>(k)])
                << testing::PrintToString(text) << " field " << k;
        }
    }
}

}  // namespace
}  // namespace tidrun
