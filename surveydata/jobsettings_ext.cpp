// The [拡張] section of Tidrun.CFG: depth input, draft, cuts by distance, the raw log.
#include <cmath>
#include <utility>

#include "surveydata/inifile.h"
#include "surveydata/jobsettings.h"
#include "surveydata/transfertemplate.h"

namespace tidrun {

namespace {

const QString kExt = QStringLiteral("拡張");
const QString kSourceKey = QStringLiteral("測深入力");
const QString kSpeedKey = QStringLiteral("測深速度");
const QString kDraftKey = QStringLiteral("喫水");
const QString kDistanceKey = QStringLiteral("距離間隔");
const QString kRawKey = QStringLiteral("時刻付きログ");

const TJobSettings kDefaults;

// A plain decimal number as typed ("1.5", " 2 "); nothing for anything else.
std::optional<double> Metres(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace

const QStringList& TJobSettings::DepthSourceChoices() {
    static const QStringList list = [] {
        QStringList l = {QStringLiteral("しない"), QStringLiteral("転送通信")};
        l += PortChoices();
        return l;
    }();
    return list;
}

void TJobSettings::LoadExtension(const TIniDocument& doc) {
    auto str = [&](const QString& key, const QString& def) {
        return doc.Value(kExt, key).value_or(def);
    };
    DepthSource = str(kSourceKey, kDefaults.DepthSource);
    DepthSpeed = str(kSpeedKey, kDefaults.DepthSpeed);
    Draft = str(kDraftKey, kDefaults.Draft);
    CutDistance = str(kDistanceKey, kDefaults.CutDistance);
    const auto raw = doc.Value(kExt, kRawKey);
    RawLog = raw ? TIniFile::ParseBool(*raw).value_or(false) : false;
}

void TJobSettings::StoreExtension(TIniDocument& doc) const {
    const std::pair<QString, QString> kv[] = {
        {kSourceKey, DepthSource},
        {kSpeedKey, DepthSpeed},
        {kDraftKey, Draft},
        {kDistanceKey, CutDistance},
        {kRawKey, TIniFile::FormatBool(RawLog)},
    };
    const bool asDefault = DepthSource == kDefaults.DepthSource &&
                           DepthSpeed == kDefaults.DepthSpeed && Draft == kDefaults.Draft &&
                           CutDistance == kDefaults.CutDistance && RawLog == kDefaults.RawLog;
    if (asDefault && !doc.SectionExists(kExt)) return;
    for (const auto& [key, value] : kv) doc.SetValue(kExt, key, value);
}

bool TJobSettings::ValidateExtension(MessageSink& sink) const {
    auto fail = [&sink](const QString& text) {
        sink.Error(text);
        return false;
    };
    const QString unknown = UnknownTransferField(OutText);
    if (!unknown.isEmpty()) {
        return fail(QStringLiteral("転送文字に使えない項目「%1」があります\r\n"
                                   "使える項目：{cut} {serial} {line} {depth} {time}")
                        .arg(unknown));
    }
    if (DepthSourceIndex() < 0) return fail(QStringLiteral("測深入力を選択して下さい"));
    if (DepthSourceIndex() >= 2 && DepthPortNumber() == PortNumber()) {
        return fail(QStringLiteral("測深入力にGPSと同じ通信ポートは使えません"));
    }
    if (DepthSourceIndex() >= 2 && OutMethodIndex() > 0 && DepthPortNumber() == OutPortNumber()) {
        return fail(
            QStringLiteral("測深入力に転送と同じ通信ポートは使えません\r\n"
                           "同じケーブルで受けるときは「転送通信」を選んで下さい"));
    }
    if (DepthSourceIndex() >= 2 && DepthBaud() == 0) {
        return fail(QStringLiteral("測深速度を選択して下さい"));
    }
    const auto draft = Metres(Draft);
    if (!draft || *draft < 0 || *draft > 9.99) {
        return fail(QStringLiteral("喫水は0.00～9.99mで入力して下さい"));
    }
    const auto distance = Metres(CutDistance);
    if (!distance || *distance < 0 || (*distance > 0 && *distance < 0.1) || *distance > 1000) {
        return fail(QStringLiteral("距離間隔は0.1～1000mで入力して下さい（0は距離で収録しない）"));
    }
    return true;
}

int TJobSettings::DepthSourceIndex() const {
    return static_cast<int>(DepthSourceChoices().indexOf(DepthSource));
}

int TJobSettings::DepthBaud() const {
    const auto i = SpeedChoices().indexOf(DepthSpeed);
    return i == 0 ? 4800 : i == 1 ? 9600 : 0;
}

double TJobSettings::DraftMetres() const {
    return Metres(Draft).value_or(0);
}

double TJobSettings::CutDistanceMetres() const {
    const double v = Metres(CutDistance).value_or(0);
    return v > 0 ? v : 0;
}

int TJobSettings::EffectiveCutMethod() const {
    return CutDistanceMetres() > 0 ? 3 : CutMethodIndex();
}

}  // namespace tidrun
