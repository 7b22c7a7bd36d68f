// tidrun-tool convert and nmea, run as processes on real files.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/positioning/test_util.h"

namespace tidrun {
namespace {

struct Result {
    int exitCode = -1;
    QByteArray out, err;
};

Result Tool(const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(QStringLiteral(TIDRUN_TOOL_PATH), args);
    EXPECT_TRUE(p.waitForStarted());
    p.write(input);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

QList<QByteArray> Lines(const QByteArray& b) {
    QList<QByteArray> l = b.split('\n');
    if (!l.isEmpty() && l.last().isEmpty()) l.removeLast();
    return l;
}

TEST(ToolConvert, MatchesTheVectorsAndAcceptsAnySeparator) {
    // Zone 9, world -> Tokyo rows of the vector file, written with mixed separators.
    QFile f(test::kGeodesyData + QStringLiteral("plane_vectors_sample.tsv"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    f.readLine();
    QByteArray input = "# lat lon h\n\n";
    QList<QList<QByteArray>> expected;
    int i = 0;
    while (!f.atEnd()) {
        const QList<QByteArray> c = f.readLine().trimmed().split('\t');
        if (c.size() < 9 || c[0] != "9" || c[1] != "0" || c[2] != "1") continue;
        const char* sep = (i++ % 3 == 0) ? ", " : (i % 3 == 1 ? "\t" : "  ");
        input += c[3] + sep + c[4] + sep + c[5] + "\r\n";
        expected << c;
    }
    ASSERT_GE(expected.size(), 3);
    const Result r = Tool({"convert", "--zone", "9", "--src", "0", "--dst", "1"}, input);
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    const QList<QByteArray> out = Lines(r.out);
    ASSERT_EQ(out.size(), expected.size());
    for (int k = 0; k < out.size(); ++k) {
        const QList<QByteArray> v = out[k].split(' ');
        ASSERT_EQ(v.size(), 3) << out[k].constData();
        EXPECT_EQ(v[0].size() - v[0].indexOf('.'), 5);  // four decimals
        EXPECT_NEAR(v[0].toDouble(), expected[k][6].toDouble(), 1e-4);
        EXPECT_NEAR(v[1].toDouble(), expected[k][7].toDouble(), 1e-4);
        EXPECT_NEAR(v[2].toDouble(), expected[k][8].toDouble(), 1e-4);
    }
}

TEST(ToolConvert, UnreadableLineAndBadArguments) {
    Result r = Tool({"convert", "--zone", "9", "--src", "0", "--dst", "0"},
                    "36 139.8333333333333 0\n# note\n36 abc 0\n37 139.8 0\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("line 3")) << r.err.constData();
    EXPECT_EQ(Lines(r.out).size(), 1);
    EXPECT_EQ(Lines(r.out).value(0), "0.0000 0.0000 0.0000");

    r = Tool({"convert", "--zone", "9", "--src", "0", "--dst", "0"}, "36 139.8 0 5\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("line 1"));

    // A place that does not exist is refused, not converted.
    for (const char* line : {"90.000001 139.8 0", "-91 139.8 0", "36 180.5 0", "36 -181 0"}) {
        r = Tool({"convert", "--zone", "9", "--src", "0", "--dst", "1"},
                 QByteArray("36 139.8 0\n") + line + "\n36 139.8 0\n");
        EXPECT_EQ(r.exitCode, 1) << line;
        EXPECT_TRUE(r.err.contains("line 2")) << line << r.err.constData();
        EXPECT_EQ(Lines(r.out).size(), 1) << line;
    }

    EXPECT_EQ(Tool({"convert", "--zone", "20", "--src", "0", "--dst", "0"}).exitCode, 2);
    EXPECT_EQ(Tool({"convert", "--zone", "9", "--src", "3", "--dst", "0"}).exitCode, 2);
    EXPECT_EQ(Tool({"convert", "--zone", "9"}).exitCode, 2);
}

TEST(ToolNmea, RealCaptureSummaryAndColumns) {
    const Result r = Tool({"nmea", "../shared/data/nmea/gpsd/nmea-rtk.log"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "sentences 244, GGA 122, RMC 122, GGK 0, other 0, errors 0, positions 122\n");
    const QList<QByteArray> out = Lines(r.out);
    ASSERT_EQ(out.size(), 245);
    EXPECT_EQ(out[0],
              "kind,errorFlag,time,quality,satellites,latitude,longitude,altitude,geoidSeparation,"
              "dgpsAge,stationId,speed,course,dop,position,X,Y,h,depth");
    const QList<QByteArray> gga = out[1].split(',');
    ASSERT_EQ(gga.size(), 19);
    EXPECT_EQ(gga.mid(0, 15),
              QList<QByteArray>({"1", "0", "13:28:19.60", "2", "10", "4134.497954590",
                                 "9345.034314080", "278.1610", "-31.4420", "6.6000", "133",
                                 "0.0000", "0.0000", "0.9000", "1"}));
    EXPECT_EQ(gga[17], "246.7190");  // altitude + geoid separation on the world datum
    const QList<QByteArray> rmc = out[2].split(',');
    EXPECT_EQ(rmc.mid(11, 8),
              QList<QByteArray>({"0.1480", "124.8880", "0.9000", "0", "", "", "", ""}));
}

TEST(ToolNmea, SounderSentencesFillTheDepthColumn) {
    const std::string bytes = test::Sentence("SDDBT,,f,12.50,M,,F") +
                              test::Sentence("SDDPT,8.40,0.60") + test::Sentence("SDDPT,,0.60") +
                              "$SDDBS,,f,7.25,M,,F\r\n";  // no checksum: taken
    const Result r = Tool({"nmea", "--draft", "0.45"}, QByteArray::fromStdString(bytes));
    EXPECT_EQ(r.exitCode, 0);
    const QList<QByteArray> out = Lines(r.out);
    ASSERT_EQ(out.size(), 5);
    QList<QByteArray> depths;
    for (qsizetype i = 1; i < out.size(); ++i) depths << out[i].split(',').value(18, "?");
    EXPECT_EQ(depths, QList<QByteArray>({"12.95", "9.00", "", "7.25"}));  // no bottom: empty
    EXPECT_EQ(Tool({"nmea", "--draft", "10"}).exitCode, 2);
}

TEST(ToolNmea, DamagedInputOptionsAndSeveralFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string good =
        test::Sentence("GPGGA,123519.78,3600.0000,N,13950.0000,E,1,08,0.9,30.0,M,10.0,M,,");
    std::string corrupt = good;
    corrupt[12] = '0';
    const std::string bytes =
        "junk" + good + "\n" + corrupt + "\n" +
        test::Sentence("GPGGA,246000,3600.0000,N,13950.0000,E,1,08,0.9,30.0,M,10.0,M,,") +
        test::Sentence("GPGGA,,,,,,0,,,,M,,M,,") + "\n" + "$GPGGA,1235";  // cut off at the end
    const QString path = dir.filePath(QStringLiteral("capture.nmea"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    Result r = Tool({"nmea", "--zone", "9", "--src", "0", "--dst", "1", path});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "sentences 4, GGA 3, RMC 0, GGK 0, other 0, errors 3, positions 1\n");
    QList<QByteArray> out = Lines(r.out);
    ASSERT_EQ(out.size(), 5);
    EXPECT_TRUE(
        out[1].startsWith("1,0,12:35:19.78,1,8,3600.000000000,13950.000000000,30.0000,"
                          "10.0000,0.0000,0,0.0000,0.0000,0.9000,1,"));
    // Tokyo datum: hundreds of metres from the world origin of zone 9.
    const QList<QByteArray> c = out[1].split(',');
    EXPECT_GT(std::abs(c[15].toDouble()), 100.0);
    EXPECT_TRUE(out[2].startsWith("1,-1,12:35:19.78,"));  // bad checksum: state as before
    EXPECT_TRUE(out[2].endsWith(",0,,,,"));
    EXPECT_TRUE(out[3].startsWith("1,-1,00:00:00.00,1,8,"));  // impossible time
    EXPECT_TRUE(out[3].endsWith(",0,,,,"));
    EXPECT_TRUE(out[4].startsWith("1,-1,00:00:00.00,0,0,0.000000000,0.000000000,"));  // no time
    EXPECT_TRUE(out[4].endsWith(",0,,,,"));

    // The same file twice and once through standard input: the decoder carries on.
    r = Tool({"nmea", path, "-"}, QByteArray(bytes.data(), static_cast<int>(bytes.size())));
    EXPECT_EQ(r.err, "sentences 8, GGA 6, RMC 0, GGK 0, other 0, errors 6, positions 2\n");
    EXPECT_EQ(Lines(r.out).size(), 9);

    // Huge numbers are printed in full, as printf would.
    const std::string huge =
        test::Sentence("GPGGA,123519.78,1e300,N,-1e300,E,1,08,1e300,1e300,M,-1e300,M,1e300,1") +
        test::Sentence("GPRMC,123519.78,A,1,N,1,E,1e300,-1e300,010624,,,D");
    r = Tool({"nmea"}, QByteArray(huge.data(), static_cast<int>(huge.size())));
    EXPECT_EQ(r.exitCode, 0);
    out = Lines(r.out);
    ASSERT_EQ(out.size(), 3);
    const QList<QByteArray> h = out[2].split(',');
    ASSERT_EQ(h.size(), 19);
    EXPECT_EQ(h[5].size(), 301 + 10);  // 1e300 has 301 digits, then nine decimals
    EXPECT_TRUE(h[6].startsWith("-1000000000000000052504760255204420248704468581"));
    EXPECT_EQ(h[12].size(), 302 + 5);  // "-" and 301 digits, then four decimals

    // A fix without coordinates, with a signed one or with a height that is no number is
    // shown, but is no position, as in the console; an estimated fix still moves the boat.
    const std::string empty =
        test::Sentence("GPGGA,123519.78,,N,,E,1,08,0.9,30.0,M,10.0,M,,") +
        test::Sentence("GPGGA,123520.78,9100.0,N,13950.0,E,2,08,0.9,30.0,M,10.0,M,,") +
        test::Sentence("GPGGA,123521.78,-3527.339562,N,13950.0,E,2,08,0.9,30.0,M,10.0,M,,") +
        test::Sentence("GPGGA,123522.78,3527.3,N,13950.0,E,2,08,0.9,nan,M,10.0,M,,") +
        test::Sentence("GPGGA,123523.78,3527.3,N,13950.0,E,6,08,0.9,30.0,M,10.0,M,,");
    r = Tool({"nmea"}, QByteArray(empty.data(), static_cast<int>(empty.size())));
    out = Lines(r.out);
    ASSERT_EQ(out.size(), 6);
    EXPECT_TRUE(out[3].startsWith("1,0,12:35:21.78,2,8,-3527.339562000,")) << out[3].constData();
    EXPECT_TRUE(out[3].endsWith(",0,,,,"));
    EXPECT_TRUE(out[4].endsWith(",0,,,,")) << out[4].constData();
    EXPECT_TRUE(out[5].contains(",6,8,3527.300000000,")) << out[5].constData();
    EXPECT_FALSE(out[5].contains(",0,,,")) << out[5].constData();
    EXPECT_TRUE(out[1].startsWith("1,0,12:35:19.78,1,8,0.000000000,0.000000000,"))
        << out[1].constData();
    EXPECT_TRUE(out[1].endsWith(",0,,,,"));
    EXPECT_TRUE(out[2].startsWith("1,0,12:35:20.78,2,8,9100.000000000,13950.000000000,"));
    EXPECT_TRUE(out[2].endsWith(",0,,,,"));
    EXPECT_TRUE(r.err.endsWith("positions 1\n"));

    r = Tool({"nmea", dir.filePath(QStringLiteral("missing.nmea"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("missing.nmea"));
    EXPECT_EQ(Tool({"nmea", "--zone", "0"}).exitCode, 2);
}

// A full output is reported with the error of the write that failed.
TEST(ToolNmea, FullOutputReportsItsOwnError) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    p.setProcessEnvironment(env);
    p.setStandardOutputFile(QStringLiteral("/dev/full"));
    // Several megabytes of output, so that the writing thread meets the full disk first.
    QStringList args{QStringLiteral("nmea")};
    for (int i = 0; i < 100; ++i) args << QStringLiteral("../shared/data/nmea/gpsd/nmea-rtk.log");
    p.start(QStringLiteral(TIDRUN_TOOL_PATH), args);
    ASSERT_TRUE(p.waitForFinished(60000));
    const QByteArray err = p.readAllStandardError();
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(err.contains("cannot write the output: No space left on device"))
        << err.constData();
}

}  // namespace
}  // namespace tidrun
