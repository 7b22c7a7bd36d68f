#include "surveydata/sokusencoll.h"

#include <QFile>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

#include "surveydata/appendfile.h"
#include "surveydata/codec.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tidrun {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

const QString kWriteError = QStringLiteral("側線ファイル書込エラー");

// The write error naming the file: for a file that could not be opened or was replaced.
QString WriteErrorNaming(const QString& fileName) {
    return kWriteError + QStringLiteral("\r\nﾌｧｲﾙ名：") + fileName;
}

// Reads 1 to maxDigits decimal digits at p.
bool ReadNumber(const char*& p, const char* end, int maxDigits, int& value) {
    int v = 0, n = 0;
    while (p < end && n < maxDigits && *p >= '0' && *p <= '9') {
        v = v * 10 + (*p - '0');
        ++p;
        ++n;
    }
    value = v;
    return n > 0;
}

bool Expect(const char*& p, const char* end, char c) {
    if (p < end && *p == c) {
        ++p;
        return true;
    }
    return false;
}

// Every double quote of the field removed; `scratch` holds the result when a copy is needed.
std::string_view StripQuotes(std::string_view f, std::string& scratch) {
    const size_t first = f.find('"');
    if (first == std::string_view::npos) return f;
    if (first == 0 && f.size() >= 2 && f.find('"', 1) == f.size() - 1) {
        return f.substr(1, f.size() - 2);
    }
    scratch.clear();
    for (char c : f)
        if (c != '"') scratch.push_back(c);
    return scratch;
}

// A figure of exactly `decimals` decimals and at most 15 digits, as the whole number of
// them: what ParseRealPrefix makes of it is that number divided by the power of ten, so
// the two agree to the bit. Null for anything else, "-0.000" (which is -0) among it.
const char* FixedPrefix(const char* p, const char* end, int decimals, std::int64_t& q) {
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    std::int64_t v = 0;
    int digits = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p, ++digits) v = v * 10 + (*p - '0');
    if (digits == 0 || digits + decimals > 15 || p == end || *p != '.') return nullptr;
    ++p;
    for (int k = 0; k < decimals; ++k, ++p) {
        if (p == end || *p < '0' || *p > '9') return nullptr;
        v = v * 10 + (*p - '0');
    }
    if (p < end && ((*p >= '0' && *p <= '9') || *p == 'e' || *p == 'E')) return nullptr;
    if (negative && v == 0) return nullptr;
    q = negative ? -v : v;
    return p;
}

// Up to nine digits with an optional minus, which always fit 32 bits: what ParseIntPrefix
// reads, without its library call. Null for anything else (then read by ParseIntPrefix).
inline const char* SmallIntPrefix(const char* p, const char* end, std::int32_t& value) {
    const bool negative = p < end && *p == '-';
    const char* q = p + (negative ? 1 : 0);
    std::int64_t v = 0;
    int digits = 0;
    for (; q < end && *q >= '0' && *q <= '9' && digits <= 9; ++q, ++digits) v = v * 10 + (*q - '0');
    if (digits == 0 || digits > 9) return nullptr;
    value = static_cast<std::int32_t>(negative ? -v : v);
    return q;
}

// Walks the line once: a number field must end at a delimiter or the end of the line,
// which gives the same result as splitting the fields first and converting each whole
// field (a field holding anything more is no number either way). The record comes as whole
// numbers (exact true; all but the name index) when every figure has the decimals the file
// prints, else in r. name: the line name without its quotes (in scratch when a copy was
// needed).
bool ReadRecord(std::string_view line, TSokusenStore::Fixed& key, bool& exact, TSokusen& r,
                std::string_view& name, std::string& scratch) {
    using S = TSokusenStore;
    const char* p = line.data();
    const char* const end = p + line.size();
    auto isDelim = [](char c) { return c == ' ' || c == ',' || c == '\t'; };
    auto skip = [&] {
#if defined(__SSE2__)
        // Sixteen bytes at a time: the padding's length varies from field to field, which
        // a loop of a byte at a time mispredicts.
        const __m128i space = _mm_set1_epi8(' '), comma = _mm_set1_epi8(','),
                      tab = _mm_set1_epi8('\t');
        while (end - p >= 16) {
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i d =
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(c, space), _mm_cmpeq_epi8(c, comma)),
                             _mm_cmpeq_epi8(c, tab));
            const unsigned other = ~unsigned(_mm_movemask_epi8(d)) & 0xFFFFu;
            if (other) {
                p += std::countr_zero(other);
                return;
            }
            p += 16;
        }
#endif
        while (p < end && isDelim(*p)) ++p;
    };
    double reals[S::kFields];
    bool real[S::kFields] = {};  // read as a real, not as a whole number
    exact = true;
    auto figure = [&](int f) {
        skip();
        const char* q = FixedPrefix(p, end, S::Decimals(f), key[static_cast<std::size_t>(f)]);
        if (!q) {
            q = ParseRealPrefix(p, end, reals[f]);
            real[f] = true;
            exact = false;
        }
        if (!q || (q < end && !isDelim(*q))) return false;
        p = q;
        return true;
    };
    auto integer = [&](int f) {
        skip();
        std::int32_t v;
        const char* q = SmallIntPrefix(p, end, v);
        if (!q) q = ParseIntPrefix(p, end, v);
        if (!q || (q < end && !isDelim(*q))) return false;
        key[static_cast<std::size_t>(f)] = v;
        p = q;
        return true;
    };
    auto text = [&]() {
        skip();
        const char* start = p;
        for (; p < end; ++p) {
            if (*p == '"') {  // a quoted run: to its closing quote, or the line's end
                const void* q = std::memchr(p + 1, '"', static_cast<size_t>(end - p - 1));
                if (!q) {
                    p = end;
                    break;
                }
                p = static_cast<const char*>(q);
            } else if (isDelim(*p)) {
                break;
            }
        }
        return std::string_view(start, static_cast<size_t>(p - start));
    };

    // The file has the fields in another order than TSokusenStore::Fixed.
    using enum TSokusenStore::Field;
    if (!integer(kSerial) || !integer(kLineNo)) return false;
    const std::string_view nameField = text();
    if (!integer(kCutNo) || !figure(kX) || !figure(kY) || !figure(kH) || !figure(kDist) ||
        !integer(kGpsInt) || !figure(kGpsA) || !figure(kGpsB) || !figure(kGpsH)) {
        return false;
    }
    const std::string_view timeField = text();
    if (!figure(kDX) || !figure(kDY) || !figure(kDH) || !figure(kDA)) return false;
    std::string timeScratch;
    CutTime t;
    if (!ParseCutTime(StripQuotes(timeField, timeScratch), t)) return false;
    key[kTime] = t;
    key[kNameIndex] = 0;
    name = StripQuotes(nameField, scratch);
    if (!exact) {
        r = S::FromFixed(key);
        double TSokusen::*const member[] = {&TSokusen::X,    &TSokusen::Y,    &TSokusen::H,
                                            &TSokusen::Dist, &TSokusen::GpsA, &TSokusen::GpsB,
                                            &TSokusen::GpsH, &TSokusen::DX,   &TSokusen::DY,
                                            &TSokusen::DH,   &TSokusen::DA};
        for (int f = kX; f <= kDA; ++f)
            if (real[f]) r.*member[f - kX] = reals[f];
    }
    return true;
}

QString FormatRecord(const TSokusen& r, const QString& name) {
    // The texts are joined in, not passed through "%s", so that no character of a name
    // can cut the line short.
    QString line = QString::asprintf("%5d, %4d, \"", r.Serial, r.LineNo);
    line += name;
    line +=
        QString::asprintf("\", %4d, %11.3f, %11.3f, %8.3f, %8.3f, %4d, %12.6f, %12.6f, %8.3f, \"",
                          r.CutNo, r.X, r.Y, r.H, r.Dist, r.GpsInt, r.GpsA, r.GpsB, r.GpsH);
    line += FormatCutTime(r.Time);
    line += QString::asprintf("\", %11.3f, %11.3f, %8.3f, %8.3f", r.DX, r.DY, r.DH, r.DA);
    return line;
}

}  // namespace

CutTime CutTimeFromDateTime(const QDateTime& t) {
    if (!t.isValid()) return 0;
    return t.date().toJulianDay() * kSecondsPerDay + t.time().msecsSinceStartOfDay() / 1000;
}

QDateTime CutTimeToDateTime(CutTime t) {
    const std::int64_t day =
        t >= 0 ? t / kSecondsPerDay : (t - kSecondsPerDay + 1) / kSecondsPerDay;
    const std::int64_t sec = t - day * kSecondsPerDay;
    return QDateTime(QDate::fromJulianDay(day),
                     QTime::fromMSecsSinceStartOfDay(static_cast<int>(sec * 1000)));
}

QString FormatCutTime(CutTime t) {
    const QDateTime dt = CutTimeToDateTime(t);
    const QDate d = dt.date();
    const QTime tm = dt.time();
    const int yy = ((d.year() % 100) + 100) % 100;
    return QString::asprintf("%02d/%02d/%02d %d:%02d:%02d", yy, d.month(), d.day(), tm.hour(),
                             tm.minute(), tm.second());
}

bool ParseCutTime(std::string_view text, CutTime& t) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && *p == ' ') ++p;
    int y, m, d, hh = 0, mm = 0, ss = 0;
    const char* yearStart = p;
    if (!ReadNumber(p, end, 4, y)) return false;
    if (p - yearStart <= 2) y += y < 50 ? 2000 : 1900;
    if (!Expect(p, end, '/') || !ReadNumber(p, end, 2, m) || !Expect(p, end, '/') ||
        !ReadNumber(p, end, 2, d)) {
        return false;
    }
    if (p < end && *p == ' ') {
        while (p < end && *p == ' ') ++p;
        if (!ReadNumber(p, end, 2, hh) || !Expect(p, end, ':') || !ReadNumber(p, end, 2, mm)) {
            return false;
        }
        if (p < end && *p == ':' && !(++p, ReadNumber(p, end, 2, ss))) return false;
    }
    while (p < end && *p == ' ') ++p;
    std::int64_t day;
    if (p != end || !GregorianJulianDay(y, m, d, day) || hh > 23 || mm > 59 || ss > 59)
        return false;
    t = day * kSecondsPerDay + hh * 3600 + mm * 60 + ss;
    return true;
}

bool GregorianJulianDay(int y, int m, int d, std::int64_t& day) {
    // Years 1 to 9999 (QDate has no year 0); the days from 1 March of year 0, by eras of
    // 400 years.
    static constexpr int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (d > kMonthDays[m - 1] + (m == 2 && leap ? 1 : 0)) return false;
    const int yy = y - (m <= 2 ? 1 : 0);
    const int era = yy / 400, yoe = yy % 400;
    const int doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    day = std::int64_t(era) * 146097 + doe + 1721120;  // 1 March of year 0: day 1721120
    return true;
}

struct TSokusenColl::File {
    QFile file;
};

TSokusenColl::TSokusenColl(MessageSink& sink) : TPointColl(sink) {}
TSokusenColl::~TSokusenColl() = default;

TSokusen TSokusenColl::Item(int index) const {
    if (index < 0 || index >= Count()) throw std::out_of_range("TSokusenColl::Item");
    return items_.At(index);
}

void TSokusenColl::Delete(int index) {
    if (index >= 0 && index < Count()) items_.Erase(index);
}

void TSokusenColl::Clear() {
    items_.Clear();
    names_.clear();
    lastNameBytes_.clear();
    firstNameBytes_.clear();
}

std::unique_ptr<TPointColl> TSokusenColl::NewPiece(MessageSink& sink) const {
    return std::make_unique<TSokusenColl>(sink);
}

void TSokusenColl::TakePiece(TPointColl& other) {
    auto& piece = static_cast<TSokusenColl&>(other);
    if (piece.items_.Empty()) return;
    // Names are held once per run: a run going on across the pieces keeps its name.
    const bool sameRun = !names_.empty() && lastNameBytes_ == piece.firstNameBytes_;
    const std::uint32_t base = static_cast<std::uint32_t>(names_.size()) - (sameRun ? 1 : 0);
    names_.insert(names_.end(), piece.names_.begin() + (sameRun ? 1 : 0), piece.names_.end());
    items_.Append(std::move(piece.items_), base);
    lastNameBytes_ = piece.lastNameBytes_;
}

std::uint32_t TSokusenColl::InternName(const QString& name) {
    if (!names_.empty() && names_.back() == name) {
        return static_cast<std::uint32_t>(names_.size() - 1);
    }
    names_.push_back(name);
    lastNameBytes_ = EncodeCp932(name);
    return static_cast<std::uint32_t>(names_.size() - 1);
}

void TSokusenColl::Add(const TSokusen& rec, const QString& lineName) {
    TSokusen r = rec;
    r.NameIndex = InternName(lineName);
    items_.Push(r);
}

bool TSokusenColl::ParseLine(std::string_view line) {
    TSokusenStore::Fixed key;
    bool exact;
    TSokusen r{};
    std::string_view name;
    std::string scratch;
    if (!ReadRecord(line, key, exact, r, name, scratch)) return false;
    if (names_.empty() || QByteArrayView(lastNameBytes_) != QByteArrayView(name)) {
        names_.push_back(DecodeCp932(QByteArrayView(name)));
        lastNameBytes_ = QByteArray(name.data(), static_cast<qsizetype>(name.size()));
        if (names_.size() == 1) firstNameBytes_ = lastNameBytes_;
    }
    const auto nameIndex = static_cast<std::uint32_t>(names_.size() - 1);
    if (exact) {
        key[TSokusenStore::kNameIndex] = nameIndex;
        items_.PushFixed(key);
    } else {
        r.NameIndex = nameIndex;
        items_.Push(r);
    }
    return true;
}

QString TSokusenColl::FormatLine(int index) const {
    const TSokusen r = Item(index);
    return FormatRecord(r, names_[r.NameIndex]);
}

std::int64_t TSokusenColl::BeginLine() {
    CloseFile();
    file_ = std::make_unique<File>();
    file_->file.setFileName(FileName());
    if (file_->file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered)) {
        RepairEnd(file_->file);
    } else {
        file_.reset();
        sink_.Error(WriteErrorNaming(FileName()));
    }
    nextSerial_ = items_.Empty() ? 1 : std::int64_t{items_.Back().Serial} + 1;
    currentLineNo_ = items_.Empty() ? 1 : std::int64_t{items_.Back().LineNo} + 1;
    nextCutNo_ = 1;
    noCutYet_ = true;
    return currentLineNo_;
}

int TSokusenColl::AddCut(const TCutInput& cut, const std::function<bool()>& settled) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    if (!file_ || nextSerial_ > kMax || currentLineNo_ > kMax || nextCutNo_ > kMax) {
        sink_.Error(kWriteError);
        return -1;
    }
    QFile& f = file_->file;
    if (!FileStillAtPath(f, FileName())) {
        sink_.Error(WriteErrorNaming(FileName()));
        return -1;
    }
    TSokusen r;
    r.Serial = static_cast<std::int32_t>(nextSerial_);
    r.LineNo = static_cast<std::int32_t>(currentLineNo_);
    r.CutNo = static_cast<std::int32_t>(nextCutNo_);
    r.X = cut.X;
    r.Y = cut.Y;
    r.H = cut.H;
    r.Dist = cut.Dist;
    r.GpsInt = cut.GpsInt;
    r.GpsA = cut.GpsA;
    r.GpsB = cut.GpsB;
    r.GpsH = cut.GpsH;
    r.Time = CutTimeFromDateTime(cut.Time);
    r.DX = cut.DX;
    r.DY = cut.DY;
    r.DH = cut.DH;
    r.DA = cut.DA;
    const size_t namesBefore = names_.size();
    r.NameIndex = InternName(cut.LineName);
    QByteArray bytes = EncodeCp932(FormatRecord(r, names_[r.NameIndex]));
    // Held as the line reads back, as the next open will read it: the figures to the
    // decimals the file has.
    {
        TSokusenStore::Fixed key;
        bool exact;
        TSokusen read;
        std::string_view name;
        std::string scratch;
        if (ReadRecord(std::string_view(bytes.constData(), std::size_t(bytes.size())), key, exact,
                       read, name, scratch)) {
            if (exact) read = TSokusenStore::FromFixed(key);
            read.NameIndex = r.NameIndex;
            r = read;
        }
    }
    bytes += "\r\n";
    const qint64 before = f.size();
    const auto takeOff = [&] {
        // A line that reached the file only in part (a full disk) would glue the next cut
        // to it: the file goes back to where it was, and the record goes again.
        if (f.size() > before && f.resize(before)) SyncToDisk(f);
        if (names_.size() > namesBefore) names_.pop_back();
        lastNameBytes_ = names_.empty() ? QByteArray() : EncodeCp932(names_.back());
        return -1;
    };
    if (f.write(bytes) != bytes.size() || !SyncToDisk(f)) {
        sink_.Error(kWriteError);
        return takeOff();
    }
    if (settled && !settled()) return takeOff();

    items_.Push(r);
    const int index = Count() - 1;
    ++nextSerial_;
    ++nextCutNo_;
    lastLineName_ = cut.LineName;
    noCutYet_ = false;
    return index;
}

bool TSokusenColl::EndLine() {
    CloseFile();
    return !noCutYet_;
}

void TSokusenColl::CloseFile() {
    if (file_) file_->file.close();
    file_.reset();
}

double TSokusenColl::X() const {
    return items_.Empty() ? 0 : items_.Back().X;
}
double TSokusenColl::Y() const {
    return items_.Empty() ? 0 : items_.Back().Y;
}
int TSokusenColl::CutNo() const {
    return items_.Empty() ? 0 : items_.Back().CutNo;
}
int TSokusenColl::Serial() const {
    return items_.Empty() ? 0 : items_.Back().Serial;
}
QString TSokusenColl::LastLineName() const {
    return items_.Empty() ? QString() : names_[items_.Back().NameIndex];
}
double TSokusenColl::Dist() const {
    return items_.Empty() ? 0 : items_.Back().Dist;
}
int TSokusenColl::LineNo() const {
    return items_.Empty() ? 0 : items_.Back().LineNo;
}

}  // namespace tidrun
