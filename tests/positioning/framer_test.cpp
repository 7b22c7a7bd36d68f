#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "positioning/framer.h"

namespace tidrun {
namespace {

using namespace std::string_view_literals;

std::vector<std::string> Frame(SentenceFramer& f, std::string_view bytes) {
    std::vector<std::string> out;
    f.Feed(bytes, [&](std::string_view p) { out.emplace_back(p); });
    return out;
}

TEST(SentenceFramer, CutsFromDollarThroughCarriageReturn) {
    SentenceFramer f;
    const auto p = Frame(f, "noise\n$GPGGA,1*00\r\n\xff\x00$GPRMC,2*00\r\r\n$GPVTG,3"sv);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0], "$GPGGA,1*00\r");
    EXPECT_EQ(p[1], "$GPRMC,2*00\r");
    EXPECT_TRUE(f.InPacket());
    EXPECT_EQ(Frame(f, ",4*00\r"), std::vector<std::string>{"$GPVTG,3,4*00\r"});

    // Byte by byte gives the same packets as one block.
    SentenceFramer g;
    std::vector<std::string> bytewise;
    for (char c : std::string_view("xx$A\r$B,\r")) {
        g.Feed(std::string_view(&c, 1), [&](std::string_view s) { bytewise.emplace_back(s); });
    }
    EXPECT_EQ(bytewise, (std::vector<std::string>{"$A\r", "$B,\r"}));
}

TEST(SentenceFramer, LineFeedAloneEndsNothing) {
    SentenceFramer f;
    EXPECT_TRUE(Frame(f, "$GPGGA,1*00\n$GPRMC,2*00\n").empty());
}

TEST(SentenceFramer, DollarInsideAPacketStartsANewOne) {
    SentenceFramer f;
    const auto p = Frame(f, "$GPGGA,030130$GPGLL,2*41\r");
    EXPECT_EQ(p, std::vector<std::string>{"$GPGLL,2*41\r"});
}

TEST(SentenceFramer, OverlongPacketIsDroppedAndTheNextOneFramed) {
    SentenceFramer f;
    // Exactly kMaxPacket bytes including the CR is still a packet.
    std::string exact = "$" + std::string(SentenceFramer::kMaxPacket - 2, 'a') + "\r";
    EXPECT_EQ(Frame(f, exact).size(), 1u);

    std::string garbage = "$" + std::string(5000, 'a');
    EXPECT_TRUE(Frame(f, garbage).empty());
    EXPECT_FALSE(f.InPacket());  // dropped: waits for the next "$"
    EXPECT_TRUE(Frame(f, "bbbb\r").empty());
    EXPECT_EQ(Frame(f, "$OK\r"), std::vector<std::string>{"$OK\r"});

    // One byte more than fits, fed in pieces.
    std::string over = "$" + std::string(SentenceFramer::kMaxPacket - 1, 'a');
    EXPECT_TRUE(Frame(f, over.substr(0, 600)).empty());
    EXPECT_TRUE(Frame(f, over.substr(600)).empty());
    EXPECT_TRUE(Frame(f, "\r").empty());
}

TEST(SentenceFramer, ResetDropsAPartialPacket) {
    SentenceFramer f;
    Frame(f, "$GPGGA,12");
    f.Reset();
    EXPECT_TRUE(Frame(f, "34*00\r").empty());
}

}  // namespace
}  // namespace tidrun
