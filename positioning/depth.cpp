#include "positioning/depth.h"

#include <array>
#include <cstddef>

#include "positioning/nmea.h"

namespace tidrun {

namespace {

constexpr double kMetresPerFoot = 0.3048;
constexpr double kMetresPerFathom = 1.8288;
// Deeper than any sea (11,034 m): a larger figure is a garbled sentence, not a depth, and an
// endless digit string must not reach the files as infinity.
constexpr double kDeepestDepth = 12000;

int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The sentence's fields after the address, cut at the checksum or the line end; false when a
// checksum is there and does not match. At most kMaxFields fields are kept.
constexpr std::size_t kMaxFields = 8;
struct Fields {
    std::array<std::string_view, kMaxFields> f{};
    std::size_t count = 0;
    std::string_view operator[](std::size_t i) const {
        return i < count ? f[i] : std::string_view{};
    }
};

bool SplitChecked(std::string_view s, std::string_view& address, Fields& out) {
    std::size_t end = s.size();
    while (end > 0 && (s[end - 1] == '\r' || s[end - 1] == '\n')) --end;
    s = s.substr(0, end);
    if (s.size() < 7 || s[0] != '$') return false;
    unsigned sum = 0;
    std::size_t i = 1;
    for (; i < s.size() && s[i] != '*'; ++i) sum ^= static_cast<unsigned char>(s[i]);
    if (i < s.size()) {  // a checksum: exactly two hexadecimal digits that match
        if (s.size() - i != 3) return false;
        const int hi = Hex(s[i + 1]), lo = Hex(s[i + 2]);
        if (hi < 0 || lo < 0 || static_cast<unsigned>(hi * 16 + lo) != sum) return false;
    }
    std::string_view body = s.substr(1, i - 1);
    const std::size_t comma = body.find(',');
    if (comma == std::string_view::npos) return false;
    address = body.substr(0, comma);
    body.remove_prefix(comma + 1);
    for (;;) {
        const std::size_t next = body.find(',');
        if (out.count < kMaxFields) out.f[out.count++] = body.substr(0, next);
        if (next == std::string_view::npos) break;
        body.remove_prefix(next + 1);
    }
    return true;
}

enum class Read { Empty, Value, Bad };

// One depth field: empty, a number at or above 0, or anything else (bad).
Read ReadDepth(std::string_view field, double& value) {
    while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
    while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
    if (field.empty()) return Read::Empty;
    if (!ReadNmeaReal(field, value) || !(value >= 0)) return Read::Bad;
    return Read::Value;
}

// DBT and DBS: feet, "f", metres, "M", fathoms, "F". The metre field first, else the others.
Read ReadThreeUnits(const Fields& f, double& metres) {
    double v = 0;
    const Read m = ReadDepth(f[2], v);
    if (m != Read::Empty) {
        metres = v;
        return m;
    }
    const Read feet = ReadDepth(f[0], v);
    if (feet != Read::Empty) {
        metres = v * kMetresPerFoot;
        return feet;
    }
    const Read fathoms = ReadDepth(f[4], v);
    metres = v * kMetresPerFathom;
    return fathoms;
}

}  // namespace

std::optional<TDepthReading> DecodeDepth(std::string_view sentence, double draft) {
    std::string_view address;
    Fields f;
    if (!SplitChecked(sentence, address, f)) return std::nullopt;
    // A talker of two characters and the sentence's three letters.
    if (address.size() != 5) return std::nullopt;
    const std::string_view type = address.substr(2);
    TDepthReading r;
    double depth = 0;
    Read read = Read::Bad;
    if (type == "DBT") {
        r.kind = TDepthKind::DBT;
        read = ReadThreeUnits(f, depth);
        depth += draft;
    } else if (type == "DBS") {
        r.kind = TDepthKind::DBS;
        read = ReadThreeUnits(f, depth);
    } else if (type == "DPT") {
        r.kind = TDepthKind::DPT;
        read = ReadDepth(f[0], depth);
        double offset = 0;
        const bool hasOffset = !f[1].empty() && ReadNmeaReal(f[1], offset);
        if (!f[1].empty() && !hasOffset) return std::nullopt;
        depth += offset > 0 ? offset : draft;
    } else {
        return std::nullopt;
    }
    if (read == Read::Bad) return std::nullopt;
    if (read == Read::Value && !(depth <= kDeepestDepth)) return std::nullopt;
    r.hasBottom = read == Read::Value;
    r.belowSurface = r.hasBottom ? depth : 0;
    return r;
}

const char* DepthKindName(TDepthKind kind) {
    switch (kind) {
        case TDepthKind::DBT:
            return "DBT";
        case TDepthKind::DPT:
            return "DPT";
        case TDepthKind::DBS:
            return "DBS";
    }
    return "";
}

}  // namespace tidrun
