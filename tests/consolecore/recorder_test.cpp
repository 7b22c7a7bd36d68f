// The recorder and the job session with a fake tick counter over a real recording file.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "console/jobsession.h"
#include "console/recorder.h"
#include "platform/messagesink.h"
#include "surveydata/codec.h"
#include "surveydata/jobsettings.h"

namespace tidrun {
namespace {

// A script of what the crew and the receiver do, and what must follow each step.
// Estimated: a position that was not measured (a GGA of quality 6 to 8).
enum class Op { Start, Button, Position, Estimated, At, Stop };
struct Step {
    Op op;
    std::int64_t ms =
        0;  // At: milliseconds since the start of the line (clock is set, then ticked)
    const char* lamps = nullptr;  // At: "210" lamps lit ('-' off), e.g. "2--"
    TSound sound = TSound::None;  // At / Button
    int cut = -1;  // Position, Estimated: expected record index, -1 for none; Stop: 1 line end
};

struct Scenario {
    const char* name;
    int method;  // 0 自動, 1 手動, 2 全データ, 3 距離 (10 m; each position 1 m on)
    std::uint32_t clockStart;
    std::vector<Step> steps;
};

void PrintTo(const Scenario& s, std::ostream* os) {
    *os << s.name;
}

class RecorderScenario : public ::testing::TestWithParam<Scenario> {};

TEST_P(RecorderScenario, FollowsTheScript) {
    const Scenario& sc = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SOKUSEN.DAT"));
    QFile(path).open(QIODevice::WriteOnly);
    RecordingSink sink;
    std::uint32_t now = sc.clockStart;
    TJobSession session(sink, [&now] { return now; });
    ASSERT_TRUE(session.Sokusen().Load(path));
    session.Recorder().SetRule(MakeCutRule(sc.method, 10, 10.0));
    double x = 1000;
    std::uint32_t lineStart = 0;
    for (size_t i = 0; i < sc.steps.size(); ++i) {
        const Step& s = sc.steps[i];
        SCOPED_TRACE(::testing::Message() << sc.name << " step " << i);
        switch (s.op) {
            case Op::Start:
                lineStart = now;
                session.StartLine(QStringLiteral("L"));
                break;
            case Op::Button:
                EXPECT_EQ(session.Recorder().RequestCut(), s.sound);
                break;
            case Op::Position:
            case Op::Estimated: {
                x += 1;
                session.SetLastSentence(3525.1234, 13945.6789, 49, s.op == Op::Position);
                const TPositionOutcome out = session.Position(x, 2000, 0, QDateTime());
                EXPECT_EQ(out.cutIndex, s.cut);
                break;
            }
            case Op::At: {
                now = lineStart + static_cast<std::uint32_t>(s.ms);
                const TTickStep t = session.Recorder().Tick();
                const TLamps& l = session.Recorder().Lamps();
                const std::string lit = {l.count2 ? '2' : '-', l.count1 ? '1' : '-',
                                         l.count0 ? '0' : '-'};
                EXPECT_EQ(lit, s.lamps);
                EXPECT_EQ(t.sound, s.sound);
                break;
            }
            case Op::Stop:
                EXPECT_EQ(session.StopLine(), s.cut == 1);
                break;
        }
    }
    EXPECT_TRUE(sink.entries.empty());
}

// Times are from the start of the line; the first cut is taken at the position right after
// the button at 1 s, so the automatic count-down runs from about 1 s.
const Scenario kScenarios[] = {
    {"auto10",
     0,
     5000,
     {{Op::Start},
      {Op::At, 500, "---"},
      {Op::Position},  // nothing before the first cut, whatever the time
      {Op::At, 15000, "---"},
      {Op::Button, 0, nullptr, TSound::Cut},
      {Op::At, 15050, "--0"},
      {Op::Position, 0, nullptr, TSound::None, 0},
      {Op::At, 15100, "---"},
      {Op::At, 21999, "---"},  // 6.9 s after the cut: not more than 6 whole seconds
      {Op::At, 22100, "2--", TSound::Warn},
      {Op::At, 22500, "2--"},  // the warning sounds once
      {Op::At, 24100, "21-", TSound::Warn},
      {Op::At, 26000, "21-"},  // ten whole seconds are not more than ten
      {Op::Position},
      {Op::At, 26100, "210", TSound::Cut},
      {Op::At, 27000, "210"},  // requested once
      {Op::Position, 0, nullptr, TSound::None, 1},
      {Op::At, 27100, "---"},
      {Op::Stop, 0, nullptr, TSound::None, 1}}},
    {"auto10 across the wrap of the tick counter",
     0,
     0xFFFFFFFFu - 7500,
     {{Op::Start},
      {Op::Button, 0, nullptr, TSound::Cut},
      {Op::Position, 0, nullptr, TSound::None, 0},
      {Op::At, 6900, "---"},
      {Op::At, 7100, "2--", TSound::Warn},
      {Op::At, 9100, "21-", TSound::Warn},  // the counter wrapped at 7.5 s
      {Op::At, 11100, "210", TSound::Cut},
      {Op::Position, 0, nullptr, TSound::None, 1}}},
    {"all data",
     2,
     0,
     {{Op::Start},
      {Op::Position},
      {Op::Position},
      {Op::At, 60000, "---"},  // no count-down without the time rule
      {Op::Button, 0, nullptr, TSound::Cut},
      {Op::Position, 0, nullptr, TSound::None, 0},
      {Op::Position, 0, nullptr, TSound::None, 1},
      {Op::Position, 0, nullptr, TSound::None, 2},
      {Op::Stop, 0, nullptr, TSound::None, 1},
      {Op::Position}}},  // stopped: nothing more
    {"hand only",
     1,
     0,
     {{Op::Start},
      {Op::Button, 0, nullptr, TSound::Cut},
      {Op::Position, 0, nullptr, TSound::None, 0},
      {Op::At, 99000, "---"},
      {Op::Position},
      {Op::Button, 0, nullptr, TSound::Cut},
      {Op::Position, 0, nullptr, TSound::None, 1},
      {Op::Stop, 0, nullptr, TSound::None, 1}}},
    {"stop without a cut sends no line end",
     0,
     0,
     {{Op::Start},
      {Op::Position},
      {Op::At, 30000, "---"},
      {Op::Stop, 0, nullptr, TSound::None, 0},
      {Op::Button, 0, nullptr, TSound::None}}},
    {"distance 10 m: lamps at 6 m and 8 m, the cut at the position reaching 10 m",
     3,
     0,
     {{Op::Start},
      {Op::Position},
      {Op::At, 60000, "---"},  // nothing before the first cut
      {Op::Button, 0, nullptr, TSound::Cut},
      {Op::Position, 0, nullptr, TSound::None, 0},
      {Op::Position},
      {Op::Position},
      {Op::Position},
      {Op::Position},
      {Op::Position},
      {Op::At, 60100, "---"},  // 5 m, whatever the time
      {Op::Position},
      {Op::At, 60200, "2--", TSound::Warn},  // 6 m
      {Op::Position},
      {Op::At, 60300, "2--"},
      {Op::Position},
      {Op::At, 60400, "21-", TSound::Warn},  // 8 m
      {Op::Position},
      {Op::At, 99000, "21-"},  // never cut by the timer
      {Op::Position, 0, nullptr, TSound::None, 1},
      {Op::At, 99100, "---"},
      {Op::Stop, 0, nullptr, TSound::None, 1}}},
    {"positions that were not measured are never cut; a cut asked for waits",
     2,
     0,
     {{Op::Start},
      {Op::Button, 0, nullptr, TSound::Cut},
      {Op::Estimated},
      {Op::Position, 0, nullptr, TSound::None, 0},
      {Op::Estimated},
      {Op::Estimated},
      {Op::Position, 0, nullptr, TSound::None, 1},
      {Op::Stop, 0, nullptr, TSound::None, 1}}},
};

INSTANTIATE_TEST_SUITE_P(Recorder, RecorderScenario, ::testing::ValuesIn(kScenarios));

// Cuts by distance count the track the boat ran (the sum of its steps), not the straight
// line from the previous cut, and cut at the first position reaching the interval.
TEST(JobSession, DistanceCutsFollowTheTrackWithItsTurns) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SOKUSEN.DAT"));
    QFile(path).open(QIODevice::WriteOnly);
    RecordingSink sink;
    TJobSession session(sink, [] { return 0u; });
    ASSERT_TRUE(session.Sokusen().Load(path));
    session.Recorder().SetRule(MakeCutRule(3, 10, 10.0));
    ASSERT_TRUE(session.StartLine(QStringLiteral("L")));
    session.Recorder().RequestCut();
    struct Step {
        double dx, dy;
        bool cut;
    };
    const Step steps[] = {
        {0, 0, true},  // the first cut, by the button
        {3, 0, false},    {0, 3, false},   {-3, 0, false},
        {0, 3, true},  // 12 m along a zigzag, 6 m in a straight line
        {4, 0, false},    {4, 0, false},   {2, 0, true},  // exactly 10 m
        {9.99, 0, false}, {0.02, 0, true},
    };
    double x = 0, y = 0;
    for (const Step& s : steps) {
        x += s.dx;
        y += s.dy;
        EXPECT_EQ(session.Position(x, y, 0, QDateTime()).cutIndex >= 0, s.cut) << x << "," << y;
    }
    EXPECT_TRUE(sink.entries.empty());
}

// A cut hands the collection the fix, the offsets and the time since the previous cut in
// the places of the record, and the file holds the line at once.
TEST(JobSession, CutRecordCarriesTheFixOffsetsAndTimes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SOKUSEN.DAT"));
    // Line 7 exists: the next line is 8.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(EncodeCp932(QStringLiteral(
        "    1,    7, \"7\",    1,       1.000,       2.000,    0.000,    0.000,    0, "
        "   35.000000,   139.000000,    0.000, \"26/12/08 9:00:00\",       0.000,       "
        "0.000,    0.000,    0.000\r\n")));
    f.close();
    RecordingSink sink;
    std::uint32_t now = 1000;
    TJobSession session(sink, [&now] { return now; });
    ASSERT_TRUE(session.Sokusen().Load(path));
    session.Recorder().SetRule(MakeCutRule(1, 10));
    session.SetOffsets({0.5, -0.25, 1.0, 2.0});
    session.SetLastSentence(3539.123456, 13945.654321, 41.5);

    EXPECT_EQ(session.Recorder().DefaultLineName(), QStringLiteral("8"));
    session.SetLineLogFolder(dir.path());
    EXPECT_EQ(session.StartLine(QStringLiteral("測線A")), 8);
    EXPECT_EQ(session.LineLogPath(), dir.filePath(QStringLiteral("Line8.Log")));
    // Distance and 間隔 run from the previous cut, not from the previous position nor from
    // the line's first cut.
    struct Move {
        std::uint32_t ms;  // after the previous row
        double x, y;
        bool cut;
        double distance;  // shown from the previous cut
    };
    const Move moves[] = {
        {12345, -100.0, 200.0, true, 0.0},
        {1000, -94.0, 208.0, false, 10.0},
        {2000, -91.0, 212.0, true, 15.0},  // 5 m from the position before
        {4000, -88.0, 216.0, true, 5.0},
    };
    const QDateTime t(QDate(2026, 12, 8), QTime(10, 11, 12));
    std::uint32_t elapsed = 0;
    std::string logged;  // the sentences of the cuts
    for (const Move& m : moves) {
        if (m.cut) session.Recorder().RequestCut();
        now += m.ms;
        elapsed += m.ms;
        const std::string sentence = "$GPGGA," + std::to_string(m.x) + "\r";
        if (m.cut) logged += sentence;
        const TPositionOutcome out =
            session.Position(m.x, m.y, 30.0, t.addMSecs(elapsed - 12345), sentence);
        EXPECT_EQ(out.cutIndex >= 0, m.cut) << m.x;
        EXPECT_DOUBLE_EQ(out.distance, m.distance) << m.x;
        if (&m == &moves[0]) {
            EXPECT_EQ(out.cutIndex, 1);
            EXPECT_EQ(out.xMm, -99500);
            EXPECT_EQ(out.yMm, 199750);
        }
    }

    const QStringList lines = DecodeCp932([&] {
                                  QFile in(path);
                                  in.open(QIODevice::ReadOnly);
                                  return in.readAll();
                              }())
                                  .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1],
              QStringLiteral("    2,    8, \"測線A\",    1,     -99.500,     199.750,   29.000,    "
                             "0.000,   12,  3539.123456, 13945.654321,   41.500, \"26/12/08 "
                             "10:11:12\",       0.500,      -0.250,    1.000,    2.000"));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral(
        "    3,    8, \"測線A\",    2,     -90.500,     211.750,   29.000,   15.000,    3,")))
        << lines[2].toStdString();
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral(
        "    4,    8, \"測線A\",    3,     -87.500,     215.750,   29.000,    5.000,    4,")))
        << lines[3].toStdString();
    EXPECT_TRUE(session.StopLine());
    QFile log(dir.filePath(QStringLiteral("Line8.Log")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll().toStdString(), logged);
    EXPECT_TRUE(sink.entries.empty());
}

// A writer that keeps what it was asked in one shared trace, failing where told.
class TraceWriter : public TCutWriter {
  public:
    TraceWriter(std::string name, std::string& trace) : name_(std::move(name)), trace_(trace) {}
    bool BeginLine(int lineNo) override {
        trace_ += name_ + ".begin" + std::to_string(lineNo) + " ";
        return !failBegin;
    }
    bool Write(const TCut& cut) override {
        trace_ += name_ + ".write:" + std::string(cut.sentence) + " ";
        return !failWrite;
    }
    void TakeBack() override { trace_ += name_ + ".back "; }
    void EndLine() override { trace_ += name_ + ".end "; }
    bool failBegin = false, failWrite = false;

  private:
    std::string name_;
    std::string& trace_;
};

// Every writer gets each cut in its place in the list; one that fails stops the rest, those
// before take the cut back, the line ends for all, and the cut is counted only when every
// writer has it.
TEST(Recorder, CutsGoThroughEveryWriterInOrderAndAFailureEndsTheLine) {
    struct Case {
        const char* name;
        const char* failBegin;  // writer failing BeginLine, "" none
        const char* failWrite;  // writer failing Write, "" none
        bool started, counted;
        const char* trace;
        int records;  // in the recording file afterwards
    };
    const Case cases[] = {
        {"all store", "", "", true, true, "a.begin1 b.begin1 a.write:$S b.write:$S a.end b.end ",
         1},
        {"first cannot begin", "a", "", false, false, "a.begin1 ", 0},
        {"first fails its write", "", "a", true, false, "a.begin1 b.begin1 a.write:$S a.end b.end ",
         0},
        {"second cannot begin", "b", "", false, false, "a.begin1 b.begin1 a.end ", 0},
        // The writers before take it back; the recording file cannot, so only writers that
        // never fail go after it.
        {"second fails its write", "", "b", true, false,
         "a.begin1 b.begin1 a.write:$S b.write:$S a.back a.end b.end ", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("SOKUSEN.DAT"));
        QFile(path).open(QIODevice::WriteOnly);
        RecordingSink sink;
        TSokusenColl lines(sink);
        ASSERT_TRUE(lines.Load(path));
        TRecordingFileWriter file(lines);
        std::string trace;
        // a stores before the recording file, b announces after it.
        TraceWriter a("a", trace), b("b", trace);
        (std::string(c.failBegin) == "a" ? a : b).failBegin = *c.failBegin != 0;
        (std::string(c.failWrite) == "a" ? a : b).failWrite = *c.failWrite != 0;
        TRecorder recorder(file, [] { return 0u; });
        recorder.SetWriters({&a, &file, &b});
        ASSERT_EQ(recorder.Start(QStringLiteral("L")).has_value(), c.started);
        EXPECT_EQ(lines.Recording(), c.started);
        if (c.started) {
            recorder.RequestCut();
            TFixValues fix;
            fix.sentence = "$S";
            const TPositionStep step = recorder.Position(fix);
            EXPECT_EQ(step.cutIndex >= 0, c.counted);
            EXPECT_EQ(step.lineEnded, !c.counted);
            EXPECT_EQ(recorder.Recording(), c.counted);
            recorder.Stop();
        }
        EXPECT_EQ(trace, c.trace);
        EXPECT_EQ(lines.Count(), c.records);
        EXPECT_FALSE(lines.Recording());
    }
}

TEST(JobSession, StartNeedsTheRecordingFileName) {
    TJobSettings s;
    s.SokusenFile = QStringLiteral("  ");
    EXPECT_EQ(TJobSession::StartProblem(s), QStringLiteral("測線が正しく設定されていません。"));
    s.SokusenFile = QStringLiteral("SOKUSEN.DAT");
    EXPECT_EQ(TJobSession::StartProblem(s), QString());
}

}  // namespace
}  // namespace tidrun
