#include "surveydata/pointcoll.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <functional>
#include <system_error>
#include <thread>

#include "surveydata/codec.h"

namespace tidrun {

namespace {

constexpr bool IsDelim(char c) {
    return c == ' ' || c == ',' || c == '\t';
}
constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A bad line is reported each time, but a broken file must not flood the user with boxes.
constexpr int kMaxReportedBadLines = 10;
constexpr qint64 kReadBlock = 256 << 10;
// No line of these files comes near this; a longer one is a bad line and is not kept.
constexpr size_t kMaxLineBytes = 64 << 10;
constexpr char kDosEndOfFile = 0x1A;
// From this size a file whose kind allows it is read in pieces on several cores.
constexpr qint64 kPiecesFromBytes = 32 << 20;

QString FileNameText(const QString& fileName) {
    return QStringLiteral("ﾌｧｲﾙ名：%1").arg(fileName);
}

bool SamePath(const QString& a, const QString& b) {
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

}  // namespace

int SplitFields(std::string_view line, std::string_view* out, int maxFields) {
    const size_t n = line.size();
    size_t i = 0;
    int count = 0;
    while (true) {
        while (i < n && IsDelim(line[i])) ++i;
        if (i >= n) break;
        const size_t start = i;
        bool quoted = false;
        while (i < n) {
            const char c = line[i];
            if (c == '"') {
                quoted = !quoted;
            } else if (!quoted && IsDelim(c)) {
                break;
            }
            ++i;
        }
        if (count < maxFields) out[count] = line.substr(start, i - start);
        ++count;
    }
    for (int k = count; k < maxFields; ++k) out[k] = std::string_view();
    return count;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    const int n = SplitFields(line, nullptr, 0);
    fields.resize(static_cast<size_t>(n));
    if (n > 0) SplitFields(line, fields.data(), n);
    return fields;
}

const char* ParseRealPrefix(const char* p, const char* end, double& value) {
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    // Scan the syntax: digits, an optional point with digits, an optional exponent. The
    // mantissa is gathered on the way for the common case.
    const char* start = p;
    std::uint64_t mantissa = 0;
    int digits = 0, fraction = 0;
    while (p < end && IsDigit(*p)) {
        if (digits < 19) mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
        ++digits;
        ++p;
    }
    if (p < end && *p == '.') {
        ++p;
        while (p < end && IsDigit(*p)) {
            if (digits < 19) mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
            ++digits;
            ++fraction;
            ++p;
        }
    }
    if (digits == 0) return nullptr;
    bool exponent = false;
    if (p < end && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        if (q < end && (*q == '+' || *q == '-')) ++q;
        if (q < end && IsDigit(*q)) {
            while (q < end && IsDigit(*q)) ++q;
            p = q;
            exponent = true;
        }
    }
    // Both the mantissa and the power of ten are exact doubles here, so one division gives
    // the correctly rounded value; anything else goes to the library.
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    double v;
    if (!exponent && digits <= 19 && mantissa <= (std::uint64_t{1} << 53) && fraction <= 22) {
        v = static_cast<double>(mantissa) / kPow10[fraction];
    } else {
        const auto r = std::from_chars(start, p, v, std::chars_format::general);
        if (r.ec != std::errc() || r.ptr != p) return nullptr;
    }
    value = negative ? -v : v;
    return p;
}

bool ParseReal(std::string_view field, double& value) {
    const char* end = field.data() + field.size();
    double v;
    const char* q = ParseRealPrefix(field.data(), end, v);
    if (!q || q != end) return false;  // (an empty view may have a null end)
    value = v;
    return true;
}

const char* ParseIntPrefix(const char* p, const char* end, int& value) {
    // One optional sign, then digits; from_chars takes the minus itself but no plus.
    const char* digits = p;
    if (p < end && (*p == '+' || *p == '-')) ++digits;
    if (digits >= end || !IsDigit(*digits)) return nullptr;
    if (p < end && *p == '+') p = digits;
    int v = 0;
    const auto r = std::from_chars(p, end, v);
    if (r.ec != std::errc()) return nullptr;  // not a number, or beyond 32 bits
    value = v;
    return r.ptr;
}

bool ParseInt(std::string_view field, int& value) {
    const char* end = field.data() + field.size();
    int v;
    const char* q = ParseIntPrefix(field.data(), end, v);
    if (!q || q != end) return false;
    value = v;
    return true;
}

// ---------------------------------------------------------------------------------------
// TPointColl

bool TPointColl::LineIsGood(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) return true;
    return line.size() <= kMaxLineBytes && ParseLine(line);
}

bool TPointColl::ScanLines(const char* begin, const char* end, int& lineNo,
                           const std::function<bool(int)>& bad) {
    for (const char* p = begin; p < end;) {
        const void* nl = std::memchr(p, '\n', static_cast<size_t>(end - p));
        const char* e = nl ? static_cast<const char*>(nl) : end;
        ++lineNo;
        if (!LineIsGood(std::string_view(p, static_cast<size_t>(e - p))) && !bad(lineNo))
            return false;
        if (!nl) break;
        p = e + 1;
    }
    return true;
}

bool TPointColl::StreamLines(const std::function<qint64(char*, qint64)>& read, int& lineNo,
                             const std::function<bool(int)>& bad, bool& readFailed) {
    std::vector<char> buffer(static_cast<size_t>(kReadBlock));
    size_t filled = 0;  // bytes in buffer (a partial line carried over, then new data)
    bool atEnd = false;
    bool skipping = false;  // inside a line too long to be real, which is not kept
    auto endSkippedLine = [&] {
        skipping = false;
        return bad(++lineNo);
    };
    while (!atEnd) {
        const qint64 got =
            read(buffer.data() + filled, static_cast<qint64>(buffer.size() - filled));
        if (got < 0) {
            readFailed = true;
            return false;
        }
        atEnd = got == 0;
        filled += static_cast<size_t>(got);
        size_t start = 0;
        if (skipping) {
            if (const void* nl = std::memchr(buffer.data(), '\n', filled)) {
                start = static_cast<size_t>(static_cast<const char*>(nl) - buffer.data()) + 1;
                if (!endSkippedLine()) return false;
            } else {
                start = filled;
            }
        }
        // Whole lines go through at once; the rest waits for more data.
        size_t whole = start;
        if (!atEnd) {
            for (size_t i = filled; i > start; --i)
                if (buffer[i - 1] == '\n') {
                    whole = i;
                    break;
                }
        } else {
            // Older DOS tools end a text file with the end-of-file byte 0x1A.
            while (filled > start && buffer[filled - 1] == kDosEndOfFile) --filled;
            whole = filled;
            if (skipping) {
                if (!endSkippedLine()) return false;
                whole = start = filled;
            }
        }
        if (whole > start && !ScanLines(buffer.data() + start, buffer.data() + whole, lineNo, bad))
            return false;
        start = whole;
        if (atEnd) break;
        if (filled - start > kMaxLineBytes) {  // no line end in sight: drop what is held
            skipping = true;
            start = filled;
        }
        if (start > 0) {
            std::memmove(buffer.data(), buffer.data() + start, filled - start);
            filled -= start;
        }
    }
    return true;
}

bool TPointColl::LoadInPieces(qint64 size, int& badLines, bool& readFailed) {
    const unsigned cores = std::min(4u, std::thread::hardware_concurrency());
    if (cores < 2) return false;
    // Pieces of about equal size, each beginning after a line end found within a line's
    // length of its share (else the share joins the piece before it). Four a core, taken
    // in turn by whichever core is free: a core that reads slower is not waited for long.
    const unsigned shares = cores * 4;
    std::vector<qint64> cuts{0};
    {
        QFile f(fileName_);
        if (!f.open(QIODevice::ReadOnly)) return false;
        QByteArray probe;
        for (unsigned i = 1; i < shares; ++i) {
            const qint64 at = size * i / shares;
            if (at <= cuts.back() || !f.seek(at)) continue;
            probe = f.read(static_cast<qint64>(kMaxLineBytes) + 1);
            const qsizetype nl = probe.indexOf('\n');
            if (nl >= 0 && at + nl + 1 < size) cuts.push_back(at + nl + 1);
        }
    }
    cuts.push_back(size);
    const size_t n = cuts.size() - 1;
    if (n < 2) return false;

    struct Piece {
        std::unique_ptr<TPointColl> coll;
        int lines = 0;
        std::vector<int> bad;  // line numbers within the piece, the first few
        int badCount = 0;
        bool stopped = false;
        bool readFailed = false;
    };
    std::vector<Piece> pieces(n);
    NullSink quiet;  // a piece says nothing: its bad lines are told from here, in order
    for (size_t i = 1; i < n; ++i) {
        pieces[i].coll = NewPiece(quiet);
        if (!pieces[i].coll) return false;
    }
    auto readPiece = [&](size_t i) {
        Piece& piece = pieces[i];
        TPointColl& into = i == 0 ? *this : *piece.coll;
        QFile f(fileName_);
        if (!f.open(QIODevice::ReadOnly) || !f.seek(cuts[i])) {
            piece.readFailed = piece.stopped = true;
            return;
        }
        qint64 left = cuts[i + 1] - cuts[i];
        into.Reserve(left);
        auto read = [&](char* to, qint64 max) -> qint64 {
            const qint64 got = left > 0 ? f.read(to, std::min(max, left)) : 0;
            if (got > 0) left -= got;
            return got;
        };
        piece.stopped = !into.StreamLines(
            read, piece.lines,
            [&](int lineNo) {
                if (++piece.badCount <= kMaxReportedBadLines) piece.bad.push_back(lineNo);
                return ContinueAfterBadLine();
            },
            piece.readFailed);
    };
    std::atomic<size_t> next{0};
    auto readPieces = [&] {
        for (size_t i; (i = next.fetch_add(1)) < n;) readPiece(i);
    };
    std::vector<std::thread> threads;
    for (unsigned c = 1; c < cores; ++c) {
        try {
            threads.emplace_back(readPieces);
        } catch (const std::system_error&) {  // no thread to be had: the rest read here
            break;
        }
    }
    readPieces();
    for (std::thread& t : threads) t.join();

    // As one pass would have it: the bad lines in file order, numbered through the file,
    // and nothing after the first one where a bad line stops the load.
    int linesBefore = 0;
    for (size_t i = 0; i < n; ++i) {
        Piece& piece = pieces[i];
        if (piece.readFailed) {
            readFailed = true;
            return true;
        }
        for (const int lineNo : piece.bad) {
            if (++badLines <= kMaxReportedBadLines) {
                sink_.Error(QStringLiteral("読込ｴﾗｰ\r\n") +
                            QStringLiteral("ﾌｧｲﾙ名：%1（%2行目）")
                                .arg(fileName_, QString::number(linesBefore + lineNo)));
            }
        }
        badLines += piece.badCount - static_cast<int>(piece.bad.size());
        if (i > 0) TakePiece(*piece.coll);
        piece.coll.reset();
        if (piece.stopped) break;
        linesBefore += piece.lines;
    }
    return true;
}

bool TPointColl::Load(const QString& fileName) {
    Clear();
    fileName_ = fileName;
    loadIncomplete_ = false;
    QFile file(fileName);
    // Only a regular file has an end: a device or a pipe could be read for ever.
    if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly)) {
        loadIncomplete_ = QFileInfo::exists(fileName);
        sink_.Error(QStringLiteral("ﾌｧｲﾙが読めません\r\n") + FileNameText(fileName));
        return false;
    }
    int lineNo = 0;
    int badLines = 0;
    bool readFailed = false;
    auto badLine = [&](int at) {
        if (++badLines <= kMaxReportedBadLines) {
            sink_.Error(QStringLiteral("読込ｴﾗｰ\r\n") +
                        QStringLiteral("ﾌｧｲﾙ名：%1（%2行目）").arg(fileName, QString::number(at)));
        }
        return ContinueAfterBadLine();
    };
    // A large file of a kind that allows it is read in pieces on several cores.
    const bool inPieces =
        file.size() >= kPiecesFromBytes && LoadInPieces(file.size(), badLines, readFailed);
    if (!inPieces) {
        Reserve(file.size());
        StreamLines([&file](char* to, qint64 max) { return file.read(to, max); }, lineNo, badLine,
                    readFailed);
    }
    if (readFailed) {
        loadIncomplete_ = true;
        sink_.Error(QStringLiteral("ﾌｧｲﾙが読めません\r\n") + FileNameText(fileName));
        return false;
    }
    if (badLines > 0) loadIncomplete_ = true;
    return badLines == 0;
}

bool TPointColl::Save() {
    return Save(fileName_);
}

QString TPointColl::RefuseSaveText() const {
    return QStringLiteral("ﾌｧｲﾙの読込に失敗したため保存できません\r\n") + FileNameText(fileName_);
}

bool TPointColl::Save(const QString& fileName) {
    if (loadIncomplete_ && SamePath(fileName, fileName_)) {
        sink_.Error(RefuseSaveText());
        return false;
    }
    QByteArray bytes;
    const int n = Count();
    for (int i = 0; i < n; ++i) {
        bytes += EncodeCp932(FormatLine(i));
        bytes += "\r\n";
    }
    switch (WriteFileReplacing(fileName, bytes)) {
        case WriteResult::Ok:
            return true;
        case WriteResult::CannotCreate:
            sink_.Error(QStringLiteral("ﾌｧｲﾙを書込できません\r\n") + FileNameText(fileName));
            return false;
        case WriteResult::WriteFailed:
            break;
    }
    sink_.Error(QStringLiteral("書込ｴﾗｰ\r\n") + FileNameText(fileName));
    return false;
}

// ---------------------------------------------------------------------------------------
// The kinds

void TKijunColl::Add(double x, double y, double z, const QString& name) {
    items_.push_back(TKijun{x, y, z, name});
}

bool TKijunColl::ParseLine(std::string_view line) {
    std::string_view f[4];
    SplitFields(line, f, 4);
    double x, y, z = 0;
    if (!ParseReal(f[1], x) || !ParseReal(f[2], y)) return false;
    if (!f[3].empty() && !ParseReal(f[3], z)) return false;
    Add(x, y, z, DecodeCp932(f[0]));
    return true;
}

void TTansaColl::Add(double x, double y, int region, int tag, const QString& name) {
    items_.push_back(TTansa{x, y, region, tag, name});
}

bool TTansaColl::ParseLine(std::string_view line) {
    std::string_view f[5];
    SplitFields(line, f, 5);
    double x, y;
    int region, tag;
    if (!ParseReal(f[1], x) || !ParseReal(f[2], y) || !ParseInt(f[3], region) ||
        !ParseInt(f[4], tag)) {
        return false;
    }
    Add(x, y, region, tag, DecodeCp932(f[0]));
    return true;
}

namespace {

// The extreme of one coordinate; only a strictly better value replaces the first found.
template <class Better>
double Extreme(const std::vector<TTansa>& items, double TTansa::*coord, Better better) {
    if (items.empty()) return 0;
    double v = items.front().*coord;
    for (const TTansa& p : items)
        if (better(p.*coord, v)) v = p.*coord;
    return v;
}

}  // namespace

double TTansaColl::MinX() const {
    return Extreme(items_, &TTansa::X, std::less<>());
}
double TTansaColl::MaxX() const {
    return Extreme(items_, &TTansa::X, std::greater<>());
}
double TTansaColl::MinY() const {
    return Extreme(items_, &TTansa::Y, std::less<>());
}
double TTansaColl::MaxY() const {
    return Extreme(items_, &TTansa::Y, std::greater<>());
}

void TIjoColl::Add(double x, double y, const QString& name, const QString& note) {
    items_.push_back(TIjo{x, y, name, note});
}

bool TIjoColl::ParseLine(std::string_view line) {
    std::string_view f[4];
    SplitFields(line, f, 4);
    double x, y;
    if (!ParseReal(f[1], x) || !ParseReal(f[2], y)) return false;
    Add(x, y, DecodeCp932(f[0]), DecodeCp932(f[3]));
    return true;
}

QString TMisokuColl::NormalizeName(const QString& name) {
    const QString t = TrimBlanks(name);
    return t.isEmpty() ? QStringLiteral("(マーク)") : t;
}

void TMisokuColl::Add(double x, double y, const QString& name, int number) {
    items_.push_back(TMisoku{x, y, NormalizeName(name), number});
}

bool TMisokuColl::ParseLine(std::string_view line) {
    std::string_view f[4];
    SplitFields(line, f, 4);
    double x, y;
    int number = 0;
    if (!ParseReal(f[0], x) || !ParseReal(f[1], y)) return false;
    if (!f[3].empty() && !ParseInt(f[3], number)) return false;
    std::string_view name = f[2];
    // The writer quotes names that hold a delimiter; take that one pair off again.
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
        name = name.substr(1, name.size() - 2);
    }
    Add(x, y, DecodeCp932(name), number);
    return true;
}

QString TMisokuColl::FormatLine(int index) const {
    const TMisoku& m = Item(index);
    QString name = m.Name;
    // A double quote would pair with the next one on reading and swallow the number;
    // it is written as the full-width quote, which reads back as one field.
    name.replace(QLatin1Char('"'), QChar(0xFF02));
    if (name.contains(QLatin1Char(' ')) || name.contains(QLatin1Char(',')) ||
        name.contains(QLatin1Char('\t')) || name.isEmpty()) {
        name = QLatin1Char('"') + name + QLatin1Char('"');
    }
    return QString::asprintf("%10.3f %10.3f ", m.X, m.Y) + name +
           QString::asprintf(" %d", m.Number);
}

QString TMisokuColl::RefuseSaveText() const {
    return QStringLiteral("マークファイルの読込に失敗したため保存できません\r\n") +
           FileNameText(FileName());
}

bool TMisokuColl::AddAndSave(double x, double y, const QString& name, int number) {
    if (LoadIncomplete()) {
        sink_.Error(RefuseSaveText());
        return false;
    }
    Add(x, y, name, number);
    if (Save()) return true;
    items_.pop_back();  // the collection stays what the file holds
    return false;
}

bool TMisokuColl::ChangeAndSave(int index, const QString& name, int number) {
    if (LoadIncomplete()) {
        sink_.Error(RefuseSaveText());
        return false;
    }
    if (index < 0 || index >= Count()) return false;
    TMisoku& m = items_[static_cast<size_t>(index)];
    const TMisoku before = m;
    m.Name = NormalizeName(name);
    m.Number = number;
    if (Save()) return true;
    items_[static_cast<size_t>(index)] = before;
    return false;
}

bool TMisokuColl::DeleteAndSave(int index) {
    if (LoadIncomplete()) {
        sink_.Error(RefuseSaveText());
        return false;
    }
    if (index < 0 || index >= Count()) return false;
    const TMisoku before = items_[static_cast<size_t>(index)];
    Delete(index);
    if (Save()) return true;
    items_.insert(items_.begin() + index, before);
    return false;
}

// ---------------------------------------------------------------------------------------
// TWorld

TWorld::TWorld(double xmin, double ymin, double xmax, double ymax)
    : xmin_(xmin), ymin_(ymin), xmax_(xmax), ymax_(ymax) {}

void TWorld::SetDefault(double xmin, double ymin, double xmax, double ymax) {
    dxmin_ = xmin;
    dymin_ = ymin;
    dxmax_ = xmax;
    dymax_ = ymax;
}

void TWorld::Add(double x, double y) {
    if (x < xmin_) xmin_ = x;
    if (x > xmax_) xmax_ = x;
    if (y < ymin_) ymin_ = y;
    if (y > ymax_) ymax_ = y;
    ++count_;
}

}  // namespace tidrun
