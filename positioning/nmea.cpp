#include "positioning/nmea.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

#include "positioning/geodesy.h"

namespace tidrun {

namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// Blanks and control characters skipped around fields: 1 to 32 (a NUL ends the text).
bool IsSkipped(char c) {
    return static_cast<unsigned char>(c - 1) < ' ';
}

// Bytes that end an unquoted field: a comma and every byte below 33.
constexpr std::array<bool, 256> kFieldEnd = [] {
    std::array<bool, 256> t{};
    for (int c = 0; c <= ' '; ++c) t[c] = true;
    t[','] = true;
    return t;
}();

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlankOrControl(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlankOrControl(s.back())) s.remove_suffix(1);
    return s;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The expected checksum: the first two characters of a field read as hexadecimal,
// 0 when they are no hexadecimal number.
unsigned ReadChecksumField(std::string_view f) {
    if (f.empty()) return 0;
    const int hi = HexDigit(f[0]);
    if (hi < 0) return 0;
    if (f.size() == 1) return static_cast<unsigned>(hi);
    const int lo = HexDigit(f[1]);
    if (lo < 0) return 0;
    return static_cast<unsigned>(hi * 16 + lo);
}

// Appends the decimal digits at q to mantissa (wrapping silently past 19 digits) and returns
// where they end. Eight digits at a time where there are eight.
[[gnu::always_inline]] inline const char* ReadDigits(const char* q, const char* e,
                                                     std::uint64_t& mantissa) {
    if constexpr (std::endian::native == std::endian::little) {
        while (e - q >= 8) {
            std::uint64_t v;
            std::memcpy(&v, q, 8);
            const bool allDigits = ((v & 0xF0F0F0F0F0F0F0F0ULL) |
                                    (((v + 0x0606060606060606ULL) & 0xF0F0F0F0F0F0F0F0ULL) >> 4)) ==
                                   0x3333333333333333ULL;
            if (!allDigits) break;
            v -= 0x3030303030303030ULL;
            v = v * 10 + (v >> 8);
            v = (((v & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
                 (((v >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
                32;
            mantissa = mantissa * 100000000ULL + (v & 0xFFFFFFFFULL);
            q += 8;
        }
    }
    unsigned d;
    while (q < e && (d = static_cast<unsigned>(*q - '0')) < 10) {
        mantissa = mantissa * 10 + d;
        ++q;
    }
    return q;
}

}  // namespace

bool ReadNmeaReal(std::string_view field, double& value) {
    std::string_view s = Trim(field);
    value = 0;
    if (s.empty()) return false;
    if (s.front() == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s.front() == '-') return false;
    }
    const std::size_t lead = (!s.empty() && s.front() == '-') ? 1 : 0;
    // Only plain decimal numbers: no "inf", "nan" or hexadecimal forms.
    if (s.size() <= lead || !(IsDigit(s[lead]) || s[lead] == '.')) return false;
    // Short plain decimals (nearly every NMEA field): digits / 10^k is exact in both parts,
    // so one division gives the correctly rounded value.
    {
        const char* q = s.data() + lead;
        const char* const e = s.data() + s.size();
        const char* const first = q;
        std::uint64_t mantissa = 0;
        q = ReadDigits(q, e, mantissa);
        std::ptrdiff_t digits = q - first, decimals = 0;
        if (q < e && *q == '.') {
            const char* const fraction = ++q;
            q = ReadDigits(q, e, mantissa);
            decimals = q - fraction;
            digits += decimals;
        }
        if (q == e) {
            if (digits == 0) return false;  // "." or "-."
            if (digits <= 15) {
                static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                    1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
                const double v = static_cast<double>(mantissa) / kPow10[decimals];
                value = lead ? -v : v;
                return true;
            }
        }
    }
    double v = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || ptr != s.data() + s.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

double NmeaReal(std::string_view field) {
    double v = 0;
    ReadNmeaReal(field, v);
    return v;
}

std::int32_t NmeaInteger(std::string_view field) {
    std::string_view s = Trim(field);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.size() > 10) return 0;
    std::int64_t v = 0;
    for (char c : s) {
        const unsigned d = static_cast<unsigned>(c - '0');
        if (d >= 10) return 0;
        v = v * 10 + d;
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return 0;
    return static_cast<std::int32_t>(v);
}

bool ParseNmeaTime(std::string_view field, std::int32_t& timeMs) {
    const std::string_view s = Trim(field);
    // Plain form, digits [. digits]: read the whole seconds and the hundredths from the text.
    {
        std::size_t i = 0;
        std::int64_t n = 0;
        while (i < s.size() && IsDigit(s[i])) {
            n = std::min<std::int64_t>(n * 10 + (s[i] - '0'), 100000000);  // large is large
            ++i;
        }
        std::int32_t hundredths = 0;
        if (i < s.size() && s[i] == '.') {
            const std::size_t fraction = ++i;
            while (i < s.size() && IsDigit(s[i])) {
                if (i - fraction < 2) hundredths = hundredths * 10 + (s[i] - '0');
                ++i;
            }
            if (i - fraction == 1) hundredths *= 10;
        }
        if (i == s.size()) {
            if (n >= 240000) return false;
            const auto hours = static_cast<std::int32_t>(n / 10000);
            const auto minutes = static_cast<std::int32_t>(n / 100 % 100);
            const auto seconds = static_cast<std::int32_t>(n % 100);
            if (hours > 23 || minutes > 59 || seconds > 59) return false;
            timeMs = ((hours * 60 + minutes) * 60 + seconds) * 1000 + hundredths * 10;
            return true;
        }
    }
    // Anything else (a sign, an exponent, garbage): the number as the real reader gives it.
    double v = 0;
    if (!ReadNmeaReal(s, v)) {
        timeMs = 0;  // an unreadable number counts as 0, like every other field: no hundredths
        return true;
    }
    if (!(v >= 0 && v < 240000)) return false;
    const auto n = static_cast<std::int32_t>(v);
    const std::int32_t hours = n / 10000;
    const std::int32_t minutes = (n / 100) % 100;
    const std::int32_t seconds = n % 100;
    if (hours > 23 || minutes > 59 || seconds > 59) return false;

    // Hundredths: the first two decimals as written (0.78 * 100 is 77.99... in binary).
    std::int32_t hundredths = 0;
    const std::size_t dot = s.find('.');
    const bool plainDigits = s.find_first_of("eE") == std::string_view::npos;
    if (plainDigits) {
        if (dot != std::string_view::npos) {
            if (dot + 1 < s.size() && IsDigit(s[dot + 1])) hundredths += 10 * (s[dot + 1] - '0');
            if (dot + 2 < s.size() && IsDigit(s[dot + 2])) hundredths += s[dot + 2] - '0';
        }
    } else {
        hundredths = static_cast<std::int32_t>(std::floor((v - n) * 100.0 + 1e-7));
        if (hundredths < 0) hundredths = 0;
        if (hundredths > 99) hundredths = 99;
    }
    timeMs = ((hours * 60 + minutes) * 60 + seconds) * 1000 + hundredths * 10;
    return true;
}

bool NmeaAngleToDegrees(double value, double& degrees) {
    degrees = 0;
    // Truncating a value this large to an integer is impossible: the conversion fails.
    if (!(std::fabs(value) < 9.2e18)) return false;
    const auto whole = static_cast<double>(static_cast<std::int64_t>(value) / 100);
    const double d = whole + (value - whole * 100.0) / 60.0;
    if (!std::isfinite(d)) return false;
    degrees = d;
    return true;
}

bool NmeaAngleToRadians(double value, double& radians) {
    radians = 0;
    double degrees = 0;
    if (!NmeaAngleToDegrees(value, degrees)) return false;
    const double r = degrees * std::numbers::pi / 180.0;
    if (!std::isfinite(r)) return false;
    radians = r;
    return true;
}

double NmeaAngleToRadians(double value) {
    double r = 0;
    NmeaAngleToRadians(value, r);
    return r;
}

namespace {

// Exclusive-or of a byte range, eight bytes at a time.
unsigned XorBytes(const char* p, std::size_t n) {
    std::uint64_t wide = 0;
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        wide ^= w;
    }
    wide ^= wide >> 32;
    wide ^= wide >> 16;
    wide ^= wide >> 8;
    unsigned x = static_cast<unsigned>(wide & 0xFFu);
    for (; n > 0; ++p, --n) x ^= static_cast<unsigned char>(*p);
    return x;
}

}  // namespace

std::uint8_t TNMEA::Checksum(std::string_view sentence) {
    if (sentence.size() < 2) return 0;
    const char* begin = sentence.data() + 1;
    const void* star = std::memchr(begin, '*', sentence.size() - 1);
    const char* end =
        star != nullptr ? static_cast<const char*>(star) : sentence.data() + sentence.size();
    return static_cast<std::uint8_t>(XorBytes(begin, static_cast<std::size_t>(end - begin)));
}

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHigh = 0x8080808080808080ULL;

// High bit set in each byte of v that equals b (exact, no false positives).
std::uint64_t BytesEqual(std::uint64_t v, unsigned char b) {
    const std::uint64_t x = v ^ (kOnes * b);
    return ~(((x & ~kHigh) + ~kHigh) | x) & kHigh;
}

// High bit set in each byte of v that is below 33 (exact).
std::uint64_t BytesBelow33(std::uint64_t v) {
    const std::uint64_t low = v & ~kHigh;                            // low seven bits of each byte
    const std::uint64_t atLeast33 = (low + kOnes * (128 - 33)) | v;  // bit 7: byte >= 33
    return ~atLeast33 & kHigh;
}

}  // namespace

// The common sentence: no quote, no blank or control byte before its trailing run (the CR).
// There the comma-text rule is a plain split at commas; false when the text needs the full rule.
bool TNMEA::SplitPlain() {
    if constexpr (std::endian::native != std::endian::little) return false;
    const char* const text = buffer_.data();
    std::size_t n = buffer_.size();
    while (n > 0 && IsBlankOrControl(text[n - 1])) --n;  // the trailing run
    const bool trailing = n < buffer_.size();
    // A NUL in the trailing run ends the text there: left to the full rule.
    if (trailing && std::memchr(text + n, '\0', buffer_.size() - n) != nullptr) return false;
    if (n == 0) return true;  // nothing but blanks: no fields

    std::size_t start = 0;
    auto comma = [&](std::size_t at) {
        AddField(text + start, at - start);
        start = at + 1;
    };
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t v;
        std::memcpy(&v, text + i, 8);
        if ((BytesBelow33(v) | BytesEqual(v, '"')) != 0) {
            fields_.clear();
            return false;
        }
        for (std::uint64_t m = BytesEqual(v, ','); m != 0; m &= m - 1) {
            comma(i + static_cast<std::size_t>(std::countr_zero(m)) / 8);
        }
    }
    for (; i < n; ++i) {
        const char c = text[i];
        if (IsBlankOrControl(c) || c == '"') {
            fields_.clear();
            return false;
        }
        if (c == ',') comma(i);
    }
    // The last piece; after a final comma it is empty and counts only when nothing follows.
    if (start < n || !trailing) AddField(text + start, n - start);
    return true;
}

// Splits buffer_ into fields_ by the comma-text rule: blanks and control characters before
// a field are skipped, a field ends at a comma or at a byte below 33, a field opening with a
// double quote is a quoted string ("" inside stands for one quote). The text ends at a NUL byte.
void TNMEA::Split() {
    fields_.clear();
    if (SplitPlain()) return;
    char* p = buffer_.data();
    char* const end = p + buffer_.size();  // *end is the string's terminating NUL
    while (p < end && IsSkipped(*p)) ++p;
    while (p < end && *p != '\0') {
        if (*p == '"') {
            // Unquote in place: the write position never passes the read position.
            char* const start = p;
            char* out = p;
            ++p;
            while (p < end && *p != '\0') {
                if (*p == '"') {
                    if (p + 1 < end && p[1] == '"') {
                        *out++ = '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                *out++ = *p++;
            }
            AddField(start, static_cast<std::size_t>(out - start));
        } else {
            // *end is a NUL (the string's terminator or the first NUL), which stops this scan.
            char* const start = p;
            while (!kFieldEnd[static_cast<unsigned char>(*p)]) ++p;
            AddField(start, static_cast<std::size_t>(p - start));
        }
        while (p < end && IsSkipped(*p)) ++p;
        if (p < end && *p == ',') {
            if (p + 1 == end || p[1] == '\0') AddField(p, 0);  // a comma closing the text
            do ++p;
            while (p < end && IsSkipped(*p));
        }
    }
}

void TNMEA::Decode(std::string_view sentence) {
    buffer_.assign(sentence);
    const void* starAt =
        sentence.empty() ? nullptr : std::memchr(sentence.data(), '*', sentence.size());
    const std::size_t star =
        starAt != nullptr
            ? static_cast<std::size_t>(static_cast<const char*>(starAt) - sentence.data())
            : sentence.size();
    if (star < sentence.size()) buffer_[star] = ',';
    Split();

    errorFlag = 0;
    checksumMatched_ = false;
    const unsigned expected = fields_.empty() ? 0u : ReadChecksumField(Field(FieldCount() - 1));
    // The checksum covers the bytes after the first one up to the "*" (or the end).
    const unsigned actual =
        star >= 1 ? XorBytes(sentence.data() + 1, star - 1) & 0xFFu : Checksum(sentence);
    if ((expected & 0xFFu) != actual) {
        errorFlag = -1;
        return;
    }
    checksumMatched_ = true;

    if (Field(1) == "GGK") {
        kind = kKindGGK;
        DecodeGGK();
        return;
    }
    const std::string_view address = Field(0);
    const std::string_view type =
        address.size() >= 3 ? address.substr(address.size() - 3) : address;
    if (type == "GGA") {
        kind = kKindGGA;
        DecodeGGA();
    } else if (type == "RMC") {
        kind = kKindRMC;
        speed = NmeaReal(Field(7));
        course = NmeaReal(Field(8));
    } else {
        kind = kKindOther;
        errorFlag = -1;
    }
}

void TNMEA::DecodeGGA() {
    // An empty or impossible time (246000, the leap second 235960) gives 00:00:00.00 and
    // the error flag; the other fields are still decoded.
    const std::string_view t = Field(1);
    std::int32_t ms = 0;
    if (Trim(t).empty() || !ParseNmeaTime(t, ms)) {
        timeMs = 0;
        errorFlag = -1;
    } else {
        timeMs = ms;
    }
    ReadCoordinates(Field(2), Field(4));
    quality = NmeaInteger(Field(6));
    satellites = NmeaInteger(Field(7));
    dop = NmeaReal(Field(8));
    // Receivers without a geoid model leave the separation empty; a field that holds
    // something else than a number ("nan") makes the height unknown.
    const bool altitudeRead = ReadNmeaReal(Field(9), altitude);
    const bool separationRead = ReadNmeaReal(Field(11), geoidSeparation);
    heightValid = altitudeRead && (separationRead || Trim(Field(11)).empty());
    dgpsAge = NmeaReal(Field(13));
    stationId = NmeaInteger(Field(14));
}

void TNMEA::DecodeGGK() {
    std::int32_t ms = 0;
    if (!ParseNmeaTime(Field(2), ms)) {
        errorFlag = -1;  // an impossible time stops the sentence here
        return;
    }
    timeMs = ms;
    ReadCoordinates(Field(4), Field(6));
    quality = NmeaInteger(Field(8));
    satellites = NmeaInteger(Field(9));
    dop = NmeaReal(Field(10));
    // "EHT36.123": the height follows the three-letter prefix (at most ten characters).
    const std::string_view height = Field(11);
    altitude = 0;
    heightValid = height.size() > 3 && ReadNmeaReal(height.substr(3, 10), altitude);
    geoidSeparation = 0;
    dgpsAge = 0;
    stationId = 0;
}

namespace {

// An angle as sent in ddmm.mmmm / dddmm.mmmm: a number, without a sign (the hemisphere has a
// field of its own), minutes below 60, at most maxDegrees.
bool IsNmeaAngle(bool read, double value, double maxDegrees) {
    double degrees = 0;
    if (!read || std::signbit(value) || !NmeaAngleToDegrees(value, degrees)) return false;
    const double minutes =
        value - static_cast<double>(static_cast<std::int64_t>(value) / 100) * 100;
    return minutes < 60.0 && degrees <= maxDegrees;
}

}  // namespace

// Latitude and longitude as read (0 when unreadable), and whether both make a place on the
// earth: an empty field reads as 0, and 0 N 0 E is no fix of ours.
void TNMEA::ReadCoordinates(std::string_view lat, std::string_view lon) {
    const bool latRead = ReadNmeaReal(lat, latitude);
    const bool lonRead = ReadNmeaReal(lon, longitude);
    coordinatesValid =
        IsNmeaAngle(latRead, latitude, 90.0) && IsNmeaAngle(lonRead, longitude, 180.0);
}

bool IsMeasuredFix(const GpsFix& fix) {
    if (fix.quality < 1) return false;
    return fix.kind != kKindGGA || fix.quality < 6 || fix.quality > 8;
}

double TNMEA::LatitudeRadians() {
    errorFlag = 0;
    double r = 0;
    if (!NmeaAngleToRadians(latitude, r)) errorFlag = -1;
    return r;
}

double TNMEA::LongitudeRadians() {
    errorFlag = 0;
    double r = 0;
    if (!NmeaAngleToRadians(longitude, r)) errorFlag = -1;
    return r;
}

namespace {

int HourOffsetOf(int datumIndex) {
    return (datumIndex >= 0 && datumIndex < kDatumCount) ? DatumAt(datumIndex).hourOffset : 0;
}

}  // namespace

QDateTime TNMEA::LocalTime(int datumIndex, qint64 utcNowMs) const {
    constexpr qint64 kDayMs = 24 * 3600 * 1000;
    const qint64 today = utcNowMs - ((utcNowMs % kDayMs) + kDayMs) % kDayMs;  // UTC midnight
    qint64 fixMs = today + timeMs;
    if (fixMs - utcNowMs > kDayMs / 2)
        fixMs -= kDayMs;  // a fix of late yesterday handled just after midnight
    else if (utcNowMs - fixMs > kDayMs / 2)
        fixMs += kDayMs;  // the receiver's clock past midnight ahead of the computer's
    const int offsetSecs = HourOffsetOf(datumIndex) * 3600;
    return QDateTime::fromMSecsSinceEpoch(fixMs, Qt::OffsetFromUTC, offsetSecs);
}

QTime TNMEA::LocalTimeOfDay(int datumIndex) const {
    const int offset = HourOffsetOf(datumIndex);
    constexpr std::int32_t kHourMs = 3600 * 1000;
    const std::int32_t hours = (timeMs / kHourMs + offset) % 24;  // the day is not carried over
    return QTime::fromMSecsSinceStartOfDay(hours * kHourMs + timeMs % kHourMs);
}

}  // namespace tidrun
