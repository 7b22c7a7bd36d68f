#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <cmath>
#include <limits>

#include "surveydata/inifile.h"
#include "testfiles.h"

namespace tidrun {
namespace {

using testing::ReadBytes;
using testing::ReadSjis;
using testing::WriteSjis;

TEST(IniFile, WritingAKeyKeepsEverythingElseInPlace) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Tidrun.CFG");
    WriteSjis(path, QStringLiteral("; job of the harbour\r\n"
                                   "[設定]\r\n"
                                   "通信=COM3\r\n"
                                   "工事名= 港内 \r\n"
                                   "\r\n"
                                   "[ToolBar.標準]\n"  // a section the program does not know
                                   "Dock=Top\n"
                                   "; keep me\n"
                                   "Row=0\n"
                                   "\n"
                                   "[平面図0]\r\n"
                                   "Top=5\r\n"));
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString(QStringLiteral("設定"), QStringLiteral("工事名"), "x"),
              QStringLiteral("港内"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("設定"), QStringLiteral("速度"), "4800"), "4800");
    EXPECT_EQ(ini.ReadInteger("toolbar.標準", "ROW", -1), 0);  // names match in any ASCII case

    ASSERT_TRUE(ini.WriteString(QStringLiteral("設定"), QStringLiteral("通信"), "COM1"));
    ASSERT_TRUE(ini.WriteString(QStringLiteral("設定"), QStringLiteral("速度"), "9600"));
    ASSERT_TRUE(ini.WriteInteger("toolbar.標準", "Col", 2));
    ASSERT_TRUE(ini.WriteBool(QStringLiteral("平面図1"), "Zoomed", true));
    EXPECT_EQ(ReadSjis(path), QStringLiteral("; job of the harbour\r\n"
                                             "[設定]\r\n"
                                             "通信=COM1\r\n"
                                             "工事名= 港内 \r\n"
                                             "速度=9600\r\n"
                                             "\r\n"
                                             "[ToolBar.標準]\r\n"
                                             "Dock=Top\r\n"
                                             "; keep me\r\n"
                                             "Row=0\r\n"
                                             "Col=2\r\n"
                                             "\r\n"
                                             "[平面図0]\r\n"
                                             "Top=5\r\n"
                                             "[平面図1]\r\n"
                                             "Zoomed=1\r\n"));
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Tidrun.CFG"});

    // Lines the program does not change keep their bytes, even where decoding and encoding
    // again would not give them back: NEC row 13 and NEC-selected IBM extension characters
    // (which encode to other code points), PC-98 codes and a stray lead byte (which do not
    // decode at all), in values of ours and in sections of other programs.
    {
        QTemporaryDir other;
        const QString raw = other.filePath("Tidrun.CFG");
        const QByteArray before =
            "[\x90\xdd\x92\xe8]\r\n"                                 // [設定]
            "\x8d\x48\x8e\x96\x96\xbc=\x87\x40\x87\x9a\xee\xef\r\n"  // 工事名=①∵ⅰ (NEC, NEC-IBM)
            "\x8a\xee\x8f\x80=\x85\x40\x86\x9e.dat\r\n"              // 基準= PC-98 codes
            "\x92\xb2\x8d\xb8=area\x82 .dat\r\n"                     // 調査= a stray lead byte
            "\x92\xca\x90\x4d=COM3\r\n"                              // 通信=COM3
            "[OtherTool]\n"
            "Title=\xfa\x40\xed\x40\x81\xca\xb1\n";
        testing::WriteBytes(raw, before);
        TIniFile rawIni(raw);
        ASSERT_TRUE(rawIni.WriteString(QStringLiteral("設定"), QStringLiteral("通信"), "COM1"));
        QByteArray expected = before;
        expected.replace("COM3", "COM1").replace("\n", "\r\n").replace("\r\r\n", "\r\n");
        EXPECT_EQ(ReadBytes(raw), expected);
    }
}

TEST(IniFile, EmptyNamedSectionAndCp932OnDisk) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Tidrun.INI");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString(QString(), "WORKDIR", "/opt/tidrun"), "/opt/tidrun");  // no file
    ASSERT_TRUE(ini.WriteString(QString(), "WORKDIR", QStringLiteral("/data/港")));
    EXPECT_EQ(ReadBytes(path), QByteArray("[]\r\nWORKDIR=/data/\x8d\x60\r\n"));
    EXPECT_EQ(ini.ReadString(QString(), "WORKDIR", ""), QStringLiteral("/data/港"));
    EXPECT_TRUE(ini.ReadSections().contains(QString()));
}

TEST(IniFile, BooleansIntegersAndReals) {
    QTemporaryDir dir;
    const QString path = dir.filePath("t.ini");
    WriteSjis(path,
              "[s]\nb1=1\nb2=0\nb3=TRUE\nb4=false\nb5=yes\nb6=2\n"
              "i1=-12\ni2=0x1F\ni3=12abc\nr1=1.5e3\nr2=abc\n");
    TIniFile ini(path);
    EXPECT_TRUE(ini.ReadBool("s", "b1", false));
    EXPECT_FALSE(ini.ReadBool("s", "b2", true));
    EXPECT_TRUE(ini.ReadBool("s", "b3", false));
    EXPECT_FALSE(ini.ReadBool("s", "b4", true));
    EXPECT_TRUE(ini.ReadBool("s", "b5", true));  // unreadable: the default
    EXPECT_FALSE(ini.ReadBool("s", "b5", false));
    EXPECT_TRUE(ini.ReadBool("s", "b6", false));
    EXPECT_EQ(ini.ReadInteger("s", "i1", 0), -12);
    EXPECT_EQ(ini.ReadInteger("s", "i2", 0), 31);
    EXPECT_EQ(ini.ReadInteger("s", "i3", 7), 7);
    EXPECT_EQ(ini.ReadFloat("s", "r1", 0), 1500);
    EXPECT_EQ(ini.ReadFloat("s", "r2", 2.5), 2.5);

    ASSERT_TRUE(ini.WriteBool("s", "b3", false));
    EXPECT_TRUE(ReadSjis(path).contains("b3=0\r\n"));
    // Reals come back bit for bit, in their shortest form.
    const double values[] = {0.1,    1.0 / 3, -123456.789, 1e-300,
                             5e-324, 1e21,    -0.0,        std::numeric_limits<double>::max()};
    for (double v : values) {
        ASSERT_TRUE(ini.WriteFloat("s", "r", v));
        const double back = ini.ReadFloat("s", "r", 42);
        EXPECT_EQ(back, v);
        EXPECT_EQ(std::signbit(back), std::signbit(v));
    }
    EXPECT_EQ(TIniFile::FormatFloat(0.1), "0.1");
    EXPECT_EQ(TIniFile::FormatFloat(-123456.789), "-123456.789");
}

TEST(IniFile, ValuesCannotBreakTheFileApart) {
    QTemporaryDir dir;
    const QString path = dir.filePath("t.ini");
    TIniFile ini(path);
    ASSERT_TRUE(ini.WriteString("s", "a", "one\r\n[evil]\r\nb=2"));
    EXPECT_EQ(ini.ReadSections(), QStringList{"s"});
    EXPECT_FALSE(ini.ValueExists("s", "b"));
    EXPECT_FALSE(TIniFile(dir.filePath("no/dir/t.ini")).WriteString("s", "a", "x"));
}

TEST(IniFile, EraseSectionAndDeleteKey) {
    QTemporaryDir dir;
    const QString path = dir.filePath("t.ini");
    WriteSjis(path, "[a]\nx=1\n[b]\ny=2\n[c]\nz=3\n");
    TIniFile ini(path);
    ASSERT_TRUE(ini.EraseSection("b"));
    ASSERT_TRUE(ini.WriteString("b", "y", "5"));  // comes back as a new section at the end
    ASSERT_TRUE(ini.DeleteKey("a", "x"));
    EXPECT_EQ(ReadSjis(path), "[a]\r\n[c]\r\nz=3\r\n[b]\r\ny=5\r\n");
    EXPECT_EQ(ini.ReadSection("c"), QStringList{"z"});
}

// A value in one pair of matching quotes reads without them, as Windows reads it; a value
// written with quotes of its own reads back as written.
TEST(IniFile, OnePairOfQuotesIsNotPartOfTheValue) {
    QTemporaryDir dir;
    const QString path = dir.filePath("t.ini");
    WriteSjis(path, QStringLiteral("[設定]\n基準=\"kijun.dat\"\nA='a b'\nB=\"x'\nC=\"\"\nD=\"\n"
                                   "E=\"\"q\"\"\nF= \"港\" \nG=a\"b\"\n"));
    TIniFile ini(path);
    const std::pair<const char*, QString> reads[] = {
        {"基準", "kijun.dat"},
        {"A", "a b"},
        {"B", "\"x'"},
        {"C", ""},
        {"D", "\""},
        {"E", "\"q\""},
        {"F", QStringLiteral("港")},
        {"G", "a\"b\""},
    };
    for (const auto& [key, value] : reads)
        EXPECT_EQ(ini.ReadString(QStringLiteral("設定"), QString::fromUtf8(key), "?"), value)
            << key;
    for (const QString& v :
         {QStringLiteral("\"q\""), QStringLiteral("'x'"), QStringLiteral("\"")}) {
        ASSERT_TRUE(ini.WriteString("s", "k", v));
        EXPECT_EQ(ini.ReadString("s", "k", "?"), v);
    }
}

}  // namespace
}  // namespace tidrun
