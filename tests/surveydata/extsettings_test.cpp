#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <functional>

#include "surveydata/config.h"
#include "surveydata/jobsettings.h"
#include "surveydata/transfertemplate.h"
#include "testfiles.h"

namespace tidrun {
namespace {

using testing::ReadSjis;
using testing::WriteSjis;

TEST(ExtensionSettings, OwnSectionOnlyWhenUsedAndTheRestByteForByte) {
    QTemporaryDir dir;
    const QString cfg = TidrunCfgPath(dir.path());
    const QString before = QStringLiteral("[設定]\r\n通信=COM3\r\n収録方法=全データ\r\n");
    WriteSjis(cfg, before);
    TJobSettings s;
    s.Load(cfg);
    ASSERT_TRUE(s.Store(cfg));
    const QString asBefore = ReadSjis(cfg);
    EXPECT_FALSE(asBefore.contains(QStringLiteral("拡張")));  // never used: not written

    s.DepthSource = "COM4";
    s.DepthSpeed = "9600";
    s.Draft = "0.45";
    s.CutDistance = "2.5";
    s.RawLog = true;
    ASSERT_TRUE(s.Store(cfg));
    EXPECT_EQ(ReadSjis(cfg),
              asBefore + QStringLiteral("[拡張]\r\n測深入力=COM4\r\n測深速度=9600\r\n"
                                        "喫水=0.45\r\n距離間隔=2.5\r\n時刻付きログ=1\r\n"));
    TJobSettings back;
    back.Load(cfg);
    EXPECT_EQ(back.CutMethod, QStringLiteral("全データ"));  // [設定] keeps its own method
    EXPECT_EQ(back.EffectiveCutMethod(), 3);                // distance above 0 wins
    EXPECT_EQ(back.DepthPortNumber(), 4);
    EXPECT_EQ(back.DepthBaud(), 9600);
    EXPECT_DOUBLE_EQ(back.DraftMetres(), 0.45);
    EXPECT_DOUBLE_EQ(back.CutDistanceMetres(), 2.5);
    EXPECT_TRUE(back.RawLog);

    back.CutDistance = "0";  // back to the method of [設定]; the section, once there, stays
    ASSERT_TRUE(back.Store(cfg));
    TJobSettings again;
    again.Load(cfg);
    EXPECT_EQ(again.EffectiveCutMethod(), 2);
    EXPECT_TRUE(ReadSjis(cfg).contains(QStringLiteral("距離間隔=0\r\n")));
}

TEST(ExtensionSettings, ChecksOnOkWithTheirTexts) {
    QTemporaryDir dir;
    const QString area = dir.filePath("a.dat"), ref = dir.filePath("r.dat");
    const QString rec = dir.filePath("s.dat"), mark = dir.filePath("m.dat");
    for (const QString& p : {area, ref, rec, mark}) WriteSjis(p, "");
    auto valid = [&] {
        TJobSettings s;
        s.TansaFile = area;
        s.KijunFile = ref;
        s.SokusenFile = rec;
        s.MisokuFile = mark;
        return s;
    };
    struct Step {
        std::function<void(TJobSettings&)> change;
        QString text;  // empty: accepted
    };
    const QString samePort = QStringLiteral("測深入力にGPSと同じ通信ポートは使えません");
    const QString draft = QStringLiteral("喫水は0.00～9.99mで入力して下さい");
    const QString distance =
        QStringLiteral("距離間隔は0.1～1000mで入力して下さい（0は距離で収録しない）");
    const Step steps[] = {
        {[](TJobSettings& s) { s.DepthSource = "COM1"; }, samePort},
        {[](TJobSettings& s) {
             s.DepthSource = "COM2";
             s.OutMethod = QStringLiteral("文字");
         },
         QStringLiteral("測深入力に転送と同じ通信ポートは使えません\r\n"
                        "同じケーブルで受けるときは「転送通信」を選んで下さい")},
        {[](TJobSettings& s) { s.DepthSource = "COM2"; }, {}},  // transfer off: port is free
        {[](TJobSettings& s) { s.DepthSource = QStringLiteral("転送通信"); }, {}},
        {[](TJobSettings& s) { s.DepthSource = "COM9"; },
         QStringLiteral("測深入力を選択して下さい")},
        {[](TJobSettings& s) {
             s.DepthSource = "COM3";
             s.DepthSpeed = "2400";
         },
         QStringLiteral("測深速度を選択して下さい")},
        {[](TJobSettings& s) { s.Draft = "9.99"; }, {}},
        {[](TJobSettings& s) { s.Draft = "10"; }, draft},
        {[](TJobSettings& s) { s.Draft = "-0.1"; }, draft},
        {[](TJobSettings& s) { s.Draft = "a"; }, draft},
        {[](TJobSettings& s) { s.CutDistance = "0.1"; }, {}},
        {[](TJobSettings& s) { s.CutDistance = "1000"; }, {}},
        {[](TJobSettings& s) { s.CutDistance = "0.05"; }, distance},
        {[](TJobSettings& s) { s.CutDistance = "1000.1"; }, distance},
        {[](TJobSettings& s) { s.CutDistance = ""; }, distance},
        {[](TJobSettings& s) { s.OutText = "L{line} C{cut}"; }, {}},
        {[](TJobSettings& s) { s.OutText = "L{line} {cut"; },
         QStringLiteral("転送文字に使えない項目「{cut」があります\r\n"
                        "使える項目：{cut} {serial} {line} {depth} {time}")},
    };
    for (const Step& step : steps) {
        TJobSettings s = valid();
        step.change(s);
        RecordingSink out;
        SCOPED_TRACE(step.text.toStdString());
        EXPECT_EQ(s.Validate(out), step.text.isEmpty());
        EXPECT_EQ(out.Texts(), step.text.isEmpty() ? QStringList{} : QStringList{step.text});
    }
}

TEST(TransferTemplate, FieldsFilledAndEverythingElseKept) {
    TTransferFields f{12, 3456, QStringLiteral("測線A"), 8.456, QTime(9, 5, 7)};
    TTransferFields noDepth = f;
    noDepth.depth.reset();
    struct Case {
        QString text, expanded, unknown;
        const TTransferFields* fields;
    };
    const Case cases[] = {
        {"MARK", "MARK", "", &f},
        {"{line}/{cut}/{serial}/{depth}/{time}", QStringLiteral("測線A/12/3456/8.46/09:05:07"), "",
         &f},
        {"D{depth}E", "DE", "", &noDepth},
        {"{x}{cut}{", "{x}12{", "{x}", &f},
        {"}{}", "}{}", "{}", &f},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExpandTransferText(c.text, *c.fields), c.expanded) << c.text.toStdString();
        EXPECT_EQ(UnknownTransferField(c.text), c.unknown) << c.text.toStdString();
    }
}

}  // namespace
}  // namespace tidrun
