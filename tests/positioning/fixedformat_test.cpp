#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "positioning/fixedformat.h"
#include "positioning/nmea.h"

namespace tidrun {
namespace {

std::string Fast(double v, int d) {
    char buf[400];
    return std::string(buf, FormatFixed(buf, v, d));
}

std::string Printf(double v, int d) {
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", d, v);
    return buf;
}

TEST(FormatFixed, SameTextAsPrintf) {
    const double fixed[] = {0.0,           -0.0,          0.5,     1.5,        2.5,
                            -0.00001,      0.00005,       0.00015, 1e-300,     123456.78,
                            1e15,          1e22,          -1e300,  2.675,      4134.49795459,
                            9345.03431408, 1779990.58335, 0.125,   1e17 + 0.5, 9007199254740993.0};
    for (double v : fixed) {
        for (int d : {0, 2, 4, 9}) EXPECT_EQ(Fast(v, d), Printf(v, d)) << v << " " << d;
    }
    EXPECT_EQ(Fast(std::numeric_limits<double>::infinity(), 4), Printf(INFINITY, 4));
    EXPECT_EQ(Fast(-std::numeric_limits<double>::infinity(), 4), Printf(-INFINITY, 4));
    EXPECT_EQ(Fast(std::numeric_limits<double>::quiet_NaN(), 4), "nan");

    // Values near ties: decimal strings with one digit more than printed, parsed to doubles.
    std::mt19937_64 rng(7);
    std::uniform_int_distribution<long long> mant(0, 99999999999LL);
    std::uniform_int_distribution<int> scale(0, 12);
    for (int i = 0; i < 200000; ++i) {
        const double v =
            static_cast<double>(mant(rng)) / std::pow(10.0, scale(rng)) * ((i & 1) ? -1 : 1);
        const int d = (i & 2) ? 4 : 9;
        ASSERT_EQ(Fast(v, d), Printf(v, d)) << v;
    }
    std::uniform_real_distribution<double> any(-1e7, 1e7);
    for (int i = 0; i < 200000; ++i) {
        const double v = any(rng);
        ASSERT_EQ(Fast(v, 4), Printf(v, 4));
    }
}

TEST(ReadNmeaReal, ShortDecimalsReadExactlyAsFromChars) {
    // The quick path for short decimals must give the correctly rounded double.
    std::mt19937_64 rng(11);
    std::uniform_int_distribution<long long> mant(0, 999999999999999LL);
    std::uniform_int_distribution<int> point(0, 15);
    for (int i = 0; i < 200000; ++i) {
        std::string s = std::to_string(mant(rng));
        const int at = std::min<int>(point(rng), static_cast<int>(s.size()));
        s.insert(s.size() - static_cast<std::size_t>(at), ".");
        if (i & 1) s.insert(0, "-");
        double expected = 0;
        std::from_chars(s.data(), s.data() + s.size(), expected);
        double got = 1;
        ASSERT_TRUE(ReadNmeaReal(s, got)) << s;
        ASSERT_EQ(got, expected) << s;
    }
}

}  // namespace
}  // namespace tidrun
