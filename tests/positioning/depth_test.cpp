#include <gtest/gtest.h>

#include <string>

#include "positioning/depth.h"
#include "tests/positioning/test_util.h"

namespace tidrun {
namespace {

using test::Sentence;

constexpr double kDraft = 0.5;
constexpr double kNone = -1;  // no reading at all
constexpr double kNoBottom = -2;

struct Case {
    std::string sentence;
    double expected;  // metres below the surface, kNone or kNoBottom
    TDepthKind kind = TDepthKind::DBT;
};

TEST(DepthDecode, EveryKindUnitOffsetAndFault) {
    const std::string burst(10000, '1');
    std::string longSum = Sentence("SDDPT,8.40,0.60");
    longSum.insert(longSum.size() - 1, "0");  // the right checksum and one digit more
    const Case cases[] = {
        // DBT: the metre field, else feet, else fathoms; the draft added.
        {Sentence("SDDBT,41.0,f,12.50,M,6.8,F"), 13.00},
        {Sentence("SDDBT,41.0,f,,M,6.8,F"), 41.0 * 0.3048 + kDraft},
        {Sentence("SDDBT,,f,,M,6.8,F"), 6.8 * 1.8288 + kDraft},
        {Sentence("SDDBT,,f,,M,,F"), kNoBottom},
        {Sentence("IIDBT,,f, 3.2 ,M,,F"), 3.7},  // any talker, blanks around a field
        // DBS as sent, never the draft.
        {Sentence("SDDBS,,f,7.25,M,,F"), 7.25, TDepthKind::DBS},
        {Sentence("SDDBS,10.0,f,,M,,F"), 3.048, TDepthKind::DBS},
        // DPT: a positive offset is transducer to waterline; else the draft.
        {Sentence("SDDPT,8.40,0.60,100"), 9.00, TDepthKind::DPT},
        {Sentence("SDDPT,8.40,-1.20"), 8.90, TDepthKind::DPT},
        {Sentence("SDDPT,8.40,"), 8.90, TDepthKind::DPT},
        {Sentence("SDDPT,8.40,0"), 8.90, TDepthKind::DPT},
        {Sentence("SDDPT,,0.60"), kNoBottom, TDepthKind::DPT},
        // Without a checksum the sentence is taken; a wrong or torn one refuses it.
        {"$SDDPT,8.40,0.60\r\n", 9.00, TDepthKind::DPT},
        {"$SDDPT,8.40,0.60*00\r", kNone},
        {"$SDDPT,8.40,0.60*4\r", kNone},
        {"$SDDPT,8.40,0.60*4G\r", kNone},
        {longSum, kNone},
        // Not a depth, or not a number.
        {Sentence("SDDBT,,f,-3.0,M,,F"), kNone},
        {Sentence("SDDBT,,f,abc,M,,F"), kNone},
        {Sentence("SDDPT,8.40,x"), kNone},
        {Sentence("SDDPT,nan,0.6"), kNone},
        // Deeper than any sea, or so many digits the sum would be infinite.
        {Sentence("SDDPT,11999.0,1.0"), 12000.0, TDepthKind::DPT},
        {Sentence("SDDPT,11999.5,1.0"), kNone},
        {Sentence("SDDBT,,f,,M," + std::string(309, '9') + ",F"), kNone},
        {Sentence("SDDPT," + std::string(309, '9') + "," + std::string(309, '9')), kNone},
        {Sentence("GPGGA,123519,3530.1,N,13950.5,E,1,08,0.9,5.4,M,46.9,M,,"), kNone},
        {Sentence("SDDBTX,,f,3.0,M,,F"), kNone},
        {"SDDBT,,f,3.0,M,,F\r", kNone},
        {"$" + burst, kNone},
        {"", kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sentence.substr(0, 60));
        const auto r = DecodeDepth(c.sentence, kDraft);
        if (c.expected == kNone) {
            EXPECT_FALSE(r.has_value());
            continue;
        }
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(r->kind, c.kind);
        EXPECT_EQ(r->hasBottom, c.expected != kNoBottom);
        if (c.expected != kNoBottom) {
            EXPECT_NEAR(r->belowSurface, c.expected, 1e-9);
        }
    }
}

}  // namespace
}  // namespace tidrun
