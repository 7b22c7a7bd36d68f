// Writes a whole season's recording file for the benchmarks, in the console's own line
// format (code page 932, CR LF): ten survey areas across the zone, each run as parallel
// lines 5-20 m apart in alternating directions with a turn into each line, a few cross
// lines, GPS noise, all-data spacing 0.3-0.8 m.
//
// usage: gen_season OUTPUT [LINES [CUTS_PER_LINE]]   (default 10000 lines of 1000 cuts)
// Does nothing when OUTPUT and its OUTPUT.count stamp say the file is already complete.
// The file is written beside OUTPUT and renamed over it only when every write succeeded.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kAreas = 10;
constexpr int kCrossEvery = 20;  // every 20th line of an area runs across the others

// "測線" "第" "区" in code page 932.
constexpr const char* kLine = "\x91\xaa\x90\xfc";
constexpr const char* kNo = "\x91\xe6";
constexpr const char* kArea = "\x8b\xe6";

// Day index from the season's start (26/04/01) to year, month and day.
void Date(int index, int& month, int& day) {
    static const int lengths[] = {30, 31, 30, 31, 31, 30, 31, 30, 31};  // April..December
    month = 4;
    for (int m = 0; m < 9 && index >= lengths[m]; ++m, ++month) index -= lengths[m];
    day = index + 1;
}

bool Complete(const std::string& output, long long total) {
    std::ifstream data(output, std::ios::binary), stamp(output + ".count");
    long long n = -1;
    return data && stamp && (stamp >> n) && n == total;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: gen_season OUTPUT [LINES [CUTS_PER_LINE]]\n");
        return 2;
    }
    const std::string output = argv[1];
    const int lines = argc > 2 ? std::atoi(argv[2]) : 10000;
    const int cutsPerLine = argc > 3 ? std::atoi(argv[3]) : 1000;
    if (lines < kAreas || cutsPerLine < 2) {
        std::fprintf(stderr, "gen_season: at least %d lines of 2 cuts\n", kAreas);
        return 2;
    }
    const long long total = static_cast<long long>(lines) * cutsPerLine;
    if (Complete(output, total)) return 0;

    const std::string tmp = output + ".tmp";
    std::FILE* out = std::fopen(tmp.c_str(), "wb");
    if (!out) {
        std::perror(tmp.c_str());
        return 1;
    }
    std::mt19937_64 rnd(26);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::normal_distribution<double> noise(0.0, 0.15);  // GPS scatter, metres
    const auto range = [&](double a, double b) { return a + (b - a) * unit(rnd); };

    std::vector<char> buffer;
    buffer.reserve(static_cast<size_t>(cutsPerLine) * 256);
    char row[512];
    long long serial = 0;
    bool ok = true;
    const int perArea = lines / kAreas;
    for (int area = 0; area < kAreas && ok; ++area) {
        // The areas lie across a zone of about 40 x 30 km, each at its own heading.
        const double ax = -160000.0 + (area / 5) * 15000.0 + range(-2000, 2000);
        const double ay = 5000.0 + (area % 5) * 8000.0 + range(-1000, 1000);
        const double heading = range(0, std::numbers::pi);
        const double ux = std::cos(heading), uy = std::sin(heading);  // along the lines
        const double vx = -uy, vy = ux;                               // across them
        double offset = 0;  // of the next parallel line, metres across
        const int count = area == kAreas - 1 ? lines - perArea * (kAreas - 1) : perArea;
        for (int k = 0; k < count && ok; ++k) {
            const int line = area * perArea + k + 1;
            const bool cross = k % kCrossEvery == kCrossEvery - 1;
            const double spacing = range(0.3, 0.8);
            const double length = spacing * cutsPerLine;
            // Start, direction and the side the turn comes from.
            double x0, y0, dx, dy;
            if (cross) {
                const double along = range(0.1, 0.9) * length;
                x0 = ax + ux * along + vx * (offset + 50);
                y0 = ay + uy * along + vy * (offset + 50);
                dx = -vx;
                dy = -vy;
            } else {
                offset += range(5, 20);
                const bool back = (k / 2) % 2 == 1;
                x0 = ax + vx * offset + (back ? ux * length : 0);
                y0 = ay + vy * offset + (back ? uy * length : 0);
                dx = back ? -ux : ux;
                dy = back ? -uy : uy;
            }
            const int lineArea = area + 1;
            const int dayIndex = (line - 1) / 100;
            int month = 0, day = 0;
            Date(dayIndex, month, day);
            const int start = 7 * 3600 + ((line - 1) % 100) * 400;
            const int turn = std::min(60, cutsPerLine / 4);  // cuts on the turn into the line
            double x = x0, y = y0, ex = 0, ey = 0;
            buffer.clear();
            for (int cut = 1; cut <= cutsPerLine; ++cut) {
                ++serial;
                // On the turn the heading swings in from the side over the first cuts.
                const double swing = cut <= turn ? (1.0 - double(cut) / turn) * 1.2 : 0.0;
                const double c = std::cos(swing), s = std::sin(swing);
                const double step = spacing + range(-0.02, 0.02);
                x += (dx * c - dy * s) * step;
                y += (dy * c + dx * s) * step;
                ex = 0.9 * ex + noise(rnd) * 0.3;  // correlated noise, as a receiver wanders
                ey = 0.9 * ey + noise(rnd) * 0.3;
                const double px = x + ex, py = y + ey;
                const int t = start + cut;
                const int n = std::snprintf(
                    row, sizeof row,
                    "%5lld, %4d, \"%s%05d %s%d%s\", %4d, %11.3f, %11.3f, %8.3f, %8.3f, %4d, "
                    "%12.6f, %12.6f, %8.3f, \"26/%02d/%02d %d:%02d:%02d\", %11.3f, %11.3f, "
                    "%8.3f, %8.3f\r\n",
                    serial, line, kLine, line, kNo, lineArea, kArea, cut, px, py,
                    -1.234 + range(-0.1, 0.1), cut > 1 ? step : 0.0, cut > 1 ? 1 : 0,
                    34.0 + px / 111000.0 + 0.6, 135.0 + py / 91000.0, 40.0 + range(-0.5, 0.5),
                    month, day, (t / 3600) % 24, (t / 60) % 60, t % 60, 0.125, -0.25, 0.05, 1.5);
                if (n <= 0 || n >= static_cast<int>(sizeof row)) {
                    ok = false;
                    break;
                }
                buffer.insert(buffer.end(), row, row + n);
            }
            if (ok && std::fwrite(buffer.data(), 1, buffer.size(), out) != buffer.size())
                ok = false;
        }
    }
    if (std::fclose(out) != 0) ok = false;
    if (!ok) {
        std::fprintf(stderr, "gen_season: could not write %s\n", tmp.c_str());
        std::remove(tmp.c_str());
        return 1;
    }
    if (std::rename(tmp.c_str(), output.c_str()) != 0) {
        std::perror(output.c_str());
        return 1;
    }
    std::FILE* stamp = std::fopen((output + ".count").c_str(), "wb");
    if (!stamp || std::fprintf(stamp, "%lld\n", total) < 0 || std::fclose(stamp) != 0) {
        std::fprintf(stderr, "gen_season: could not write the stamp of %s\n", output.c_str());
        return 1;
    }
    return 0;
}
