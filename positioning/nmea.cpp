#include "positioning/nmea.h"

#include <QDate>

#include <charconv>
#include <cmath>
#include <cstring>
#include <numbers>

#include "positioning/geodesy.h"

namespace tidrun {

namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

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
        std::uint64_t mantissa = 0;
        int digits = 0, decimals = 0;
        bool dot = false, plain = true;
        for (std::size_t i = lead; i < s.size(); ++i) {
            const char c = s[i];
            if (IsDigit(c)) {
                mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
                ++digits;
                decimals += dot ? 1 : 0;
            } else if (c == '.' && !dot) {
                dot = true;
            } else {
                plain = false;
                break;
            }
        }
        if (plain && digits > 0 && digits <= 15 && decimals <= 22) {
            constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
            const double v = static_cast<double>(mantissa) / kPow10[decimals];
            value = lead ? -v : v;
            return true;
        }
        if (plain && digits == 0) return false;  // "." or "-."
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
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s.front() == '-') return 0;
    }
    std::int32_t v = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || ptr != s.data() + s.size()) return 0;
    return v;
}

bool ParseNmeaTime(std::string_view field, std::int32_t& timeMs) {
    const std::string_view s = Trim(field);
    double v = 0;
    ReadNmeaReal(s, v);  // an unreadable number counts as 0, like every other field
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

bool NmeaAngleToRadians(double value, double& radians) {
    radians = 0;
    // Truncating a value this large to an integer is impossible: the conversion fails.
    if (!(std::fabs(value) < 9.2e18)) return false;
    const auto degrees = static_cast<double>(static_cast<std::int64_t>(value) / 100);
    const double r = (degrees + (value - degrees * 100.0) / 60.0) * std::numbers::pi / 180.0;
    if (!std::isfinite(r)) return false;
    radians = r;
    return true;
}

double NmeaAngleToRadians(double value) {
    double r = 0;
    NmeaAngleToRadians(value, r);
    return r;
}

std::uint8_t TNMEA::Checksum(std::string_view sentence) {
    unsigned x = 0;
    for (std::size_t i = 1; i < sentence.size(); ++i) {
        const char c = sentence[i];
        if (c == '*') break;
        x ^= static_cast<unsigned char>(c);
    }
    return static_cast<std::uint8_t>(x);
}

int TNMEA::FieldCount() const {
    return static_cast<int>(fields_.size());
}

std::string_view TNMEA::Field(int index) const {
    if (index < 0 || index >= static_cast<int>(fields_.size())) return {};
    return fields_[static_cast<std::size_t>(index)];
}

// Splits buffer_ into fields_ by the comma-text rule: blanks and control characters before
// a field are skipped, a field ends at a comma or at a byte below 33, a field opening with a
// double quote is a quoted string ("" inside stands for one quote). The text ends at a NUL byte.
void TNMEA::Split() {
    fields_.clear();
    char* p = buffer_.data();
    char* const end = p + std::strlen(p);
    while (p < end && IsBlankOrControl(*p)) ++p;
    while (p < end) {
        if (*p == '"') {
            // Unquote in place: the write position never passes the read position.
            char* const start = p;
            char* out = p;
            ++p;
            while (p < end) {
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
            fields_.emplace_back(start, static_cast<std::size_t>(out - start));
        } else {
            char* const start = p;
            while (p < end && !IsBlankOrControl(*p) && *p != ',') ++p;
            fields_.emplace_back(start, static_cast<std::size_t>(p - start));
        }
        while (p < end && IsBlankOrControl(*p)) ++p;
        if (p < end && *p == ',') {
            if (p + 1 == end) fields_.emplace_back();  // a comma closing the text: one empty field
            do ++p;
            while (p < end && IsBlankOrControl(*p));
        }
    }
}

void TNMEA::Decode(std::string_view sentence) {
    buffer_.assign(sentence);
    const std::size_t star = buffer_.find('*');
    if (star != std::string::npos) buffer_[star] = ',';
    Split();

    errorFlag = 0;
    checksumMatched_ = false;
    const unsigned expected = fields_.empty() ? 0u : ReadChecksumField(fields_.back());
    if ((expected & 0xFFu) != Checksum(sentence)) {
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
    latitude = NmeaReal(Field(2));
    longitude = NmeaReal(Field(4));
    quality = NmeaInteger(Field(6));
    satellites = NmeaInteger(Field(7));
    dop = NmeaReal(Field(8));
    altitude = NmeaReal(Field(9));
    geoidSeparation = NmeaReal(Field(11));
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
    latitude = NmeaReal(Field(4));
    longitude = NmeaReal(Field(6));
    quality = NmeaInteger(Field(8));
    satellites = NmeaInteger(Field(9));
    dop = NmeaReal(Field(10));
    // "EHT36.123": the height follows the three-letter prefix (at most ten characters).
    const std::string_view height = Field(11);
    altitude = height.size() > 3 ? NmeaReal(height.substr(3, 10)) : 0.0;
    geoidSeparation = 0;
    dgpsAge = 0;
    stationId = 0;
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

QDateTime TNMEA::LocalTime(int datumIndex) const {
    const int offset =
        (datumIndex >= 0 && datumIndex < kDatumCount) ? DatumAt(datumIndex).hourOffset : 0;
    constexpr std::int32_t kHourMs = 3600 * 1000;
    const std::int32_t hours = (timeMs / kHourMs + offset) % 24;  // the day is not carried over
    const QTime t = QTime::fromMSecsSinceStartOfDay(hours * kHourMs + timeMs % kHourMs);
    return QDateTime(QDate::currentDate(), t);
}

}  // namespace tidrun
