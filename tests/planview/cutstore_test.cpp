// The cut store built from a large recording in two halves on two cores holds exactly what
// one pass over the records holds, and goes on from there as one pass would.
#include "planview/cutstore.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/messagesink.h"
#include "surveydata/sokusencoll.h"

namespace tidrun {
namespace {

struct Recording {
    NullSink sink;
    TSokusenColl coll{sink};
    double x = -67000, y = 3000, heading = 0;
    int line = 0;
    // A line of n cuts `step` metres apart, turning slowly, so every level keeps some.
    void Line(int n, double step) {
        const QString name = QStringLiteral("測線%1").arg(++line);
        for (int i = 0; i < n; ++i) {
            heading += 0.002 * std::sin(i * 0.01);
            x += step * std::cos(heading);
            y += step * std::sin(heading);
            TSokusen r{};
            r.X = x;
            r.Y = y;
            coll.Add(r, name);
        }
    }
    // The store as cuts appended one at a time make it.
    TCutStore OnePass() const {
        TCutStore s;
        for (int i = 0; i < coll.Count(); ++i)
            s.Append(coll.Item(i).X, coll.Item(i).Y,
                     i > 0 && coll.LineName(i) != coll.LineName(i - 1));
        return s;
    }
};

TEST(CutStore, BuiltInTwoHalvesAsInOnePass) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, double>> lines;  // cuts, spacing
        bool finestGivenUp;
    } cases[] = {
        // Lines of all-data spacing, one of them across the middle.
        {"lines across the middle",
         {{40000, 0.5}, {37000, 0.3}, {90000, 0.8}, {50000, 0.4}},
         false},
        // Every cut 3 m apart from the middle on: the finest level keeps too many, which
        // only the second half sees.
        {"a level given up in the second half", {{150000, 0.5}, {150000, 3.0}}, true},
        // No line starts in the second half: the first half makes every level.
        {"one line", {{200000, 0.6}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Recording rec;
        for (const auto& [n, step] : c.lines) rec.Line(n, step);
        ASSERT_GE(rec.coll.Count(), TCutStore::kTwoCoresFrom);
        TCutStore halves;
        halves.SyncFrom(rec.coll);
        TCutStore one = rec.OnePass();
        EXPECT_TRUE(halves == one);
        EXPECT_EQ(one.LevelAt(0).records.empty(), c.finestGivenUp);
        // Cuts recorded after it: on the same line, then a new one.
        rec.line--;
        rec.Line(300, 0.5);
        rec.Line(300, 2.5);
        halves.SyncFrom(rec.coll);
        one.SyncFrom(rec.coll);
        EXPECT_TRUE(halves == one);
        EXPECT_EQ(halves.Count(), rec.coll.Count());
    }
}

}  // namespace
}  // namespace tidrun
