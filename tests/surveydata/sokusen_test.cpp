#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdint>
#include <cstring>

#include "surveydata/sokusencoll.h"
#include "testfiles.h"

namespace tidrun {
namespace {

using testing::ReadBytes;
using testing::ReadSjis;
using testing::WriteSjis;

TCutInput Cut(const QString& name, double x, double y) {
    TCutInput c;
    c.GpsInt = 10;
    c.LineName = name;
    c.X = x;
    c.Y = y;
    c.H = -1.25;
    c.Dist = 3.5;
    c.GpsA = 35.123456;
    c.GpsB = 139.654321;
    c.GpsH = 40.125;
    c.Time = QDateTime(QDate(2026, 12, 8), QTime(9, 5, 3));
    c.DX = 0.5;
    c.DY = -0.25;
    c.DH = 0.125;
    c.DA = 1.5;
    return c;
}

// A recording-file line as the program writes it.
QString Line(int serial, int lineNo, const QString& name, int cut) {
    return QString::asprintf("%5d, %4d, \"", serial, lineNo) + name +
           QString::asprintf(
               "\", %4d,    -100.000,     200.000,    1.000,    0.000,    1,   "
               "35.000000,  139.000000,   10.000, \"26/12/08 10:00:00\",       "
               "0.000,       0.000,    0.000,    0.000\r\n",
               cut);
}

class SokusenTest : public ::testing::Test {
  protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir dir;
    RecordingSink sink;
};

TEST(CutTime, ShortDateAndTimeForm) {
    CutTime t = 0;
    ASSERT_TRUE(ParseCutTime("26/12/08 9:05:03", t));
    EXPECT_EQ(CutTimeToDateTime(t), QDateTime(QDate(2026, 12, 8), QTime(9, 5, 3)));
    EXPECT_EQ(FormatCutTime(t), "26/12/08 9:05:03");
    ASSERT_TRUE(ParseCutTime("99/1/2 23:59:59", t));
    EXPECT_EQ(CutTimeToDateTime(t).date(), QDate(1999, 1, 2));
    ASSERT_TRUE(ParseCutTime("2031/02/03", t));  // date only: midnight
    EXPECT_EQ(FormatCutTime(t), "31/02/03 0:00:00");
    for (const char* bad : {"", "26/13/01 0:00:00", "26/02/30 1:00:00", "26/12/08 24:00:00",
                            "26/12/08 9:5x", "26-12-08 9:05:03"})
        EXPECT_FALSE(ParseCutTime(bad, t)) << bad;
}

// The recording's dates become days without QDate: the same day for every date QDate
// takes, and refused where QDate refuses (day 0 to 32 of every month, leap years of the
// centuries, year 0; years of up to four digits, as the file has them).
TEST(CutTime, JulianDayAsQDateGivesIt) {
    int checked = 0;
    for (int y = 0; y <= 9999; y += (y < 30 || y > 9970 || y % 100 == 0) ? 1 : 7)
        for (int m = 0; m <= 13; ++m)
            for (int d = 0; d <= 32; ++d) {
                std::int64_t day = -1;
                const bool ok = GregorianJulianDay(y, m, d, day);
                ASSERT_EQ(ok, QDate::isValid(y, m, d)) << y << "/" << m << "/" << d;
                if (ok) {
                    ASSERT_EQ(day, QDate(y, m, d).toJulianDay()) << y << "/" << m << "/" << d;
                }
                checked += ok;
            }
    EXPECT_GT(checked, 500000);
}

TEST_F(SokusenTest, FirstLineOfAnEmptyFileAndTheExactLineFormat) {
    const QString path = Path("収録.dat");
    WriteSjis(path, "");
    TSokusenColl coll(sink);
    ASSERT_TRUE(coll.Load(path));
    EXPECT_EQ(coll.Serial(), 0);
    EXPECT_EQ(coll.LastLineName(), "");
    EXPECT_EQ(coll.BeginLine(), 1);
    EXPECT_EQ(coll.AddCut(Cut(QStringLiteral("測線 A,1"), -12345.6786, 54321.1234)), 0);
    EXPECT_EQ(coll.AddCut(Cut(QStringLiteral("測線 A,1"), 1, 2)), 1);
    EXPECT_TRUE(coll.EndLine());
    EXPECT_TRUE(sink.entries.empty());
    EXPECT_EQ(coll.Serial(), 2);
    EXPECT_EQ(coll.CutNo(), 2);
    EXPECT_EQ(coll.LineNo(), 1);
    EXPECT_EQ(coll.X(), 1);
    EXPECT_EQ(coll.Dist(), 3.5);

    const QString first = ReadSjis(path).section("\r\n", 0, 0);
    EXPECT_EQ(first,
              QStringLiteral("    1,    1, \"測線 A,1\",    1,  -12345.679,   54321.123,   -1.250, "
                             "   3.500,   10,    35.123456,   139.654321,   40.125, "
                             "\"26/12/08 9:05:03\",       0.500,      -0.250,    0.125,    1.500"));
    EXPECT_TRUE(ReadBytes(path).endsWith("1.500\r\n"));
    EXPECT_EQ(ReadBytes(path).count("\r\n"), 2);
}

TEST_F(SokusenTest, WrittenFileReadsBackFieldForField) {
    const QString path = Path("rec.dat");
    WriteSjis(path, "");
    TSokusenColl coll(sink);
    ASSERT_TRUE(coll.Load(path));
    coll.BeginLine();
    coll.AddCut(Cut(QStringLiteral("一番 線"), 1.5, 2.25));
    coll.AddCut(Cut(QStringLiteral("一番 線"), 3.5, 4.75));
    coll.EndLine();
    EXPECT_FALSE([&] {
        coll.BeginLine();
        return coll.EndLine();
    }());  // no cut: false
    coll.BeginLine();
    coll.AddCut(Cut("L,2", 5, 6));
    coll.EndLine();

    TSokusenColl back(sink);
    ASSERT_TRUE(back.Load(path));
    EXPECT_TRUE(sink.entries.empty());
    ASSERT_EQ(back.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        const TSokusen& a = coll.Item(i);
        const TSokusen& b = back.Item(i);
        EXPECT_EQ(b.Serial, a.Serial);
        EXPECT_EQ(b.LineNo, a.LineNo);
        EXPECT_EQ(b.CutNo, a.CutNo);
        EXPECT_EQ(back.LineName(i), coll.LineName(i));
        EXPECT_EQ(back.Time(i), coll.Time(i));
        for (auto field : {&TSokusen::X, &TSokusen::Y, &TSokusen::H, &TSokusen::Dist,
                           &TSokusen::GpsA, &TSokusen::GpsB, &TSokusen::GpsH, &TSokusen::DX,
                           &TSokusen::DY, &TSokusen::DH, &TSokusen::DA})
            EXPECT_EQ(b.*field, a.*field);
        EXPECT_EQ(b.GpsInt, a.GpsInt);
    }
    EXPECT_EQ(back.Item(2).LineNo, 2);  // a line without cuts leaves no number behind
    EXPECT_EQ(back.Item(2).CutNo, 1);
    EXPECT_EQ(back.Item(2).Serial, 3);
    EXPECT_EQ(back.LineName(2), "L,2");
}

TEST_F(SokusenTest, NoCharacterOfANameCutsTheLineShort) {
    TSokusenColl coll(sink);
    TSokusen r{};
    r.Serial = 1;
    coll.Add(r, QString::fromUtf16(u"a\0b"));
    EXPECT_TRUE(coll.FormatLine(0).endsWith("0.000,    0.000"));
    EXPECT_TRUE(coll.FormatLine(0).contains(QString::fromUtf16(u"\"a\0b\"")));
}

TEST_F(SokusenTest, NumberingContinuesFromTheLastRecord) {
    const QString path = Path("rec.dat");
    WriteSjis(path, Line(56, 4, "x", 8) + Line(57, 4, "x", 9));
    TSokusenColl coll(sink);
    ASSERT_TRUE(coll.Load(path));
    EXPECT_EQ(coll.BeginLine(), 5);
    const int i = coll.AddCut(Cut("y", 0, 0));
    EXPECT_EQ(coll.Item(i).Serial, 58);
    EXPECT_EQ(coll.Item(i).CutNo, 1);
    EXPECT_EQ(coll.LastLineName(), "y");
}

TEST_F(SokusenTest, ABadLineIsReportedButReadingGoesOn) {
    const QString path = Path("rec.dat");
    WriteSjis(path, Line(1, 1, "a", 1) + "    2,    1, \"a\",    2,   garbage\r\n" +
                        Line(3, 1, "a", 3) + "\r\n" + Line(4, 2, "b", 1));
    TSokusenColl coll(sink);
    EXPECT_FALSE(coll.Load(path));
    EXPECT_EQ(sink.Texts(),
              QStringList{QStringLiteral("読込ｴﾗｰ\r\nﾌｧｲﾙ名：%1（2行目）").arg(path)});
    ASSERT_EQ(coll.Count(), 3);
    EXPECT_EQ(coll.Serial(), 4);
    // New cuts must not reuse the serial numbers of the records after the bad line.
    EXPECT_EQ(coll.BeginLine(), 3);
    EXPECT_EQ(coll.Item(coll.AddCut(Cut("c", 0, 0))).Serial, 5);
}

// A power cut can tear the last line anywhere, and DOS tools end files with 0x1A. Whatever
// the end looks like, the next cut is written on a line of its own, complete lines are
// never lost, and the file reads the same way on every later open.
TEST_F(SokusenTest, TornOrMarkedEndsTakeTheNextCutOnALineOfItsOwn) {
    const QString two = Line(1, 1, "a", 1) + Line(2, 1, "a", 2);
    const QString third = Line(3, 1, "a", 3);
    const QString thirdNoEnd = third.chopped(2);
    struct Case {
        const char* what;
        QByteArray bytes;
        int records;  // read before and (plus the new cut) after
        int badLine;  // 0: reads cleanly before and after
    };
    const Case cases[] = {
        {"inside a field", EncodeCp932(two + "    3,    1, \"a\",    3,  12.3"), 2, 3},
        {"after the last field", EncodeCp932(two + thirdNoEnd), 3, 0},
        {"after the CR", EncodeCp932(two + thirdNoEnd + "\r"), 3, 0},
        {"DOS end-of-file byte", EncodeCp932(two + third) + "\x1a", 3, 0},
        {"DOS end-of-file byte after a torn end", EncodeCp932(two + thirdNoEnd) + "\x1a", 3, 0},
        {"complete", EncodeCp932(two + third), 3, 0},
    };
    for (const Case& c : cases) {
        const QString path = Path("rec.dat");
        testing::WriteBytes(path, c.bytes);
        const QStringList errors =
            c.badLine ? QStringList{QStringLiteral("読込ｴﾗｰ\r\nﾌｧｲﾙ名：%1（%2行目）")
                                        .arg(path, QString::number(c.badLine))}
                      : QStringList();
        sink.entries.clear();
        TSokusenColl coll(sink);
        EXPECT_EQ(coll.Load(path), c.badLine == 0) << c.what;
        EXPECT_EQ(coll.Count(), c.records) << c.what;
        EXPECT_EQ(sink.Texts(), errors) << c.what;
        EXPECT_EQ(coll.BeginLine(), 2) << c.what;
        coll.AddCut(Cut("b", 7, 8));
        EXPECT_TRUE(coll.EndLine());

        for (int reopen = 0; reopen < 2; ++reopen) {
            sink.entries.clear();
            TSokusenColl back(sink);
            EXPECT_EQ(back.Load(path), c.badLine == 0) << c.what;
            EXPECT_EQ(sink.Texts(), errors) << c.what;
            ASSERT_EQ(back.Count(), c.records + 1) << c.what;
            EXPECT_EQ(back.Serial(), c.records + 1) << c.what;
            EXPECT_EQ(back.LineNo(), 2) << c.what;
            EXPECT_EQ(back.X(), 7) << c.what;
        }
        const QByteArray after = ReadBytes(path);
        EXPECT_FALSE(after.contains("\r\r")) << c.what;
        EXPECT_FALSE(after.contains('\x1a')) << c.what;
        EXPECT_TRUE(after.endsWith("1.500\r\n")) << c.what;
    }
}

// Numbers up to the last 32-bit value are read; the counters never wrap to a negative
// number: a cut that would need a larger number is refused, and nothing is written.
TEST_F(SokusenTest, NumbersAtTheThirtyTwoBitLimit) {
    struct Case {
        int serial, lineNo;
        int cutsTaken;  // cuts written before the next one is refused
    };
    constexpr int kMax = 2147483647;
    const Case cases[] = {{kMax, 5, 0}, {5, kMax, 0}, {kMax - 1, 3, 1}, {7, 3, 2}};
    for (const Case& c : cases) {
        const QString path = Path("rec.dat");
        WriteSjis(path, Line(c.serial, c.lineNo, "x", 1));
        sink.entries.clear();
        TSokusenColl coll(sink);
        ASSERT_TRUE(coll.Load(path)) << c.serial;
        EXPECT_EQ(coll.BeginLine(), std::int64_t{c.lineNo} + 1);
        int taken = 0;
        for (int i = 0; i < 2; ++i) taken += coll.AddCut(Cut("y", 1, 2)) >= 0 ? 1 : 0;
        EXPECT_EQ(taken, c.cutsTaken) << c.serial << " " << c.lineNo;
        EXPECT_EQ(sink.Texts(),
                  QStringList(2 - c.cutsTaken, QStringLiteral("側線ファイル書込エラー")));
        coll.EndLine();
        EXPECT_FALSE(ReadSjis(path).contains("-214748")) << c.serial << " " << c.lineNo;
        TSokusenColl back(sink);
        EXPECT_TRUE(back.Load(path));
        EXPECT_EQ(back.Count(), 1 + c.cutsTaken);
        for (int i = 0; i < back.Count(); ++i)
            EXPECT_TRUE(back.Item(i).Serial > 0 && back.Item(i).LineNo > 0);
    }
    // Beyond 32 bits, a number is a bad line.
    const QString path = Path("big.dat");
    WriteSjis(path,
              Line(1, 1, "x", 1) + Line(1, 1, "x", 1).replace("    1,    1,", "2147483648,    1,"));
    sink.entries.clear();
    TSokusenColl coll(sink);
    EXPECT_FALSE(coll.Load(path));
    EXPECT_EQ(coll.Count(), 1);
}

// A recording file that cannot be opened is said at the start of the line, naming it; no
// line is open and no cut is kept.
TEST_F(SokusenTest, AFileThatCannotBeOpenedIsReportedAtTheStartAndKeepsNoCut) {
    TSokusenColl coll(sink);
    const QString path = Path("missing/rec.dat");
    EXPECT_FALSE(coll.Load(path));
    sink.entries.clear();
    coll.BeginLine();
    EXPECT_FALSE(coll.Recording());
    EXPECT_EQ(sink.Texts(),
              QStringList{QStringLiteral("側線ファイル書込エラー\r\nﾌｧｲﾙ名：") + path});
    EXPECT_EQ(coll.AddCut(Cut("a", 1, 1)), -1);
    EXPECT_EQ(coll.Count(), 0);
    EXPECT_FALSE(coll.EndLine());
}

TEST_F(SokusenTest, LineNamesAreSharedWithinALine) {
    TSokusenColl coll(sink);
    TSokusen r{};
    coll.Add(r, "a");
    coll.Add(r, "a");
    coll.Add(r, "b");
    coll.Add(r, "a");
    EXPECT_EQ(coll.Item(0).NameIndex, coll.Item(1).NameIndex);
    EXPECT_NE(coll.Item(1).NameIndex, coll.Item(2).NameIndex);
    EXPECT_EQ(coll.LineName(3), "a");
    coll.Delete(0);
    EXPECT_EQ(coll.LineName(0), "a");
    EXPECT_EQ(coll.LineName(1), "b");
    EXPECT_LE(sizeof(TSokusen), 120u);
}

// Figures of the file's decimals are read as whole numbers, any other form as a real: both
// give the bits the general number reader gives, so a record prints as it did.
TEST_F(SokusenTest, EveryFormOfAFigureReadsAsTheNumberReaderReadsIt) {
    const char* forms[] = {"1.000",
                           "-0.000",
                           "-0.001",
                           "+1.500",
                           "1.5",
                           "1.23456",
                           "1e3",
                           ".500",
                           "-.250",
                           "12.000e0",
                           "123456789012.345",
                           "1234567890123.456",
                           "0.1234565",
                           "35.123456",
                           "0.000",
                           "-7.250",
                           "12345678.000",
                           "-123456789.001",
                           "98765432109.999",
                           "1.0000",
                           "1.00",
                           "1.000E2"};
    for (const char* form : forms) {
        SCOPED_TRACE(form);
        const QString path = Path("forms.dat");
        const QString f = QString::fromLatin1(form);
        WriteSjis(path, QStringLiteral("1, 1, \"L\", 1, %1, %1, %1, %1, 1, %1, %1, %1, "
                                       "\"26/12/08 10:00:00\", %1, %1, %1, %1\r\n")
                            .arg(f));
        TSokusenColl coll(sink);
        ASSERT_TRUE(coll.Load(path));
        ASSERT_EQ(coll.Count(), 1);
        double want = 0;
        ASSERT_TRUE(ParseReal(form, want));
        const TSokusen r = coll.Item(0);
        for (auto field : {&TSokusen::X, &TSokusen::Y, &TSokusen::H, &TSokusen::Dist,
                           &TSokusen::GpsA, &TSokusen::GpsB, &TSokusen::GpsH, &TSokusen::DX,
                           &TSokusen::DY, &TSokusen::DH, &TSokusen::DA})
            EXPECT_EQ(std::memcmp(&(r.*field), &want, sizeof want), 0) << r.*field;
    }
}

}  // namespace
}  // namespace tidrun
