#include "surveydata/config.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <utility>
#include <vector>

#include "surveydata/inifile.h"
#include "surveydata/windowspath.h"

namespace tidrun {

namespace {

const QString kSettei = QStringLiteral("設定");
using KeyValues = std::vector<std::pair<QString, QString>>;

// Reads of one section from a document loaded once.
class SectionReader {
  public:
    SectionReader(const QString& path, QString section) : section_(std::move(section)) {
        complete_ = doc_.Load(path);
    }
    bool Complete() const { return complete_; }
    QString Str(const QString& key, const QString& def) const {
        return doc_.Value(section_, key).value_or(def);
    }
    int Int(const QString& key, int def) const {
        const auto v = doc_.Value(section_, key);
        return v ? TIniFile::ParseInteger(*v).value_or(def) : def;
    }
    double Real(const QString& key, double def) const {
        const auto v = doc_.Value(section_, key);
        return v ? TIniFile::ParseFloat(*v).value_or(def) : def;
    }
    bool Bool(const QString& key, bool def) const {
        const auto v = doc_.Value(section_, key);
        return v ? TIniFile::ParseBool(*v).value_or(def) : def;
    }
    std::optional<double> OptReal(const QString& key) const {
        const auto v = doc_.Value(section_, key);
        return v ? TIniFile::ParseFloat(*v) : std::nullopt;
    }
    std::optional<bool> OptBool(const QString& key) const {
        const auto v = doc_.Value(section_, key);
        return v ? TIniFile::ParseBool(*v) : std::nullopt;
    }

  private:
    TIniDocument doc_;
    QString section_;
    bool complete_ = true;
};

QString Real(double v) {
    return TIniFile::FormatFloat(v);
}
QString Int(int v) {
    return QString::number(v);
}
QString Bool(bool v) {
    return TIniFile::FormatBool(v);
}

}  // namespace

QString InstalledDataDir(const QString& programDir) {
    const QString data =
        QDir::cleanPath(QDir(programDir).filePath(QStringLiteral("../share/tidrun")));
    return QFileInfo(data).isDir() ? data : QString();
}

QString TidrunIniPath(const QString& programDir) {
    const QString inProgramDir = QDir(programDir).filePath(QLatin1String(kIniFileName));
    const QFileInfo file(inProgramDir);
    const QFileInfo dir(programDir);
    // An installed program's folder is the system's, even for a user (root) who may write it.
    if (InstalledDataDir(programDir).isEmpty() &&
        (file.exists() ? file.isWritable() : (dir.isDir() && dir.isWritable()))) {
        return inProgramDir;
    }
    const QString config =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
            .filePath(QStringLiteral("tidrun"));
    QDir().mkpath(config);
    return QDir(config).filePath(QLatin1String(kIniFileName));
}

QString TidrunCfgPath(const QString& workDir) {
    return AsWindowsWould(workDir, QLatin1String(kCfgFileName));
}

QString CfgUnreadableText(const QString& cfgPath) {
    return QStringLiteral("ﾌｧｲﾙが読めません\r\nﾌｧｲﾙ名：") + cfgPath;
}

QString ReadWorkDir(const QString& iniPath, const QString& programDir) {
    // A program folder that does not hold Tidrun.INI is no place for a job: the home folder.
    const bool beside = QFileInfo(iniPath).absoluteDir() == QDir(programDir);
    return TIniFile(iniPath).ReadString(QString(), QStringLiteral("WORKDIR"),
                                        beside ? programDir : QDir::homePath());
}

bool WriteWorkDir(const QString& iniPath, const QString& workDir) {
    return TIniFile(iniPath).WriteString(QString(), QStringLiteral("WORKDIR"), workDir);
}

QString ReadPortMapping(const QString& iniPath, const QString& portName) {
    return TIniFile(iniPath).ReadString(QStringLiteral("Ports"), portName, QString());
}

bool MainWindowConfig::Load(const QString& cfgPath) {
    const SectionReader r(cfgPath, kSettei);
    CircleSize = r.Int(QStringLiteral("円定規(Size)"), 1);
    RulerDMS = r.Str(QStringLiteral("計画線(DMS)"), QStringLiteral("0"));
    RulerWD = r.Int(QStringLiteral("計画線(WD)"), 0);
    RulerStep = r.Int(QStringLiteral("計画線(Step)"), 1);
    RulerX = r.Real(QStringLiteral("計画線(X)"), 0);
    RulerY = r.Real(QStringLiteral("計画線(Y)"), 0);
    RulerX0 = r.Real(QStringLiteral("計画線(X0)"), 0);
    RulerY0 = r.Real(QStringLiteral("計画線(Y0)"), 0);
    RulerX1 = r.Real(QStringLiteral("計画線(X1)"), 0);
    RulerY1 = r.Real(QStringLiteral("計画線(Y1)"), 0);
    MapCount = r.Int(QStringLiteral("平面図"), 0);
    HoseiX = r.Real(QStringLiteral("補正X"), 0);
    HoseiY = r.Real(QStringLiteral("補正Y"), 0);
    HoseiH = r.Real(QStringLiteral("補正H"), 0);
    HoseiA = r.Real(QStringLiteral("補正A"), 0);
    GuidePoint = r.Str(QStringLiteral("誘導点"), QString());
    BuoyPoint = r.Str(QStringLiteral("設標点"), QString());
    return r.Complete();
}

bool MainWindowConfig::Store(const QString& cfgPath) const {
    const KeyValues kv = {
        {QStringLiteral("円定規(Size)"), Int(CircleSize)},
        {QStringLiteral("計画線(DMS)"), RulerDMS},
        {QStringLiteral("計画線(WD)"), Int(RulerWD)},
        {QStringLiteral("計画線(Step)"), Int(RulerStep)},
        {QStringLiteral("計画線(X)"), Real(RulerX)},
        {QStringLiteral("計画線(Y)"), Real(RulerY)},
        {QStringLiteral("計画線(X0)"), Real(RulerX0)},
        {QStringLiteral("計画線(Y0)"), Real(RulerY0)},
        {QStringLiteral("計画線(X1)"), Real(RulerX1)},
        {QStringLiteral("計画線(Y1)"), Real(RulerY1)},
        {QStringLiteral("平面図"), Int(MapCount)},
        {QStringLiteral("補正X"), Real(HoseiX)},
        {QStringLiteral("補正Y"), Real(HoseiY)},
        {QStringLiteral("補正H"), Real(HoseiH)},
        {QStringLiteral("補正A"), Real(HoseiA)},
        {QStringLiteral("誘導点"), GuidePoint},
        {QStringLiteral("設標点"), BuoyPoint},
    };
    return TIniFile(cfgPath).WriteValues(kSettei, kv);
}

QString ReadCalibRefPoint(const QString& cfgPath) {
    return TIniFile(cfgPath).ReadString(QStringLiteral("補正"), QStringLiteral("基準点"),
                                        QString());
}

bool WriteCalibRefPoint(const QString& cfgPath, const QString& name) {
    return TIniFile(cfgPath).WriteString(QStringLiteral("補正"), QStringLiteral("基準点"), name);
}

QString MapWindowConfig::SectionName(int n) {
    return QStringLiteral("平面図") + QString::number(n);
}

int MapWindowConfig::StoredCount(const QString& cfgPath, int count) {
    const QStringList sections = TIniFile(cfgPath).ReadSections();
    int n = 0;
    while (n < count && sections.contains(SectionName(n))) ++n;
    return n;
}

void MapWindowConfig::Load(const QString& cfgPath, int n) {
    const SectionReader r(cfgPath, SectionName(n));
    Top = r.Int(QStringLiteral("Top"), 0);
    Left = r.Int(QStringLiteral("Left"), 0);
    Width = r.Int(QStringLiteral("Width"), 100);
    Height = r.Int(QStringLiteral("Height"), 100);
    Maximize = r.Bool(QStringLiteral("Maximize"), false);
    Minimize = r.Bool(QStringLiteral("Minimize"), false);
    X0 = r.OptReal(QStringLiteral("X0"));
    X1 = r.OptReal(QStringLiteral("X1"));
    Y0 = r.OptReal(QStringLiteral("Y0"));
    Y1 = r.OptReal(QStringLiteral("Y1"));
    OX0 = r.OptReal(QStringLiteral("OX0"));
    OX1 = r.OptReal(QStringLiteral("OX1"));
    OY0 = r.OptReal(QStringLiteral("OY0"));
    OY1 = r.OptReal(QStringLiteral("OY1"));
    CX0 = r.OptReal(QStringLiteral("CX0"));
    CX1 = r.OptReal(QStringLiteral("CX1"));
    CY0 = r.OptReal(QStringLiteral("CY0"));
    CY1 = r.OptReal(QStringLiteral("CY1"));
    Zoomed = r.Bool(QStringLiteral("Zoomed"), false);
    Circle = r.OptBool(QStringLiteral("円定規"));
    Ruler = r.OptBool(QStringLiteral("計画線"));
    AutoFollow = r.OptBool(QStringLiteral("自動追尾"));
    Fast = r.OptBool(QStringLiteral("高速"));
    BuoyNames = r.Bool(QStringLiteral("設標点名"), false);
    DepthColours = r.Bool(QStringLiteral("水深色分け"), false);
    DepthShallow = r.OptReal(QStringLiteral("水深範囲浅"));
    DepthDeep = r.OptReal(QStringLiteral("水深範囲深"));
}

bool MapWindowConfig::Store(const QString& cfgPath, int n) const {
    KeyValues kv = {
        {QStringLiteral("Top"), Int(Top)},
        {QStringLiteral("Left"), Int(Left)},
        {QStringLiteral("Width"), Int(Width)},
        {QStringLiteral("Height"), Int(Height)},
        {QStringLiteral("Maximize"), Bool(Maximize)},
        {QStringLiteral("Minimize"), Bool(Minimize)},
    };
    const std::pair<const char*, const std::optional<double>*> reals[] = {
        {"X0", &X0},   {"X1", &X1},   {"Y0", &Y0},   {"Y1", &Y1},   {"OX0", &OX0}, {"OX1", &OX1},
        {"OY0", &OY0}, {"OY1", &OY1}, {"CX0", &CX0}, {"CX1", &CX1}, {"CY0", &CY0}, {"CY1", &CY1},
    };
    for (const auto& [key, value] : reals)
        if (*value) kv.emplace_back(QLatin1String(key), Real(**value));
    kv.emplace_back(QStringLiteral("Zoomed"), Bool(Zoomed));
    const std::pair<QString, const std::optional<bool>*> flags[] = {
        {QStringLiteral("円定規"), &Circle},
        {QStringLiteral("計画線"), &Ruler},
        {QStringLiteral("自動追尾"), &AutoFollow},
        {QStringLiteral("高速"), &Fast},
    };
    for (const auto& [key, value] : flags)
        if (*value) kv.emplace_back(key, Bool(**value));
    kv.emplace_back(QStringLiteral("設標点名"), Bool(BuoyNames));
    if (DepthColours) kv.emplace_back(QStringLiteral("水深色分け"), Bool(true));
    if (DepthShallow && DepthDeep) {
        kv.emplace_back(QStringLiteral("水深範囲浅"), Real(*DepthShallow));
        kv.emplace_back(QStringLiteral("水深範囲深"), Real(*DepthDeep));
    }
    return TIniFile(cfgPath).WriteValues(SectionName(n), kv);
}

}  // namespace tidrun
