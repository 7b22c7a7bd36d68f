// tidrun-tool convert: latitude, longitude and height to plane X, Y and the target-datum
// height, one line per input line.
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

#include "positioning/fixedformat.h"
#include "positioning/geodesy.h"
#include "positioning/nmea.h"
#include "tools/commands.h"
#include "tools/outbuffer.h"

namespace tidrun::tool {

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == ',' || c == '\t' || c == '\r';
}

// Splits a line into at most four tokens at runs of blanks, commas and tabs.
int Tokens(std::string_view line, std::string_view (&tokens)[4]) {
    int count = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsSeparator(line[i])) ++i;
        if (i == line.size()) break;
        const std::size_t start = i;
        while (i < line.size() && !IsSeparator(line[i])) ++i;
        if (count == 4) return 5;  // too many
        tokens[count++] = line.substr(start, i - start);
    }
    return count;
}

bool ParseArgs(const QStringList& args, int& zone, int& src, int& dst) {
    bool haveZone = false, haveSrc = false, haveDst = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        int* target = nullptr;
        if (a == QLatin1String("--zone")) target = &zone, haveZone = true;
        if (a == QLatin1String("--src")) target = &src, haveSrc = true;
        if (a == QLatin1String("--dst")) target = &dst, haveDst = true;
        bool ok = false;
        if (target != nullptr && i + 1 < args.size()) *target = args[++i].toInt(&ok);
        if (!ok) {
            std::fprintf(stderr, "tidrun-tool convert: unexpected argument %s\n", qPrintable(a));
            return false;
        }
    }
    if (!haveZone || !haveSrc || !haveDst) {
        std::fputs("usage: tidrun-tool convert --zone Z --src S --dst D  < lat lon h lines\n",
                   stderr);
        return false;
    }
    if (zone < 1 || zone > kZoneCount) {
        std::fprintf(stderr, "tidrun-tool convert: --zone must be 1 to %d\n", kZoneCount);
        return false;
    }
    if (src < 0 || src >= kDatumCount || dst < 0 || dst >= kDatumCount) {
        std::fprintf(stderr, "tidrun-tool convert: --src and --dst must be 0 to %d\n",
                     kDatumCount - 1);
        return false;
    }
    return true;
}

}  // namespace

int RunConvert(const QStringList& args) {
    int zone = 0, src = 0, dst = 0;
    if (!ParseArgs(args, zone, src, dst)) return 2;

    OutBuffer out(STDOUT_FILENO);
    TPos pos;
    std::vector<char> block(1 << 20);
    std::string carry;  // a line that runs over the end of a block
    long long lineNo = 0;
    constexpr double kDeg = std::numbers::pi / 180.0;

    // Returns false (after the message) for a line that cannot be read or converted.
    auto handleLine = [&](std::string_view line) {
        ++lineNo;
        std::size_t first = 0;
        while (first < line.size() && IsSeparator(line[first])) ++first;
        if (first == line.size() || line[first] == '#') return true;
        std::string_view tok[4];
        double v[3] = {0, 0, 0};
        const bool readable = Tokens(line, tok) == 3 && ReadNmeaReal(tok[0], v[0]) &&
                              ReadNmeaReal(tok[1], v[1]) && ReadNmeaReal(tok[2], v[2]);
        if (!readable) {
            std::fprintf(stderr, "tidrun-tool convert: line %lld: expected \"lat lon h\"\n",
                         lineNo);
            return false;
        }
        // The series would still give numbers for a place that does not exist.
        if (!(std::fabs(v[0]) <= 90.0) || !(std::fabs(v[1]) <= 180.0)) {
            std::fprintf(stderr,
                         "tidrun-tool convert: line %lld: latitude must lie within -90 to 90 "
                         "and longitude within -180 to 180 degrees\n",
                         lineNo);
            return false;
        }
        double X = 0, Y = 0, h = 0;
        if (!ConvertGeodetic(pos, src, dst, zone - 1, v[0] * kDeg, v[1] * kDeg, v[2], X, Y, h)) {
            std::fprintf(stderr,
                         "tidrun-tool convert: line %lld: the position cannot be converted\n",
                         lineNo);
            return false;
        }
        char* p = out.Reserve(2048);  // three reals of up to 330 characters each
        p = FormatFixed(p, X, 4);
        *p++ = ' ';
        p = FormatFixed(p, Y, 4);
        *p++ = ' ';
        p = FormatFixed(p, h, 4);
        *p++ = '\n';
        out.Commit(p);
        return true;
    };

    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, block.data(), block.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            std::fprintf(stderr, "tidrun-tool convert: cannot read the input: %s\n",
                         std::strerror(errno));
            out.Flush();
            return 1;
        }
        if (n == 0) break;
        std::string_view rest(block.data(), static_cast<std::size_t>(n));
        for (;;) {
            const std::size_t nl = rest.find('\n');
            if (nl == std::string_view::npos) {
                carry.append(rest);
                break;
            }
            bool ok = false;
            if (carry.empty()) {
                ok = handleLine(rest.substr(0, nl));
            } else {
                carry.append(rest.substr(0, nl));
                ok = handleLine(carry);
                carry.clear();
            }
            if (!ok) {
                out.Flush();
                return 1;
            }
            rest.remove_prefix(nl + 1);
        }
    }
    if (!carry.empty() && !handleLine(carry)) {
        out.Flush();
        return 1;
    }
    if (!out.Flush()) {
        std::fprintf(stderr, "tidrun-tool convert: cannot write the output: %s\n",
                     std::strerror(out.Error()));
        return 1;
    }
    return 0;
}

}  // namespace tidrun::tool
