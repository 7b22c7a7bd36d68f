#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "surveydata/codec.h"
#include "testfiles.h"

namespace tidrun {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

TEST(Cp932Codec, RoundTripsJapaneseAndWaveDash) {
    // 0x8160 is the wave dash as Windows maps it (U+FF5E); half-width katakana stay single bytes.
    const QByteArray bytes("\x8a\xee\x8f\x80\x93\x5f\x81\x60\xcc\xa7\xb2\xd9", 12);
    const QString text = DecodeCp932(bytes);
    EXPECT_EQ(text, QStringLiteral("基準点～ﾌｧｲﾙ"));
    EXPECT_EQ(EncodeCp932(text), bytes);
    // A character outside code page 932 becomes '?' instead of corrupting what follows.
    EXPECT_EQ(EncodeCp932(QStringLiteral("a😀b")), QByteArray("a?b"));
}

TEST(Cp932Codec, ControlCharactersAndOddBytesSurviveARoundTrip) {
    // ASCII stays ASCII beside Japanese text (the converter alone would swap 0x1A, 0x1C
    // and 0x7F), and the unused single bytes come back as they were.
    const QByteArray raw("\x1a\x1c\x7f\x82\xa0\x80\xa0\xfd\xfe\xff", 10);
    const QString text = DecodeCp932(raw);
    EXPECT_EQ(text.left(4), QString::fromUtf16(u"\x1a\x1c\x7f\u3042"));
    EXPECT_EQ(EncodeCp932(text), raw);
    // A lead byte without its trail byte is one unknown character; what follows is kept.
    EXPECT_EQ(DecodeCp932(QByteArray("\x82 a")), QString::fromUtf16(u"\xfffd a"));
    EXPECT_EQ(DecodeCp932(QByteArray("a\x82")), QString::fromUtf16(u"a\xfffd"));
}

TEST(Cp932Codec, ReadsCrLfAndLfAndWritesCrLf) {
    QTemporaryDir dir;
    const QString path = dir.filePath("t.txt");
    WriteBytes(path, QByteArray("one\r\ntwo\nthree"));
    QStringList lines;
    ASSERT_TRUE(ReadCp932Lines(path, lines));
    EXPECT_EQ(lines, (QStringList{"one", "two", "three"}));

    ASSERT_TRUE(WriteCp932LinesAtomic(path, {QStringLiteral("設定"), "x"}));
    EXPECT_EQ(ReadBytes(path), QByteArray("\x90\xdd\x92\xe8\r\nx\r\n"));
    EXPECT_FALSE(ReadCp932Lines(dir.filePath("missing.txt"), lines));
    EXPECT_FALSE(WriteCp932LinesAtomic(dir.filePath("no/such/dir.txt"), {"x"}));
}

// What Linux input methods type where Windows has code page 932 characters is stored as
// the bytes Windows writes; what no byte can hold is named, never turned into '?' unseen.
TEST(Cp932Codec, InputMethodCharactersAndWhatCannotBeStored) {
    const std::pair<char16_t, QByteArray> mapped[] = {
        {u'\u301C', "\x81\x60"}, {u'\u2212', "\x81\x7c"}, {u'\u00A5', "\x5c"},
        {u'\u2016', "\x81\x61"}, {u'\u00A2', "\x81\x91"}, {u'\u00A3', "\x81\x92"},
        {u'\u00AC', "\x81\xca"}, {u'\u2014', "\x81\x5c"},
    };
    for (const auto& [u, bytes] : mapped) {
        const QString text = QStringLiteral("測") + QChar(u) + QStringLiteral("線");
        EXPECT_EQ(EncodeCp932(text), "\x91\xaa" + bytes + "\x90\xfc") << int(u);
        EXPECT_EQ(FirstUnencodableCp932(text), QString()) << int(u);
    }
    const std::pair<QString, QString> unstorable[] = {
        {QStringLiteral("/data/café-ü"), QStringLiteral("é")},
        {QStringLiteral("測線😀"), QStringLiteral("😀")},
        {QStringLiteral("a\u00e0"), QStringLiteral("\u00e0")},
        {QStringLiteral("基準点～〜−¥ﾌｧｲﾙ ①"), QString()},
    };
    for (const auto& [text, first] : unstorable) EXPECT_EQ(FirstUnencodableCp932(text), first);
}

}  // namespace
}  // namespace tidrun
