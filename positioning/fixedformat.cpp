#include "positioning/fixedformat.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace tidrun {

namespace {

constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
constexpr std::uint64_t kPow10Int[] = {1,      10,      100,      1000,      10000,
                                       100000, 1000000, 10000000, 100000000, 1000000000};

}  // namespace

char* FormatFixed(char* out, double value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 9) decimals = 9;
    const double magnitude = std::fabs(value);
    const double scaled = magnitude * kPow10[decimals];  // one rounding: off by <= half an ulp
    // Fast path: the scaled value fits an integer exactly and is far enough from a rounding
    // tie that the rounding of the exact decimal value cannot differ.
    if (std::isfinite(value) && scaled < 2251799813685248.0 /* 2^51 */) {
        const double whole = std::floor(scaled);
        const double frac = scaled - whole;
        if (std::fabs(frac - 0.5) > scaled * 2.3e-16 + 1e-300) {
            std::uint64_t r = static_cast<std::uint64_t>(whole) + (frac > 0.5 ? 1 : 0);
            if (std::signbit(value)) *out++ = '-';
            const std::uint64_t p = kPow10Int[decimals];
            out = std::to_chars(out, out + 24, r / p).ptr;
            if (decimals > 0) {
                *out++ = '.';
                std::uint64_t f = r % p;
                for (int i = decimals - 1; i >= 0; --i) {
                    out[i] = static_cast<char>('0' + f % 10);
                    f /= 10;
                }
                out += decimals;
            }
            return out;
        }
    }
    if (std::isnan(value)) {
        if (std::signbit(value)) *out++ = '-';
        *out++ = 'n', *out++ = 'a', *out++ = 'n';
        return out;
    }
    return std::to_chars(out, out + 340, value, std::chars_format::fixed, decimals).ptr;
}

}  // namespace tidrun
