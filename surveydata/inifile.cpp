#include "surveydata/inifile.h"

#include <charconv>

#include "surveydata/codec.h"

namespace tidrun {

namespace {

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TIniDocument

bool TIniDocument::Load(const QString& path) {
    lines_.clear();
    sections_.clear();
    incomplete_ = false;
    QByteArray bytes;
    const ReadResult r = ReadFileLimited(path, kMaxFileBytes, bytes);
    if (r == ReadResult::Missing) return true;
    ParseBytes(bytes);
    incomplete_ = r != ReadResult::Ok;
    return !incomplete_;
}

namespace {

// One pair of matching quotes around a value is not part of it.
QString Unquoted(const QString& value) {
    if (value.size() >= 2 &&
        (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front()) {
        return value.mid(1, value.size() - 2);
    }
    return value;
}

}  // namespace

void TIniDocument::AddLine(QString raw, QByteArray bytes, bool changed, int& current) {
    Line line;
    line.text = std::move(raw);
    line.raw = std::move(bytes);
    line.changed = changed;
    const QString t = line.text.trimmed();
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (t.startsWith(QLatin1Char('[')) && close > 0) {
        const QString name = t.mid(1, close - 1).trimmed();
        line.isHeader = true;
        line.key = name;
        current = static_cast<int>(sections_.size());
        sections_ << name;
    } else if (!t.startsWith(QLatin1Char(';')) && t.contains(QLatin1Char('='))) {
        const qsizetype eq = t.indexOf(QLatin1Char('='));
        line.isKey = true;
        line.key = t.left(eq).trimmed();
        line.value = Unquoted(t.mid(eq + 1).trimmed());
    }
    line.section = current;
    lines_.push_back(std::move(line));
}

void TIniDocument::Parse(const QString& text) {
    lines_.clear();
    sections_.clear();
    int current = -1;
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0) end = n;
        QString raw = text.mid(start, end - start);
        if (raw.endsWith(QLatin1Char('\r'))) raw.chop(1);
        start = end + 1;
        AddLine(std::move(raw), QByteArray(), true, current);
    }
}

void TIniDocument::ParseBytes(QByteArrayView bytes) {
    lines_.clear();
    sections_.clear();
    int current = -1;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    while (start < n) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) end = n;
        qsizetype stop = end;
        if (stop > start && bytes[stop - 1] == '\r') --stop;
        const QByteArrayView raw = bytes.sliced(start, stop - start);
        start = end + 1;
        AddLine(DecodeCp932(raw), raw.toByteArray(), false, current);
    }
}

QString TIniDocument::Text() const {
    QString out;
    for (const Line& l : lines_) {
        out += l.text;
        out += QLatin1String("\r\n");
    }
    return out;
}

QByteArray TIniDocument::Bytes() const {
    QByteArray out;
    for (const Line& l : lines_) {
        out += l.changed ? EncodeCp932(l.text) : l.raw;
        out += "\r\n";
    }
    return out;
}

bool TIniDocument::Save(const QString& path) const {
    if (incomplete_) return false;
    return WriteFileReplacing(path, Bytes()) == WriteResult::Ok;
}

// The first section of that name; its header occurrence index, or -1.
int TIniDocument::FindSection(const QString& name) const {
    for (int i = 0; i < sections_.size(); ++i)
        if (SameName(sections_[i], name)) return i;
    return -1;
}

int TIniDocument::FindKey(int section, const QString& key) const {
    if (section < 0) return -1;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& l = lines_[i];
        if (l.section == section && l.isKey && SameName(l.key, key)) return static_cast<int>(i);
    }
    return -1;
}

std::optional<QString> TIniDocument::Value(const QString& section, const QString& key) const {
    const int i = FindKey(FindSection(section), key);
    if (i < 0) return std::nullopt;
    return lines_[static_cast<size_t>(i)].value;
}

void TIniDocument::SetValue(const QString& section, const QString& key, const QString& text) {
    // A line break inside a value would end the line and turn the rest into a new one.
    QString value = text;
    value.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    // A value that itself stands in a pair of quotes gets one more pair, which reading
    // takes off again.
    if (Unquoted(value.trimmed()) != value.trimmed()) {
        value = QLatin1Char('"') + value + QLatin1Char('"');
    }
    Line kl;
    kl.isKey = true;
    kl.value = Unquoted(value.trimmed());
    const int s = FindSection(section);
    if (s < 0) {
        Line header;
        header.isHeader = true;
        header.key = section;
        header.text = QLatin1Char('[') + section + QLatin1Char(']');
        header.section = static_cast<int>(sections_.size());
        sections_ << section;
        lines_.push_back(header);
        kl.key = key;
        kl.text = key + QLatin1Char('=') + value;
        kl.section = header.section;
        lines_.push_back(kl);
        return;
    }
    const int k = FindKey(s, key);
    if (k >= 0) {
        Line& l = lines_[static_cast<size_t>(k)];
        l.text = l.key + QLatin1Char('=') + value;
        l.value = kl.value;
        l.changed = true;
        l.raw.clear();
        return;
    }
    // After the last line of the section that is not blank (its header at least).
    size_t insertAt = 0;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& l = lines_[i];
        if (l.section == s && (l.isHeader || !l.text.trimmed().isEmpty())) insertAt = i + 1;
    }
    kl.key = key;
    kl.text = key + QLatin1Char('=') + value;
    kl.section = s;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), kl);
}

bool TIniDocument::DeleteKey(const QString& section, const QString& key) {
    const int k = FindKey(FindSection(section), key);
    if (k < 0) return false;
    lines_.erase(lines_.begin() + k);
    return true;
}

bool TIniDocument::EraseSection(const QString& section) {
    bool any = false;
    for (int s = 0; s < sections_.size(); ++s) {
        if (!SameName(sections_[s], section)) continue;
        any = true;
        std::erase_if(lines_, [s](const Line& l) { return l.section == s; });
    }
    if (any) {  // renumber the remaining sections, keeping each line's bytes
        std::vector<Line> old = std::move(lines_);
        lines_.clear();
        sections_.clear();
        int current = -1;
        for (Line& l : old) AddLine(std::move(l.text), std::move(l.raw), l.changed, current);
    }
    return any;
}

bool TIniDocument::SectionExists(const QString& section) const {
    const int s = FindSection(section);
    if (s < 0) return false;
    for (const Line& l : lines_)
        if (l.section == s && l.isHeader) return true;
    return false;
}

QStringList TIniDocument::Sections() const {
    QStringList out;
    for (const Line& l : lines_) {
        if (!l.isHeader) continue;
        bool seen = false;
        for (const QString& s : out) seen = seen || SameName(s, l.key);
        if (!seen) out << l.key;
    }
    return out;
}

QStringList TIniDocument::Keys(const QString& section) const {
    QStringList out;
    const int s = FindSection(section);
    for (const Line& l : lines_)
        if (l.section == s && l.isKey && s >= 0) out << l.key;
    return out;
}

// ---------------------------------------------------------------------------------------
// TIniFile

std::optional<int> TIniFile::ParseInteger(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    int v = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        v = t.mid(2).toInt(&ok, 16);
    } else if (t.startsWith(QLatin1Char('$'))) {
        v = t.mid(1).toInt(&ok, 16);
    } else {
        v = t.toInt(&ok, 10);
    }
    if (!ok) return std::nullopt;
    return v;
}

std::optional<double> TIniFile::ParseFloat(const QString& text) {
    const QByteArray b = text.trimmed().toLatin1();
    const char* p = b.constData();
    const char* end = p + b.size();
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p >= end || !((*p >= '0' && *p <= '9') || *p == '.')) return std::nullopt;
    double v = 0;
    const auto r = std::from_chars(p, end, v, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != end) return std::nullopt;
    return negative ? -v : v;
}

std::optional<bool> TIniFile::ParseBool(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
    if (const auto i = ParseInteger(t)) return *i != 0;
    return std::nullopt;
}

QString TIniFile::FormatFloat(double value) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return QString::fromLatin1(buf, r.ptr - buf);
}

namespace {

std::optional<QString> ReadValue(const QString& path, const QString& section, const QString& key) {
    TIniDocument doc;
    doc.Load(path);
    return doc.Value(section, key);
}

}  // namespace

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    return ReadValue(path_, section, key).value_or(def);
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    const auto v = ReadValue(path_, section, key);
    return v ? ParseInteger(*v).value_or(def) : def;
}

double TIniFile::ReadFloat(const QString& section, const QString& key, double def) const {
    const auto v = ReadValue(path_, section, key);
    return v ? ParseFloat(*v).value_or(def) : def;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const {
    const auto v = ReadValue(path_, section, key);
    return v ? ParseBool(*v).value_or(def) : def;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
    return ReadValue(path_, section, key).has_value();
}

QStringList TIniFile::ReadSection(const QString& section) const {
    TIniDocument doc;
    doc.Load(path_);
    return doc.Keys(section);
}

QStringList TIniFile::ReadSections() const {
    TIniDocument doc;
    doc.Load(path_);
    return doc.Sections();
}

bool TIniFile::WriteValues(const QString& section,
                           const std::vector<std::pair<QString, QString>>& keyValues) {
    TIniDocument doc;
    doc.Load(path_);
    for (const auto& [key, value] : keyValues) doc.SetValue(section, key, value);
    return doc.Save(path_);
}

bool TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    return WriteValues(section, {{key, value}});
}

bool TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    return WriteString(section, key, QString::number(value));
}

bool TIniFile::WriteFloat(const QString& section, const QString& key, double value) {
    return WriteString(section, key, FormatFloat(value));
}

bool TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
    return WriteString(section, key, FormatBool(value));
}

bool TIniFile::EraseSection(const QString& section) {
    TIniDocument doc;
    if (!doc.Load(path_)) return false;
    if (!doc.EraseSection(section)) return true;
    return doc.Save(path_);
}

bool TIniFile::DeleteKey(const QString& section, const QString& key) {
    TIniDocument doc;
    if (!doc.Load(path_)) return false;
    if (!doc.DeleteKey(section, key)) return true;
    return doc.Save(path_);
}

}  // namespace tidrun
