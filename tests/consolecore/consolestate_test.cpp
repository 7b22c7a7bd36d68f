// What the console keeps beside the session: the point choices, chosen again by name in the
// next job and kept by name, the entry fields, in effect while good and stored by their last
// good text, and the job's values going back to its file as they came.
#include "console/consolestate.h"

#include <gtest/gtest.h>

#include "console/jobsession.h"
#include "platform/messagesink.h"
#include "surveydata/config.h"

#include <optional>

namespace tidrun {
namespace {

struct ChoiceCase {
    const char* what;
    QString remembered;         // read from the job's file
    QStringList offered;        // the job's points
    std::optional<int> chosen;  // the user's choice, if any
    int index;                  // the choice while the job is open
    QString stored;             // the name stored with the job, open and after its close
};

TEST(PointChoice, IsChosenAgainByNameAndStoredByName) {
    const QStringList pts = {QStringLiteral("基準1"), QStringLiteral("基準2"),
                             QStringLiteral("基準2")};
    const ChoiceCase cases[] = {
        {"none remembered", {}, pts, std::nullopt, -1, {}},
        {"remembered point found", QStringLiteral("基準2"), pts, std::nullopt, 1,
         QStringLiteral("基準2")},
        {"remembered point not in the job", QStringLiteral("基準9"), pts, std::nullopt, -1, {}},
        {"user's choice replaces it", QStringLiteral("基準1"), pts, 1, 1, QStringLiteral("基準2")},
        {"(なし) chosen", QStringLiteral("基準1"), pts, -1, -1, {}},
        {"choice out of range is none", QStringLiteral("基準1"), pts, 3, -1, {}},
        {"job without points", QStringLiteral("基準1"), {}, std::nullopt, -1, {}},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.what);
        TPointChoice p;
        p.Remember(c.remembered);
        EXPECT_EQ(p.Name(), c.remembered) << "before a job is open";
        p.Offer(c.offered);
        if (c.chosen) p.Choose(*c.chosen);
        EXPECT_EQ(p.Index(), c.index);
        EXPECT_EQ(p.Name(), c.stored);
        p.Close();
        EXPECT_EQ(p.Index(), -1);
        EXPECT_EQ(p.Name(), c.stored) << "after the close";
        p.Offer(c.offered);
        EXPECT_EQ(p.Index(), c.index) << "in the next job with the same points";
    }
}

struct FieldCase {
    const char* what;
    TLineField field;
    QStringList edits;  // the field's texts, typed or set, after the job's file was read
    TFieldValue value;  // what the guidance and the map windows get
    QString stored;     // the field's key as it goes back to the file
};

TEST(LineFields, AFailingTextFallsBackAndTheLastGoodTextIsStored) {
    const FieldCase cases[] = {
        {"diameter as read", TLineField::Diameter, {}, {25, false}, "25"},
        {"diameter typed, not yet finished", TLineField::Diameter, {"77"}, {77, false}, "77"},
        {"diameter below its range", TLineField::Diameter, {"7", "0"}, {1, true}, "7"},
        {"diameter above its range", TLineField::Diameter, {"1000"}, {999, true}, "25"},
        {"angle as read", TLineField::Angle, {}, {453000, false}, "45.3"},
        {"angle trimmed", TLineField::Angle, {" 12.3 "}, {123000, false}, "12.3"},
        {"angle out of range", TLineField::Angle, {"400"}, {0, true}, "45.3"},
        {"angle emptied", TLineField::Angle, {""}, {0, true}, "45.3"},
        {"width emptied", TLineField::Width, {""}, {0, true}, "40"},
        {"width good again", TLineField::Width, {"", "60"}, {60, false}, "60"},
        {"step not a number", TLineField::Step, {"-"}, {0, true}, "5"},
    };
    MainWindowConfig in;
    in.CircleSize = 25, in.RulerDMS = QStringLiteral("45.3"), in.RulerWD = 40, in.RulerStep = 5;
    RecordingSink sink;
    TJobSession session(sink, [] { return std::uint32_t{0}; });
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(c.what);
        TConsoleState state;
        state.Read(in, session);
        for (const QString& text : c.edits) state.fields[c.field].Edit(text);
        EXPECT_EQ(state.fields.Value(c.field), c.value);
        MainWindowConfig out;
        state.Store(session, out);
        const QString stored[] = {QString::number(out.CircleSize), out.RulerDMS,
                                  QString::number(out.RulerWD), QString::number(out.RulerStep)};
        EXPECT_EQ(stored[static_cast<int>(c.field)], c.stored);
    }
}

TEST(ConsoleState, StoresTheValuesItRead) {
    MainWindowConfig in;
    in.CircleSize = 25, in.RulerDMS = QStringLiteral("45.3"), in.RulerWD = 40, in.RulerStep = 5;
    in.RulerX = 1.5, in.RulerY = -2.25;
    in.RulerX0 = 10, in.RulerY0 = 20, in.RulerX1 = 30, in.RulerY1 = 40;
    in.HoseiX = 0.125, in.HoseiY = -0.5, in.HoseiH = 2, in.HoseiA = 0.0625;
    in.GuidePoint = QStringLiteral("基準2");
    in.BuoyPoint = QStringLiteral("設標01");
    RecordingSink sink;
    TJobSession session(sink, [] { return std::uint32_t{0}; });
    TConsoleState state;
    state.Read(in, session);
    MainWindowConfig out;
    state.Store(session, out);
    const std::pair<double, double> numbers[] = {
        {out.RulerX, in.RulerX},   {out.RulerY, in.RulerY},   {out.RulerX0, in.RulerX0},
        {out.RulerY0, in.RulerY0}, {out.RulerX1, in.RulerX1}, {out.RulerY1, in.RulerY1},
        {out.HoseiX, in.HoseiX},   {out.HoseiY, in.HoseiY},   {out.HoseiH, in.HoseiH},
        {out.HoseiA, in.HoseiA}};
    for (size_t i = 0; i < std::size(numbers); ++i)
        EXPECT_EQ(numbers[i].first, numbers[i].second) << "value " << i;
    const std::pair<int, int> ints[] = {
        {out.CircleSize, in.CircleSize}, {out.RulerWD, in.RulerWD}, {out.RulerStep, in.RulerStep}};
    for (size_t i = 0; i < std::size(ints); ++i)
        EXPECT_EQ(ints[i].first, ints[i].second) << "field " << i;
    EXPECT_EQ(out.RulerDMS, in.RulerDMS);
    EXPECT_EQ(out.GuidePoint, in.GuidePoint);
    EXPECT_EQ(out.BuoyPoint, in.BuoyPoint);
}

}  // namespace
}  // namespace tidrun
