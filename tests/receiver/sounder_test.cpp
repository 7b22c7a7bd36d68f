// The sounder as a sentence source over an in-process link: depths decoded with the draft,
// every sentence reported for the raw log, and the port's loss and reopening, for a port of
// its own and for the transfer port it only listens to.
#include "positioning/sounder.h"

#include "receiver_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace tidrun {
namespace {

using namespace tidrun::test;

TEST(Sounder, DecodesWithTheDraftAndReportsEverySentence) {
    FakeLink link;
    TSounder sounder(nullptr, [] { return qint64(42); });
    sounder.SetPort(&link, true);
    sounder.SetDraft(0.5);
    std::vector<double> depths;
    std::vector<bool> bottoms;
    int sentences = 0;
    QObject::connect(&sounder, &TSounder::SentenceReceived, [&](QByteArrayView, qint64 at) {
        EXPECT_EQ(at, 42);
        ++sentences;
    });
    QObject::connect(&sounder, &TSounder::DepthReceived,
                     [&](const TDepthReading& r, QByteArrayView s, qint64) {
                         EXPECT_TRUE(s.startsWith("$") && s.endsWith("\r"));
                         depths.push_back(r.belowSurface);
                         bottoms.push_back(r.hasBottom);
                     });
    link.Push(Sentence("SDDBT,,f,12.00,M,,F"));  // closed: nothing
    ASSERT_TRUE(sounder.Open());
    EXPECT_TRUE(link.lineSettings);
    EXPECT_TRUE(link.open);
    link.Push("noise" + Sentence("SDDBT,,f,12.00,M,,F") + Sentence("GPGGA,1"));
    link.Push(Sentence("SDDBT,,f,,M,,F").left(8));
    link.Push(Sentence("SDDBT,,f,,M,,F").mid(8));
    EXPECT_EQ(depths, (std::vector<double>{12.5, 0}));
    EXPECT_EQ(bottoms, (std::vector<bool>{true, false}));
    EXPECT_EQ(sentences, 3);
}

TEST(Sounder, AnOwnPortIsReopenedAListenedPortIsLeftToItsOwner) {
    struct Case {
        bool own;
        int lostSignals;  // PortLost for one unplugging
    };
    for (const Case c : {Case{true, 1}, Case{false, 0}}) {
        SCOPED_TRACE(c.own);
        FakeLink link;
        TSounder sounder;
        sounder.SetReconnectInterval(1);
        sounder.SetPort(&link, c.own);
        int lost = 0, flowing = 0, depths = 0;
        QObject::connect(&sounder, &TSounder::PortLost, [&] { ++lost; });
        QObject::connect(&sounder, &TSounder::DataFlowing, [&] { ++flowing; });
        QObject::connect(&sounder, &TSounder::DepthReceived, [&] { ++depths; });
        ASSERT_TRUE(sounder.Open());
        EXPECT_EQ(link.openCalls, c.own ? 1 : 0);
        link.Unplug();
        link.Unplug();
        EXPECT_EQ(lost, c.lostSignals);
        EXPECT_EQ(sounder.IsConnected(), !c.own);
        if (c.own) {
            EXPECT_TRUE(WaitUntil([&] { return link.open; }));
        }
        link.Push(Sentence("SDDBS,,f,4.2,M,,F"));
        EXPECT_EQ(flowing, c.lostSignals);
        EXPECT_EQ(depths, 1);
        EXPECT_TRUE(sounder.IsConnected());
        sounder.Close();
        EXPECT_EQ(link.closeCalls, c.own ? 1 : 0);
    }
}

}  // namespace
}  // namespace tidrun
