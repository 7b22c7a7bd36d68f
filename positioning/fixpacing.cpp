#include "positioning/fixpacing.h"

#include <algorithm>
#include <string_view>

namespace tidrun {

namespace {

int Digits2(std::string_view s, std::size_t at) {
    const char a = s[at], b = s[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
    return (a - '0') * 10 + (b - '0');
}

// Time of day in ms of a "hhmmss[.ss]" field; nothing when it is not one.
std::optional<int> FieldTime(std::string_view f) {
    if (f.size() < 6) return std::nullopt;
    const int h = Digits2(f, 0), m = Digits2(f, 2), s = Digits2(f, 4);
    if (h < 0 || m < 0 || s < 0 || h > 23 || m > 59 || s > 60) return std::nullopt;
    int ms = ((h * 60 + m) * 60 + s) * 1000;
    if (f.size() > 7 && f[6] == '.') {
        int scale = 100;
        for (std::size_t i = 7; i < f.size() && i < 10 && f[i] >= '0' && f[i] <= '9'; ++i) {
            ms += (f[i] - '0') * scale;
            scale /= 10;
        }
    }
    return ms;
}

std::string_view FieldAt(std::string_view s, int index) {
    for (int i = 0; i < index; ++i) {
        const auto comma = s.find(',');
        if (comma == std::string_view::npos) return {};
        s.remove_prefix(comma + 1);
    }
    return s.substr(0, std::min(s.find(','), s.find('*')));
}

// Fix time of a position sentence (GGA, or GGK after "$PTNL"); nothing for other sentences.
std::optional<int> PositionTime(std::string_view packet) {
    const std::string_view head = FieldAt(packet, 0);
    if (head.size() >= 3 && head.substr(head.size() - 3) == "GGA")
        return FieldTime(FieldAt(packet, 1));
    if (head == "$PTNL" && FieldAt(packet, 1) == "GGK") return FieldTime(FieldAt(packet, 2));
    return std::nullopt;
}

}  // namespace

std::optional<int> TFixTimePacing::Feed(char c) {
    std::optional<int> fixMs;
    framer_.Feed(std::string_view(&c, 1),
                 [&](std::string_view packet) { fixMs = PositionTime(packet); });
    return fixMs;
}

std::optional<int> TSentenceRatePacing::Feed(char c) {
    std::optional<int> at;
    framer_.Feed(std::string_view(&c, 1), [&](std::string_view) {
        constexpr long long kDayMs = 24LL * 3600 * 1000;
        at = static_cast<int>(count_++ * stepMs_ % kDayMs);
    });
    return at;
}

}  // namespace tidrun
