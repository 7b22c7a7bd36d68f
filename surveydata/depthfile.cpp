#include "surveydata/depthfile.h"

#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "surveydata/codec.h"

namespace tidrun {

namespace {

constexpr qint64 kChunk = 4 << 20;
constexpr std::size_t kMaxLine = 4096;

bool ReadInt(std::string_view& s, std::int32_t& v) {
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p == s.data() + s.size() || *p != ',') return false;
    s.remove_prefix(static_cast<std::size_t>(p - s.data()) + 1);
    return true;
}

// One row into the table; false when the line is no row (the header among them).
bool ParseRow(std::string_view s, TDepthTable& t) {
    std::int32_t serial = 0, line = 0;
    if (!ReadInt(s, serial) || !ReadInt(s, line)) return false;
    // The line name is quoted and holds no quote; it may hold commas.
    if (s.empty() || s.front() != '"') return false;
    const std::size_t close = s.find('"', 1);
    if (close == std::string_view::npos || close + 1 >= s.size() || s[close + 1] != ',') {
        return false;
    }
    s.remove_prefix(close + 2);
    // cut number, X, Y, depth, ...
    std::string_view field[4];
    for (auto& f : field) {
        const std::size_t comma = s.find(',');
        if (comma == std::string_view::npos) return false;
        f = s.substr(0, comma);
        s.remove_prefix(comma + 1);
    }
    float depth = std::nanf("");
    if (!field[3].empty()) {
        const auto [p, ec] =
            std::from_chars(field[3].data(), field[3].data() + field[3].size(), depth);
        if (ec != std::errc() || p != field[3].data() + field[3].size()) return false;
    }
    t.serials.push_back(serial);
    t.lines.push_back(line);
    t.depths.push_back(depth);
    return true;
}

}  // namespace

QString DepthFilePath(const QString& recordingPath) {
    const QFileInfo info(recordingPath);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? name.left(dot) : name;
    const QString file = stem + QStringLiteral("_水深.csv");
    const qsizetype slash = recordingPath.size() - name.size();
    return recordingPath.left(slash) + file;
}

QString DepthFileHeader() {
    return QStringLiteral(
        "通番,測線番号,測線名,ｶｯﾄ番号,X,Y,水深,水深経過ms,測位受信時刻,水深受信時刻");
}

QByteArray FormatDepthRow(const TDepthRow& r, TLocalStamp& stamps) {
    QString line = QString::asprintf("%d,%d,\"", r.serial, r.lineNo);
    line += r.lineName;
    line += QString::asprintf("\",%d,%.3f,%.3f,", r.cutNo, r.x, r.y);
    if (r.depth) {
        line += QString::asprintf("%.2f,%lld,", *r.depth, static_cast<long long>(r.ageMs));
    } else {
        line += QStringLiteral(",,");
    }
    stamps.AppendTo(line, r.positionTime);
    line += QLatin1Char(',');
    if (r.depth) stamps.AppendTo(line, r.depthTime);
    QByteArray bytes = EncodeCp932(line);
    bytes += "\r\n";
    return bytes;
}

bool TDepthWriter::Open(const QString& recordingPath) {
    FinishAppend();
    lastRowAt_ = -1;
    if (!file_.Open(DepthFilePath(recordingPath))) return false;
    if (file_.Size() > 0) return true;
    QByteArray header = EncodeCp932(DepthFileHeader());
    header += "\r\n";
    if (file_.Append(header)) return true;
    file_.Close();
    return false;
}

bool TDepthWriter::Append(const TDepthRow& row) {
    return StartAppend(row) && FinishAppend();
}

bool TDepthWriter::StartAppend(const TDepthRow& row) {
    FinishAppend();
    const qint64 before = file_.Size();
    if (!file_.StartAppend(FormatDepthRow(row, stamps_))) return false;
    pendingRowAt_ = before;
    return true;
}

bool TDepthWriter::FinishAppend() {
    if (pendingRowAt_ < 0) return true;
    const qint64 before = std::exchange(pendingRowAt_, -1);
    if (!file_.FinishAppend()) {
        lastRowAt_ = -1;
        return false;
    }
    lastRowAt_ = before;
    return true;
}

bool TDepthWriter::TakeBackLast() {
    FinishAppend();
    if (lastRowAt_ < 0) return true;
    return file_.TruncateTo(std::exchange(lastRowAt_, -1));
}

std::optional<float> TDepthTable::DepthOf(std::int32_t serial) const {
    std::size_t at = 0;
    return DepthOf(serial, at);
}

std::optional<float> TDepthTable::DepthOf(std::int32_t serial, std::size_t& at) const {
    // `at` becomes the upper bound of serial: a serial written twice (a cut repeated after
    // a kill) is taken from its last row, as rows are in serial order.
    const auto b = serials.begin();
    if (at > serials.size() || (at > 0 && serials[at - 1] > serial)) {
        at = static_cast<std::size_t>(
            std::upper_bound(b, b + std::ptrdiff_t(std::min(at, serials.size())), serial) - b);
    } else {
        int steps = 0;
        while (at < serials.size() && serials[at] <= serial && ++steps <= 4) ++at;
        if (steps > 4)
            at = static_cast<std::size_t>(
                std::upper_bound(b + std::ptrdiff_t(at), serials.end(), serial) - b);
    }
    if (at == 0 || serials[at - 1] != serial) return std::nullopt;
    const float d = depths[at - 1];
    if (std::isnan(d)) return std::nullopt;
    return d;
}

bool TDepthTable::HasRow(std::int32_t serial) const {
    return std::binary_search(serials.begin(), serials.end(), serial);
}

DepthLoad LoadDepthFile(const QString& path, TDepthTable& table) {
    table = TDepthTable();
    QFile f(path);
    if (!f.exists()) return DepthLoad::Missing;
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly)) return DepthLoad::Unreadable;
    QByteArray carry;
    int lineNo = 0;
    for (;;) {
        QByteArray chunk = f.read(kChunk);
        if (chunk.isEmpty()) {
            if (f.error() != QFile::NoError) return DepthLoad::Unreadable;
            break;
        }
        if (!carry.isEmpty()) chunk.prepend(carry);
        const std::string_view all(chunk.constData(), static_cast<std::size_t>(chunk.size()));
        std::size_t begin = 0;
        for (std::size_t nl; (nl = all.find('\n', begin)) != std::string_view::npos;
             begin = nl + 1) {
            std::string_view line = all.substr(begin, nl - begin);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            ++lineNo;
            if (lineNo == 1 || line.empty()) continue;  // the header
            if (!ParseRow(line, table) && table.badLine == 0) table.badLine = lineNo;
        }
        carry = chunk.mid(static_cast<qsizetype>(begin));
        if (static_cast<std::size_t>(carry.size()) > kMaxLine) {  // no line end in sight
            if (table.badLine == 0) table.badLine = lineNo + 1;
            carry.clear();
        }
    }
    // Rows are appended in serial order; a file put together by hand is sorted here.
    if (!std::is_sorted(table.serials.begin(), table.serials.end())) {
        std::vector<std::size_t> order(table.serials.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return table.serials[a] < table.serials[b];
        });
        TDepthTable sorted;
        sorted.badLine = table.badLine;
        for (std::size_t i : order) {
            sorted.serials.push_back(table.serials[i]);
            sorted.lines.push_back(table.lines[i]);
            sorted.depths.push_back(table.depths[i]);
        }
        table = std::move(sorted);
    }
    return DepthLoad::Ok;
}

std::vector<std::int32_t> CutsWithoutDepthRow(
    int count, const std::function<std::pair<std::int32_t, std::int32_t>(int)>& cut,
    const TDepthTable& table, bool depthOn) {
    const std::unordered_set<std::int32_t> lines(table.lines.begin(), table.lines.end());
    std::vector<std::int32_t> missing;
    // Both run in serial order: one walk, with a search only where the recording does not.
    std::size_t j = 0;
    const std::size_t rows = table.serials.size();
    for (int i = 0; i < count; ++i) {
        const auto [serial, line] = cut(i);
        if (j > 0 && table.serials[j - 1] > serial) j = 0;
        while (j < rows && table.serials[j] < serial) ++j;
        const bool hasRow = j < rows && table.serials[j] == serial;
        if (!hasRow && lines.count(line)) missing.push_back(serial);
    }
    if (depthOn && count > 0) {
        const auto [serial, line] = cut(count - 1);
        const std::int32_t lastRow = table.serials.empty() ? 0 : table.serials.back();
        if (!lines.count(line) && serial == lastRow + 1 && !table.serials.empty()) {
            missing.push_back(serial);
        }
    }
    return missing;
}

QString MissingDepthMessage(const std::vector<std::int32_t>& serials, const QString& depthPath) {
    if (serials.empty()) return {};
    QString text =
        QStringLiteral("水深ファイルに記録のないカットがあります\r\n通番：%1").arg(serials.front());
    if (serials.size() > 1) text += QStringLiteral(" ほか%1件").arg(serials.size() - 1);
    return text + QStringLiteral("\r\nﾌｧｲﾙ名：") + depthPath;
}

TDepthCompanion ReadDepthCompanion(const QString& recordingPath) {
    TDepthCompanion c;
    c.path = DepthFilePath(recordingPath);
    c.load = LoadDepthFile(c.path, c.table);
    return c;
}

QString DepthLoadProblem(const TDepthCompanion& c) {
    switch (c.load) {
        case DepthLoad::Ok:
            break;
        case DepthLoad::Missing:
            return {};  // a job recorded without a sounder has no soundings
        case DepthLoad::Unreadable:
            return QStringLiteral("水深ファイルが読めません\r\nﾌｧｲﾙ名：") + c.path;
    }
    if (c.table.badLine > 0) {
        return QStringLiteral("水深ファイルに読めない行があります（%1行目）\r\nﾌｧｲﾙ名：")
                   .arg(c.table.badLine) +
               c.path;
    }
    return {};
}

QString LoadDepthsOf(const QString& recordingPath, TDepthTable& table, bool& hasDepths) {
    TDepthCompanion c = ReadDepthCompanion(recordingPath);
    hasDepths = c.load == DepthLoad::Ok;
    const QString problem = DepthLoadProblem(c);
    table = std::move(c.table);
    return problem;
}

}  // namespace tidrun
