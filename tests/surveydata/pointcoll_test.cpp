#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

#include "surveydata/pointcoll.h"
#include "testfiles.h"

namespace tidrun {
namespace {

using testing::ReadBytes;
using testing::ReadSjis;
using testing::WriteSjis;

QString ReadError(const QString& path) {
    return QStringLiteral("ﾌｧｲﾙが読めません\r\nﾌｧｲﾙ名：") + path;
}
QString LineError(const QString& path, int line) {
    return QStringLiteral("読込ｴﾗｰ\r\nﾌｧｲﾙ名：") + path + QStringLiteral("（%1行目）").arg(line);
}

class PointCollTest : public ::testing::Test {
  protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir dir;
    RecordingSink sink;
};

TEST(FieldSplitting, DelimiterRunsQuotesAndMissingFields) {
    const auto f = SplitFields(",, a  ,b\t\"c d,e\"f  ");
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0], "a");
    EXPECT_EQ(f[1], "b");
    EXPECT_EQ(f[2], "\"c d,e\"f");  // quotes group and stay part of the text
    std::string_view out[4];
    EXPECT_EQ(SplitFields("x", out, 4), 1);
    EXPECT_EQ(out[3], "");  // beyond the end of the line: empty
    EXPECT_TRUE(SplitFields("  \t,", out, 4) == 0);
}

TEST(FieldSplitting, NumberSyntax) {
    double v = 0;
    for (const char* ok : {"1", "-2.5", "+3", ".5", "7.", "1e3", "-1.5E-2"})
        EXPECT_TRUE(ParseReal(ok, v)) << ok;
    EXPECT_TRUE(ParseReal("-1.5E-2", v));
    EXPECT_DOUBLE_EQ(v, -0.015);
    for (const char* bad : {"", "-", ".", "abc", "1.2.3", "1e", "inf", "nan", "0x10", "1 ", "--1"})
        EXPECT_FALSE(ParseReal(bad, v)) << bad;
    EXPECT_FALSE(ParseReal(std::string_view(), v));
    EXPECT_FALSE(ParseInt(std::string_view(), *std::make_unique<int>()));
    // Correctly rounded, on the quick path as on the long one.
    for (const char* text : {"0.1", "-145266.075", "135.248401", "9007199254740993", "1e-7",
                             "0.12345678901234567890123", "123456789012345678901234.5"}) {
        ASSERT_TRUE(ParseReal(text, v));
        EXPECT_EQ(v, std::strtod(text, nullptr)) << text;
    }
    int i = 0;
    EXPECT_TRUE(ParseInt("+12", i));
    EXPECT_EQ(i, 12);
    EXPECT_TRUE(ParseInt("-7", i));
    EXPECT_EQ(i, -7);
    for (const char* bad :
         {"", "1.0", "x", "99999999999", "-", "+-5", "-+5", "++5", "--5", "+", "2147483648"})
        EXPECT_FALSE(ParseInt(bad, i)) << bad;
    EXPECT_TRUE(ParseInt("2147483647", i));
    EXPECT_TRUE(ParseInt("-2147483648", i));
}

TEST_F(PointCollTest, ReferencePointsFromCp932File) {
    const QString path = Path("基準点.txt");
    WriteSjis(path, QStringLiteral("P1 100.5 200.25\r\n"
                                   "P2,1,2,3\r\n"
                                   "\r\n"
                                   "\"A B\" 10 20 -1.5\n"
                                   "基準１\t-5\t6\t7 extra"));  // LF only, no final line end
    TKijunColl coll(sink);
    ASSERT_TRUE(coll.Load(path));
    EXPECT_TRUE(sink.entries.empty());
    ASSERT_EQ(coll.Count(), 4);
    EXPECT_EQ(coll.Item(0).Name, "P1");
    EXPECT_EQ(coll.Item(0).X, 100.5);
    EXPECT_EQ(coll.Item(0).Y, 200.25);
    EXPECT_EQ(coll.Item(0).Z, 0);  // no third number
    EXPECT_EQ(coll.Item(1).Z, 3);
    EXPECT_EQ(coll.Item(2).Name, "\"A B\"");
    EXPECT_EQ(coll.Item(2).Z, -1.5);
    EXPECT_EQ(coll.Item(3).Name, QStringLiteral("基準１"));
    EXPECT_EQ(coll.Item(3).X, -5);
    EXPECT_EQ(coll.FileName(), path);
}

TEST_F(PointCollTest, BadLineStopsWithItsPhysicalLineNumber) {
    const QString path = Path("k.txt");
    // Line 2 is empty but counted; line 3 has one number only.
    WriteSjis(path, "P1 1 2\r\n\r\nP3 5\r\nP4 1 2\r\n");
    TKijunColl coll(sink);
    EXPECT_FALSE(coll.Load(path));
    EXPECT_EQ(sink.Texts(), QStringList{LineError(path, 3)});
    ASSERT_EQ(coll.Count(), 1);  // what came before stays
    EXPECT_EQ(coll.Item(0).Name, "P1");
}

TEST_F(PointCollTest, MissingFileGivesOneErrorAndAnEmptyCollection) {
    TIjoColl coll(sink);
    coll.Add(1, 2, "old", "");
    const QString path = Path("none.txt");
    EXPECT_FALSE(coll.Load(path));
    EXPECT_EQ(sink.Texts(), QStringList{ReadError(path)});
    EXPECT_EQ(coll.Count(), 0);
    EXPECT_FALSE(coll.LoadIncomplete());  // nothing there to lose
}

TEST_F(PointCollTest, SurveyAreaAndBuoyPoints) {
    const QString area = Path("area.txt");
    WriteSjis(area, "a 10 20 1 7\r\nb 5 30 1 0\r\nc 5 10 2 0\r\nd 12 10 2 0\r\n");
    TTansaColl tansa(sink);
    ASSERT_TRUE(tansa.Load(area));
    ASSERT_EQ(tansa.Count(), 4);
    EXPECT_EQ(tansa.Item(0).Region, 1);
    EXPECT_EQ(tansa.Item(0).Tag, 7);
    EXPECT_EQ(tansa.Item(2).Region, 2);
    EXPECT_EQ(tansa.MinX(), 5);
    EXPECT_EQ(tansa.MaxX(), 12);
    EXPECT_EQ(tansa.MinY(), 10);
    EXPECT_EQ(tansa.MaxY(), 30);

    WriteSjis(area, "a 10 20 1 7\r\nb 5 30 1.5 0\r\n");  // a region must be an integer
    EXPECT_FALSE(tansa.Load(area));
    EXPECT_EQ(sink.Texts().last(), LineError(area, 2));
    TTansaColl empty(sink);
    EXPECT_EQ(empty.MinX(), 0);
    EXPECT_EQ(empty.MaxY(), 0);

    const QString buoys = Path("buoy.txt");
    WriteSjis(buoys, QStringLiteral("B1 1 2\r\nB2 3 4 浮標 ignored\r\n"));
    TIjoColl ijo(sink);
    ASSERT_TRUE(ijo.Load(buoys));
    EXPECT_EQ(ijo.Item(0).Note, "");
    EXPECT_EQ(ijo.Item(1).Note, QStringLiteral("浮標"));
}

TEST_F(PointCollTest, MarkNamesDefaultsAndQuotesOnReading) {
    const QString path = Path("mark.txt");
    WriteSjis(path, "1 2\r\n3 4 \"  \" 5\r\n6 7 \"a b\" 8\r\n9 10 plain 11\r\n");
    TMisokuColl coll(sink);
    ASSERT_TRUE(coll.Load(path));
    ASSERT_EQ(coll.Count(), 4);
    EXPECT_EQ(coll.Item(0).Name, QStringLiteral("(マーク)"));
    EXPECT_EQ(coll.Item(0).Number, 0);
    EXPECT_EQ(coll.Item(1).Name, QStringLiteral("(マーク)"));
    EXPECT_EQ(coll.Item(2).Name, "a b");
    EXPECT_EQ(coll.Item(3).Number, 11);
}

TEST_F(PointCollTest, MarkFileWrittenByTheProgramReadsBackFieldForField) {
    const QString path = Path("marks.dat");
    TMisokuColl coll(sink);
    coll.Add(-12345.678, 98765.4321, "plain", 3);
    coll.Add(1, 2, "with blank", 0);
    coll.Add(3, 4, "comma,name", -1);
    coll.Add(5, 6, "tab\tname", 12);
    coll.Add(7, 8, QStringLiteral(" \t未測点Ａ  "), 4);   // stored trimmed
    coll.Add(7, 8, QStringLiteral("　全角　空白　"), 4);  // full-width blanks belong to the name
    coll.Add(9, 10, "say \"hi\" there", 5);
    ASSERT_TRUE(coll.Save(path));
    const QString text = ReadSjis(path);
    EXPECT_TRUE(text.startsWith(
        "-12345.678  98765.432 plain 3\r\n     1.000      2.000 \"with blank\" 0\r\n"))
        << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("     7.000      8.000 未測点Ａ 4\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("     7.000      8.000 　全角　空白　 4\r\n")));
    EXPECT_TRUE(ReadBytes(path).contains("\x96\xa2\x91\xaa\x93\x5f"));  // cp932 on disk

    TMisokuColl back(sink);
    ASSERT_TRUE(back.Load(path));
    EXPECT_TRUE(sink.entries.empty());
    ASSERT_EQ(back.Count(), coll.Count());
    for (int i = 0; i < coll.Count(); ++i) {
        EXPECT_NEAR(back.Item(i).X, coll.Item(i).X, 5e-4);
        EXPECT_NEAR(back.Item(i).Y, coll.Item(i).Y, 5e-4);
        EXPECT_EQ(back.Item(i).Number, coll.Item(i).Number);
        if (i != 6) {
            EXPECT_EQ(back.Item(i).Name, coll.Item(i).Name);
        }
    }
    // A double quote would pair with nothing on reading; it comes back as the full-width one.
    EXPECT_EQ(back.Item(6).Name, QStringLiteral("say ＂hi＂ there"));
}

// Files as other tools leave them: older DOS tools end them with the end-of-file byte 0x1A;
// a path may hold "%1"; a line too long to be real is a bad line that reading goes past.
TEST_F(PointCollTest, EndOfFileBytePercentPathsAndOverlongLines) {
    struct Case {
        const char* name;
        QByteArray bytes;
        int count;
        int badLine;  // 0: loads cleanly
    };
    const QByteArray longLine(100 << 10, '7');
    const Case cases[] = {
        {"eof.txt", "r1 1 2\r\nr2 3 4\r\n\x1a", 2, 0},
        {"eof-no-crlf.txt", "r1 1 2\r\nr2 3 4\x1a", 2, 0},
        {"eof-run.txt", "r1 1 2\r\n\x1a\x1a\x1a", 1, 0},
        {"eof-inside.txt", "r1 1 2\r\n\x1a\r\nr2 3 4\r\n", 1, 2},
        {"%1 %2 ﾌｧｲﾙ.txt", "r1 1 2\r\nr2 x 4\r\n", 1, 2},
        {"long.txt", "r1 1 2\r\nr2 " + longLine + " 4\r\nr3 5 6\r\n", 1, 2},
        {"long-last.txt", "r1 1 2\r\n" + QByteArray(5 << 20, ' ') + "r2 1 2", 1, 2},
    };
    for (const Case& c : cases) {
        const QString path = Path(c.name);
        testing::WriteBytes(path, c.bytes);
        sink.entries.clear();
        TKijunColl coll(sink);
        EXPECT_EQ(coll.Load(path), c.badLine == 0) << c.name;
        EXPECT_EQ(coll.Count(), c.count) << c.name;
        EXPECT_EQ(sink.Texts(), c.badLine ? QStringList{LineError(path, c.badLine)} : QStringList())
            << c.name;
    }
}

TEST_F(PointCollTest, MarkEditsRefuseToOverwriteAFileThatWasNotRead) {
    const QString path = Path("marks.dat");
    const QByteArray original = "1 2 a 0\r\nbroken line\r\n3 4 b 0\r\n";
    testing::WriteBytes(path, original);
    TMisokuColl coll(sink);
    EXPECT_FALSE(coll.Load(path));
    ASSERT_EQ(coll.Count(), 1);
    const QString refused =
        QStringLiteral("マークファイルの読込に失敗したため保存できません\r\nﾌｧｲﾙ名：") + path;
    sink.entries.clear();
    EXPECT_FALSE(coll.AddAndSave(5, 6, "c", 1));
    EXPECT_FALSE(coll.ChangeAndSave(0, "z", 2));
    EXPECT_FALSE(coll.DeleteAndSave(0));
    EXPECT_FALSE(coll.Save());
    EXPECT_EQ(sink.Texts(), QStringList(4, refused));
    EXPECT_EQ(coll.Count(), 1);
    EXPECT_EQ(coll.Item(0).Name, "a");
    EXPECT_EQ(ReadBytes(path), original);

    // Once the file reads cleanly, edits are saved at once.
    testing::WriteBytes(path, "1 2 a 0\r\n");
    ASSERT_TRUE(coll.Load(path));
    EXPECT_TRUE(coll.AddAndSave(5, 6, "c", 1));
    EXPECT_TRUE(coll.ChangeAndSave(0, " ", 2));
    EXPECT_TRUE(coll.DeleteAndSave(1));
    EXPECT_EQ(ReadSjis(path), QStringLiteral("     1.000      2.000 (マーク) 2\r\n"));

    // A mark file that does not exist yet is simply created.
    TMisokuColl fresh(sink);
    EXPECT_FALSE(fresh.Load(Path("new.dat")));
    EXPECT_TRUE(fresh.AddAndSave(1, 1, "m", 0));
    EXPECT_EQ(ReadBytes(Path("new.dat")), QByteArray("     1.000      1.000 m 0\r\n"));
}

TEST_F(PointCollTest, SaveFailureIsReportedAndLeavesNoFile) {
    TMisokuColl coll(sink);
    coll.Add(1, 2, "m", 0);
    const QString bad = Path("no/such/folder/m.dat");
    EXPECT_FALSE(coll.Save(bad));
    EXPECT_EQ(sink.Texts(), QStringList{QStringLiteral("ﾌｧｲﾙを書込できません\r\nﾌｧｲﾙ名：") + bad});
    EXPECT_FALSE(coll.Save(dir.path()));  // a folder is no file
    EXPECT_EQ(sink.entries.size(), 2u);
}

TEST(World, DefaultsUntilThePointsArrive) {
    TWorld w;
    w.SetDefault(0, 0, 100, 100);
    EXPECT_EQ(w.Xmin(), 0);
    EXPECT_EQ(w.Ymax(), 100);
    w.Add(5, -3);
    w.Add(-2, 8);
    EXPECT_EQ(w.Count(), 2);
    EXPECT_EQ(w.Xmin(), -2);
    EXPECT_EQ(w.Xmax(), 5);
    EXPECT_EQ(w.Ymin(), -3);
    EXPECT_EQ(w.Ymax(), 8);
}

}  // namespace
}  // namespace tidrun
