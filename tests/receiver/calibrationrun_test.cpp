// The calibration measurement with a fake tick clock and a real receiver and log file.
#include "positioning/calibrationrun.h"

#include "platform/messagesink.h"
#include "receiver_support.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

namespace tidrun {
namespace {

using namespace tidrun::test;

TEST(CalibrationTimes, StartChecks) {
    struct Case {
        const char *h, *m, *s, *span;
        int total;  // -1: refused
        int spanSeconds;
    };
    const Case cases[] = {
        {"0", "0", "60", "0", 60, 0},      {"0", "60", "60", "5", 3660, 5},
        {"24", "0", "0", "60", 86400, 60}, {"0", "61", "0", "0", -1, 0},
        {"0", "0", "61", "0", -1, 0},      {"", "0", "5", "0", -1, 0},
        {"0", "0", "5", "", -1, 0},        {"0", " ", "5", "1", -1, 0},
        {"x", "1", "5", "2", 65, 2},  // not a number counts as 0
        {"0", "-1", "5", "1", -1, 0},
    };
    for (const Case& c : cases) {
        const auto t = TCalibrationRun::ParseTimes(c.h, c.m, c.s, c.span);
        SCOPED_TRACE(std::string(c.h) + "/" + c.m + "/" + c.s + "/" + c.span);
        ASSERT_EQ(t.has_value(), c.total >= 0);
        if (!t) continue;
        EXPECT_EQ(t->TotalSeconds(), c.total);
        EXPECT_EQ(t->spanSeconds, c.spanSeconds);
    }
}

TEST(CalibrationTexts, ProgressLogNameAndLine) {
    EXPECT_EQ(TCalibrationRun::ProgressText(3725, 12), "1:2:5( 12 )");
    EXPECT_EQ(TCalibrationRun::ProgressText(0, 0), "0:0:0( 0 )");
    EXPECT_EQ(
        TCalibrationRun::LogFileName("/w/Calib", QDateTime(QDate(2026, 12, 7), QTime(15, 30, 59))),
        "/w/Calib/Calib12071530.Log");
    EXPECT_EQ(TCalibrationRun::LogLine(-12345.6789, 7.0, 0.0005),
              " -12345.679,       7.000,       0.001, ");
}

// One measurement: the receiver gets a sentence at each 'P', the timer ticks at each 'T'.
struct Step {
    qint64 atMs;  // since the start
    char what;
};
struct Scenario {
    const char* name;
    TCalibrationTimes times;
    std::vector<Step> steps;
    std::vector<int> sampled;  // indexes of the 'P' steps taken as samples
    qint64 finishedAtMs;       // the tick that ends it; -1 when it runs on
};

std::vector<Step> Every(qint64 fromMs, qint64 toMs, qint64 stepMs, char what) {
    std::vector<Step> out;
    for (qint64 t = fromMs; t <= toMs; t += stepMs) out.push_back({t, what});
    return out;
}
std::vector<Step> Merge(std::vector<Step> a, const std::vector<Step>& b) {
    a.insert(a.end(), b.begin(), b.end());
    std::stable_sort(a.begin(), a.end(),
                     [](const Step& x, const Step& y) { return x.atMs < y.atMs; });
    return a;
}

class CalibrationRunTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QTemporaryDir dir;
    RecordingSink sink;
    TGPS gps;
    qint64 nowMs = 0;
};

TEST_F(CalibrationRunTest, SamplesByWholeTickSecondsIntoTheLog) {
    const Scenario scenarios[] = {
        {"interval 0: every position after a tick",
         {0, 0, 60, 0},
         {{0, 'P'},
          {100, 'T'},
          {150, 'P'},
          {160, 'P'},
          {200, 'T'},
          {250, 'P'},
          {1300, 'T'},
          {1350, 'P'}},
         {1, 3, 4},
         -1},
        {"interval 2 for 10 s",
         {0, 0, 10, 2},
         Merge(Every(0, 10500, 100, 'T'), Every(50, 11050, 500, 'P')),
         {0, 4, 8, 12, 16},
         9600},  // 10.0 s by whole tick seconds
        {"a sample due when the time ends is not taken afterwards",
         {0, 0, 2, 1},
         {{0, 'T'}, {10, 'P'}, {1000, 'T'}, {2000, 'T'}, {2050, 'P'}},
         {0},
         2000},
        {"time 0 ends at the first tick without a sample",
         {0, 0, 0, 0},
         {{0, 'T'}, {50, 'P'}, {100, 'T'}, {150, 'P'}},
         {},
         0},
        {"60 minutes and 60 seconds",
         {0, 60, 60, 3600},
         {{0, 'T'},
          {10, 'P'},
          {3599500, 'T'},
          {3599550, 'P'},
          {3599600, 'T'},
          {3599650, 'P'},
          {3600000, 'T'},
          {3600050, 'P'},
          {3659500, 'T'},
          {3659600, 'T'},
          {3659650, 'P'}},
         {0, 2},
         3659600},
    };
    const qint64 base = 86'400'000 + 400;  // not on a whole second
    const QByteArray sentence = Gga(19);
    for (const Scenario& sc : scenarios) {
        SCOPED_TRACE(sc.name);
        std::vector<double> got;  // x, y, h of every position the listener sees
        nowMs = base;
        TCalibrationRun run(&sink, [this] { return nowMs; });
        run.SetReference(100, 200, 10);
        TPositionListenerScope scope(gps, [&](const TGpsPosition& p) {
            got.insert(got.end(), {p.X, p.Y, p.h});
            run.Position(p);
        });
        const QDateTime started(QDate(2026, 12, 7), QTime(15, 30));
        run.Start(sc.times, dir.path(), started);
        std::vector<int> sampled;
        qint64 finishedAt = -1;
        int positions = 0;
        for (const Step& s : sc.steps) {
            nowMs = base + s.atMs;
            if (s.what == 'T') {
                const auto p = run.Tick();
                if (p.finished) {
                    EXPECT_EQ(finishedAt, -1);
                    finishedAt = s.atMs;
                    EXPECT_EQ(p.elapsed, 0);
                    EXPECT_FALSE(run.Running());
                } else if (run.Running()) {
                    EXPECT_EQ(p.elapsed, (base + s.atMs) / 1000 - base / 1000);
                }
            } else {
                const int before = run.Count();
                gps.HandlePacket(Packet(sentence).toStdString());
                if (run.Count() > before) sampled.push_back(positions);
                ++positions;
            }
        }
        EXPECT_EQ(sampled, sc.sampled);
        EXPECT_EQ(finishedAt, sc.finishedAtMs);
        ASSERT_EQ(got.size(), 3u * positions);
        // Every sample: its three numbers, then the sentence as received.
        QByteArray expected;
        for (std::size_t i = 0; i < sc.sampled.size(); ++i)
            expected += TCalibrationRun::LogLine(got[0], got[1], got[2]) + Packet(sentence);
        run.Stop();
        EXPECT_EQ(ReadFile(TCalibrationRun::LogFileName(dir.path(), started)), expected);
        if (!sc.sampled.empty()) {
            EXPECT_DOUBLE_EQ(run.OffsetX(), 100 - got[0]);
            EXPECT_DOUBLE_EQ(run.OffsetY(), 200 - got[1]);
            EXPECT_DOUBLE_EQ(run.OffsetH(), 10 - got[2]);
        }
    }
    EXPECT_TRUE(sink.entries.empty());
}

TEST_F(CalibrationRunTest, AveragesAndOffsetsWithoutReference) {
    TCalibrationRun run(nullptr, [this] { return nowMs; });
    run.Start({0, 0, 30, 0}, dir.path(), QDateTime::currentDateTime());
    const double xs[][3] = {{1, -10, 5}, {2, -20, 7}, {6, -60, 0}};
    for (const auto& p : xs) {
        EXPECT_FALSE(run.Position(p[0], p[1], p[2], true)) << "no tick yet";
        run.Tick();
        EXPECT_FALSE(run.Position(99, 99, 99, false)) << "a position not measured";
        EXPECT_TRUE(run.SampleDue());
        EXPECT_TRUE(run.Position(p[0], p[1], p[2], true));
        nowMs += 1000;
    }
    EXPECT_EQ(run.Count(), 3);
    EXPECT_DOUBLE_EQ(run.AverageX(), 3);
    EXPECT_DOUBLE_EQ(run.AverageY(), -30);
    EXPECT_DOUBLE_EQ(run.AverageH(), 4);
    EXPECT_DOUBLE_EQ(run.OffsetX(), -3);  // no reference point: minus the averages
    EXPECT_DOUBLE_EQ(run.OffsetY(), 30);
    EXPECT_DOUBLE_EQ(run.OffsetH(), -4);
    run.Start({0, 0, 30, 0}, dir.path(), QDateTime::currentDateTime());
    EXPECT_EQ(run.Count(), 0) << "a new measurement starts from nothing";
    // Nothing of the first measurement's sums goes into the second one's offsets.
    run.SetReference(101, 1, 2);
    run.Tick();
    ASSERT_TRUE(run.Position(100, -40, 1.5, true));
    EXPECT_DOUBLE_EQ(run.OffsetX(), 1);
    EXPECT_DOUBLE_EQ(run.OffsetY(), 41);
    EXPECT_DOUBLE_EQ(run.OffsetH(), 0.5);
}

// The calibration listens beside the other listeners, only for the life of its scope.
TEST_F(CalibrationRunTest, ListensBesideTheOthersWhileItsScopeLasts) {
    int mainCalls = 0;
    QObject::connect(&gps, &TGPS::PositionFixed, [&](const TGpsPosition&) { ++mainCalls; });
    const auto deliver = [&] { gps.HandlePacket(Packet(Gga(19)).toStdString()); };
    int taken = 0;
    {
        TPositionListenerScope scope(gps, [&](const TGpsPosition&) { ++taken; });
        deliver();
        deliver();
    }
    deliver();
    EXPECT_EQ(taken, 2);
    EXPECT_EQ(mainCalls, 3) << "the main window keeps its positions";
    // The receiver goes first (closing the job): the scope must not touch it.
    auto gone = std::make_unique<TGPS>();
    {
        TPositionListenerScope scope(*gone, [&](const TGpsPosition&) { ++taken; });
        gone.reset();
    }
    EXPECT_EQ(taken, 2);
}

}  // namespace
}  // namespace tidrun
