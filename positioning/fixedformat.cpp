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

namespace {

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the last `count` digits of v, zero-padded, ending at end.
inline void WriteDigitsBackward(char* end, std::uint64_t v, int count) {
    while (count >= 2) {
        const unsigned pair = static_cast<unsigned>(v % 100);
        v /= 100;
        end -= 2;
        end[0] = kDigitPairs[2 * pair];
        end[1] = kDigitPairs[2 * pair + 1];
        count -= 2;
    }
    if (count == 1) *--end = static_cast<char>('0' + v % 10);
}

char* WriteUnsigned(char* out, std::uint64_t v) {
    int digits = 1;
    for (std::uint64_t t = v; t >= 10; t /= 10) ++digits;
    WriteDigitsBackward(out + digits, v, digits);
    return out + digits;
}

template <int D>
char* WriteScaled(char* out, std::uint64_t r) {
    constexpr std::uint64_t p = kPow10Int[D];
    out = WriteUnsigned(out, r / p);
    if constexpr (D > 0) {
        *out++ = '.';
        WriteDigitsBackward(out + D, r % p, D);
        out += D;
    }
    return out;
}

char* WriteScaled(char* out, std::uint64_t r, int decimals) {
    switch (decimals) {
        case 0:
            return WriteScaled<0>(out, r);
        case 1:
            return WriteScaled<1>(out, r);
        case 2:
            return WriteScaled<2>(out, r);
        case 3:
            return WriteScaled<3>(out, r);
        case 4:
            return WriteScaled<4>(out, r);
        case 5:
            return WriteScaled<5>(out, r);
        case 6:
            return WriteScaled<6>(out, r);
        case 7:
            return WriteScaled<7>(out, r);
        case 8:
            return WriteScaled<8>(out, r);
        default:
            return WriteScaled<9>(out, r);
    }
}

}  // namespace

char* FormatFixed(char* out, double value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 9) decimals = 9;
    const double magnitude = std::fabs(value);
    const double scaled = magnitude * kPow10[decimals];  // one rounding: off by <= half an ulp
    // Fast path: the scaled value fits an integer exactly and is far enough from a rounding
    // tie that the rounding of the exact decimal value cannot differ.
    if (scaled < 2251799813685248.0 /* 2^51; false for NaN */) {
        const auto whole = static_cast<std::uint64_t>(scaled);  // exact below 2^51
        const double frac = scaled - static_cast<double>(whole);
        if (std::fabs(frac - 0.5) > scaled * 2.3e-16 + 1e-300) {
            const std::uint64_t r = whole + (frac > 0.5 ? 1 : 0);
            if (std::signbit(value)) *out++ = '-';
            return WriteScaled(out, r, decimals);
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
