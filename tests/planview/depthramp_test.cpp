#include <gtest/gtest.h>

#include <cmath>

#include "planview/depthramp.h"

namespace tidrun {
namespace {

double Lightness(QRgb c) {  // relative luminance, sRGB weights on the stored values
    return 0.2126 * qRed(c) + 0.7152 * qGreen(c) + 0.0722 * qBlue(c);
}

TEST(DepthRamp, DarkerWithEveryStepDownAndClampedAtTheEnds) {
    const TDepthRange r{2, 12};
    EXPECT_EQ(DepthRampColour(2, r), qRgb(0xf0, 0xf9, 0x21));
    EXPECT_EQ(DepthRampColour(12, r), qRgb(0x0d, 0x08, 0x87));
    EXPECT_EQ(DepthRampColour(-5, r), DepthRampColour(2, r));
    EXPECT_EQ(DepthRampColour(40, r), DepthRampColour(12, r));
    EXPECT_EQ(DepthRampColour(std::nanf(""), r), DepthRampColour(2, r));
    // The steps the plan draws in: the two ends exactly, every depth in its nearest step.
    EXPECT_EQ(DepthLevelColour(0, r), DepthRampColour(2, r));
    EXPECT_EQ(DepthLevelColour(kDepthLevels - 1, r), DepthRampColour(12, r));
    EXPECT_EQ(DepthLevel(2, r), 0);
    EXPECT_EQ(DepthLevel(7.0f + 0.05f, r), (kDepthLevels - 1) / 2 + 1);
    EXPECT_EQ(DepthLevel(40, r), kDepthLevels - 1);
    EXPECT_EQ(DepthLevel(std::nanf(""), r), 0);
    double last = 1e9;
    for (int i = 0; i <= 100; ++i) {
        const double l = Lightness(DepthRampColour(2 + i * 0.1f, r));
        EXPECT_LT(l, last + 1e-9) << i;  // never lighter deeper: reads in gray as well
        last = l;
    }
}

TEST(DepthRamp, RangesFromTheJobOrTyped) {
    const float nan = std::nanf("");
    struct Case {
        std::vector<float> depths;
        std::optional<TDepthRange> range;
    };
    const Case cases[] = {
        {{nan, 5.5f, 3.25f, nan, 9.0f}, TDepthRange{3.25f, 9.0f}},
        {{nan, nan}, std::nullopt},
        {{}, std::nullopt},
        {{4.0f, 4.0f}, TDepthRange{3.5f, 4.5f}},
        {{0.2f}, TDepthRange{0.0f, 0.7f}},
    };
    for (const Case& c : cases) {
        const auto got = DepthRangeOf(c.depths);
        ASSERT_EQ(got.has_value(), c.range.has_value());
        if (got) {
            EXPECT_FLOAT_EQ(got->shallow, c.range->shallow);
            EXPECT_FLOAT_EQ(got->deep, c.range->deep);
        }
    }
    EXPECT_TRUE(TypedDepthRange(0, 20).has_value());
    EXPECT_FALSE(TypedDepthRange(5, 5).has_value());
    EXPECT_FALSE(TypedDepthRange(-1, 5).has_value());
    EXPECT_FALSE(TypedDepthRange(1, std::nan("")).has_value());
}

}  // namespace
}  // namespace tidrun
