#include "surveydata/jobsettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>
#include <vector>

#include "surveydata/inifile.h"
#include "surveydata/windowspath.h"

namespace tidrun {

namespace {

const QString kSettei = QStringLiteral("設定");
const QString kColor = QStringLiteral("Color");
const QString kMapColorKey = QStringLiteral("平面図");

bool FileExists(const QString& path) {
    return QFileInfo(path).isFile();
}

// Offers to create a missing recording or mark file; true when it exists afterwards.
// The question names the path as the user typed it.
bool OfferToCreate(const QString& shown, const QString& path, MessageSink& sink) {
    if (!sink.Confirm(shown + QStringLiteral("\r\n\n新規で作成しますか"))) return false;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        sink.Error(QStringLiteral("書込ｴﾗｰ\r\nﾌｧｲﾙを作成できません"));
        return false;
    }
    f.close();
    return true;
}

// A name that is there but is no file (a folder, say) can be neither read nor created:
// one message naming it. False when the name is free or a file.
bool ReportNotAFile(const QString& path, MessageSink& sink) {
    const QFileInfo info(path);
    if (!(info.exists() || info.isSymLink()) || info.isFile()) return false;
    sink.Error(QStringLiteral("ﾌｧｲﾙではありません\r\nﾌｧｲﾙ名：") + path);
    return true;
}

// Speed chooser index to baud; 0 leaves the port at its own default.
int BaudOfIndex(int index) {
    return index == 0 ? 4800 : index == 1 ? 9600 : 0;
}

int IndexOf(const QStringList& list, const QString& text) {
    return static_cast<int>(list.indexOf(text));
}

}  // namespace

const QStringList& TJobSettings::PortChoices() {
    static const QStringList list = {
        QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
        QStringLiteral("COM4"), QStringLiteral("COM5"), QStringLiteral("COM6"),
        QStringLiteral("COM7"), QStringLiteral("COM8"),
    };
    return list;
}

const QStringList& TJobSettings::SpeedChoices() {
    static const QStringList list = {QStringLiteral("4800"), QStringLiteral("9600")};
    return list;
}

const QStringList& TJobSettings::GpsDatumChoices() {
    static const QStringList list = {QStringLiteral("WGS84"), QStringLiteral("旧日本(ﾍﾞｯｾﾙ)")};
    return list;
}

const QStringList& TJobSettings::CutMethodChoices() {
    static const QStringList list = {QStringLiteral("自動"), QStringLiteral("手動"),
                                     QStringLiteral("全データ")};
    return list;
}

const QStringList& TJobSettings::MapDatumChoices() {
    static const QStringList list = {QStringLiteral("世界測地系"), QStringLiteral("旧日本測地系")};
    return list;
}

const QStringList& TJobSettings::ZoneChoices() {
    static const QStringList list = [] {
        QStringList l;
        for (int i = 1; i <= 19; ++i) l << QString::number(i) + QStringLiteral("系");
        return l;
    }();
    return list;
}

const QStringList& TJobSettings::OutMethodChoices() {
    static const QStringList list = {QStringLiteral("しない"), QStringLiteral("受信データ"),
                                     QStringLiteral("文字")};
    return list;
}

const QStringList& TJobSettings::IntervalChoices() {
    static const QStringList list = {QStringLiteral("10"), QStringLiteral("15"),
                                     QStringLiteral("30"), QStringLiteral("60")};
    return list;
}

const QStringList& TJobSettings::ColorChoices() {
    static const QStringList list = {
        QStringLiteral("Black"), QStringLiteral("Maroon"),  QStringLiteral("Green"),
        QStringLiteral("Olive"), QStringLiteral("Navy"),    QStringLiteral("Purple"),
        QStringLiteral("Teal"),  QStringLiteral("Gray"),    QStringLiteral("Silver"),
        QStringLiteral("Red"),   QStringLiteral("Lime"),    QStringLiteral("Yellow"),
        QStringLiteral("Blue"),  QStringLiteral("Fuchsia"), QStringLiteral("Aqua"),
        QStringLiteral("White"),
    };
    return list;
}

bool TJobSettings::Load(const QString& cfgPath) {
    TIniDocument doc;
    const bool complete = doc.Load(cfgPath);
    auto str = [&](const char* key, const QString& def) {
        return doc.Value(kSettei, QString::fromUtf8(key)).value_or(def);
    };
    Port = str("通信", QStringLiteral("COM1"));
    Speed = str("速度", QStringLiteral("4800"));
    GpsDatum = str("座標系", QStringLiteral("WGS84"));
    CutMethod = str("収録方法", QStringLiteral("自動"));
    MapDatum = str("地図座標系", QStringLiteral("世界測地系"));
    Zone = str("平面座標", QStringLiteral("5系"));
    OutPort = str("転送通信", QStringLiteral("COM2"));
    OutSpeed = str("転送速度", QStringLiteral("4800"));
    OutMethod = str("転送方法", QStringLiteral("しない"));
    Interval = str("間隔", QStringLiteral("30"));
    JobName = str("工事名", QString());
    KijunFile = str("基準", QString());
    TansaFile = str("調査", QString());
    IjoFile = str("設標", QString());
    SokusenFile = str("収録", QString());
    MisokuFile = str("マーク", QString());
    OutText = str("転送文字", QString());
    const auto shift = doc.Value(kSettei, QStringLiteral("変換新"));
    ShiftNew = shift ? TIniFile::ParseBool(*shift).value_or(true) : true;
    MapColor = doc.Value(kColor, kMapColorKey).value_or(QStringLiteral("Teal"));
    LoadExtension(doc);
    loadedTansa_ = TansaPath();
    surveyAreaChanged_ = false;
    baseDir_ = QFileInfo(cfgPath).absolutePath();
    return complete;
}

QString TJobSettings::Resolve(const QString& path) const {
    if (path.isEmpty()) return path;
    const QString asWritten = baseDir_.isEmpty() ? path : QDir(baseDir_).absoluteFilePath(path);
    if (QFileInfo::exists(asWritten)) return asWritten;
    // A job moved from Windows names its files with backslashes and in any letter case.
    return AsWindowsWould(baseDir_, path);
}

bool TJobSettings::Store(const QString& cfgPath) const {
    TIniDocument doc;
    doc.Load(cfgPath);
    const std::pair<const char*, QString> kv[] = {
        {"通信", Port},           {"速度", Speed},
        {"転送通信", OutPort},    {"転送速度", OutSpeed},
        {"転送方法", OutMethod},  {"座標系", GpsDatum},
        {"収録方法", CutMethod},  {"間隔", Interval},
        {"地図座標系", MapDatum}, {"平面座標", Zone},
        {"工事名", JobName},      {"基準", KijunFile},
        {"調査", TansaFile},      {"設標", IjoFile},
        {"収録", SokusenFile},    {"マーク", MisokuFile},
        {"転送文字", OutText},    {"変換新", TIniFile::FormatBool(ShiftNew)},
    };
    for (const auto& [key, value] : kv) doc.SetValue(kSettei, QString::fromUtf8(key), value);
    doc.SetValue(kColor, kMapColorKey, MapColor);
    StoreExtension(doc);
    return doc.Save(cfgPath);
}

bool TJobSettings::Validate(MessageSink& sink) const {
    auto fail = [&sink](const char* text) {
        sink.Error(QString::fromUtf8(text));
        return false;
    };
    const std::pair<const char*, const QString*> texts[] = {
        {"工事名", &JobName},     {"基準点ﾌｧｲﾙ名", &KijunFile}, {"調査区域ﾌｧｲﾙ名", &TansaFile},
        {"設標ﾌｧｲﾙ名", &IjoFile}, {"収録ﾌｧｲﾙ名", &SokusenFile}, {"マークﾌｧｲﾙ名", &MisokuFile},
        {"転送文字", &OutText},
    };
    for (const auto& [what, text] : texts) {
        const QString error = UnstorableText(QString::fromUtf8(what), *text);
        if (!error.isEmpty()) {
            sink.Error(error);
            return false;
        }
    }
    if (TansaPath().isEmpty()) return fail("調査区域ﾌｧｲﾙ名を入力して下さい");
    if (!FileExists(Resolve(TansaPath()))) return fail("調査区域ﾌｧｲﾙが見つかりません");
    if (KijunPath().isEmpty()) return fail("基準点ﾌｧｲﾙ名を入力して下さい");
    if (!FileExists(Resolve(KijunPath()))) return fail("基準点ﾌｧｲﾙが見つかりません");
    if (!IjoPath().isEmpty() && !FileExists(Resolve(IjoPath()))) {
        return fail("設標ﾌｧｲﾙが見つかりません");
    }
    // The recording and mark files may be new: offered for creation where the name is free.
    struct Written {
        QString path;
        const char* noName;
        const char* notFound;
    };
    const Written written[] = {
        {SokusenPath(), "収録ﾌｧｲﾙ名を入力して下さい", "収録ﾌｧｲﾙが見つかりません"},
        {MisokuPath(), "マークﾌｧｲﾙ名を入力して下さい", "マークﾌｧｲﾙが見つかりません"},
    };
    for (const Written& w : written) {
        if (w.path.isEmpty()) return fail(w.noName);
        const QString resolved = Resolve(w.path);
        if (FileExists(resolved)) continue;
        if (ReportNotAFile(resolved, sink)) return false;
        if (!OfferToCreate(w.path, resolved, sink)) return fail(w.notFound);
    }
    if (CutMethodIndex() == 0 && IntervalSeconds() < 10) {
        return fail("自動収録の間隔は10秒以上を指定してください");
    }
    return ValidateExtension(sink);
}

bool TJobSettings::Accept(const QString& cfgPath, MessageSink& sink) {
    if (!Validate(sink)) return false;
    if (!Store(cfgPath)) {
        sink.Error(QStringLiteral("設定ファイルに書込できません\r\nﾌｧｲﾙ名：") + cfgPath);
        return false;
    }
    surveyAreaChanged_ = TansaPath() != loadedTansa_;
    return true;
}

int TJobSettings::PortIndex() const {
    return IndexOf(PortChoices(), Port);
}
int TJobSettings::SpeedIndex() const {
    return IndexOf(SpeedChoices(), Speed);
}
int TJobSettings::GpsDatumIndex() const {
    return IndexOf(GpsDatumChoices(), GpsDatum);
}
int TJobSettings::MapDatumIndex() const {
    return IndexOf(MapDatumChoices(), MapDatum);
}
int TJobSettings::CutMethodIndex() const {
    return IndexOf(CutMethodChoices(), CutMethod);
}
int TJobSettings::OutPortIndex() const {
    return IndexOf(PortChoices(), OutPort);
}
int TJobSettings::OutSpeedIndex() const {
    return IndexOf(SpeedChoices(), OutSpeed);
}
int TJobSettings::OutMethodIndex() const {
    return IndexOf(OutMethodChoices(), OutMethod);
}
int TJobSettings::ColorIndex() const {
    return IndexOf(ColorChoices(), MapColor);
}

int TJobSettings::ZoneIndex() const {
    const int i = IndexOf(ZoneChoices(), Zone);
    return i >= 0 && i <= 17 ? i : 18;
}

int TJobSettings::Baud() const {
    return BaudOfIndex(SpeedIndex());
}
int TJobSettings::OutBaud() const {
    return BaudOfIndex(OutSpeedIndex());
}

int TJobSettings::TargetDatum() const {
    if (MapDatumIndex() != 1) return 0;
    return ShiftNew ? 1 : 2;
}

int TJobSettings::SourceDatum() const {
    switch (GpsDatumIndex()) {
        case 0:
            return 0;
        case 1:
            return MapDatumIndex() != 0 ? TargetDatum() : 1;
        default:
            return 0;
    }
}

int TJobSettings::IntervalSeconds() const {
    bool ok = false;
    const int v = Interval.trimmed().toInt(&ok);
    return ok ? v : 0;
}

QString TJobSettings::TransferText() const {
    return OutText.trimmed() + QLatin1Char('\r');
}

QString UnstorableText(const QString& what, const QString& text) {
    const QString c = FirstUnencodableCp932(text);
    if (c.isEmpty()) return {};
    const char32_t u = c.size() == 2 ? QChar::surrogateToUcs4(c[0], c[1]) : c[0].unicode();
    return what + QStringLiteral("に保存できない文字「%1」(U+%2)があります")
                      .arg(c, QString::number(u, 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

QString ValidateLineName(const QString& name) {
    if (name.trimmed().isEmpty()) return QStringLiteral("測線名を入力して下さい");
    if (name.contains(QLatin1Char('"'))) return QStringLiteral("測線名に引用符(\")は使えません");
    return UnstorableText(QStringLiteral("測線名"), name);
}

}  // namespace tidrun
