// Writes a whole season's recording file for the benchmarks, in the console's own line
// format (code page 932, CR LF): ten survey areas across the zone, each run as parallel
// lines 5-20 m apart in alternating directions with a turn into each line, a few cross
// lines, GPS noise, all-data spacing 0.3-0.8 m. Beside it, in the same folder: the survey
// area (10,000 vertices round each area, CHOSA.DAT), 10,000 marks (MARK.DAT), 5,000
// reference and 5,000 buoy points (KIJUN.DAT, SETUHYO.DAT) and a Tidrun.CFG naming them.
//
// usage: gen_season OUTPUT [LINES [CUTS_PER_LINE]]   (default 10000 lines of 1000 cuts)
// Keeps the recording when OUTPUT and its OUTPUT.count stamp say it is already complete.
// Every file is written beside its name and renamed over it only when every write succeeded.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
// "区域" "基準" "設標" "浮標" "マーク".
constexpr const char* kRegion = "\x8b\xe6\x88\xe6";
constexpr const char* kReference = "\x8a\xee\x8f\x80";
constexpr const char* kBuoy = "\x90\xdd\x95\x57";
constexpr const char* kFloat = "\x95\x82\x95\x57";
constexpr const char* kMark = "\x83\x7d\x81\x5b\x83\x4e";

constexpr int kVerticesPerArea = 10000;
constexpr int kMarksPerArea = 1000;
constexpr int kPointsPerArea = 500;  // of each kind, reference and buoy

// Where one area's lines lie: origin, along and across directions, extent in metres.
struct AreaFrame {
    double ax = 0, ay = 0, ux = 1, uy = 0, vx = 0, vy = 1;
    double along = 0, across = 0;
    double X(double a, double c) const { return ax + ux * a + vx * c; }
    double Y(double a, double c) const { return ay + uy * a + vy * c; }
};

// Writes the lines, each ended by CR LF, to a file beside `path`, renamed over it when
// every write succeeded.
bool WriteAll(const std::string& path, const std::vector<std::string>& rows) {
    const std::string tmp = path + ".tmp";
    std::FILE* f = std::fopen(tmp.c_str(), "wb");
    bool ok = f != nullptr;
    for (size_t i = 0; ok && i < rows.size(); ++i)
        ok = std::fwrite(rows[i].data(), 1, rows[i].size(), f) == rows[i].size() &&
             std::fwrite("\r\n", 1, 2, f) == 2;
    if (f && std::fclose(f) != 0) ok = false;
    if (ok && std::rename(tmp.c_str(), path.c_str()) == 0) return true;
    std::fprintf(stderr, "gen_season: could not write %s\n", path.c_str());
    std::remove(tmp.c_str());
    return false;
}

template <typename... Args>
std::string Format(const char* format, Args... args) {
    char row[256];
    const int n = std::snprintf(row, sizeof row, format, args...);
    return std::string(row, n > 0 && n < static_cast<int>(sizeof row) ? n : 0);
}

// The survey area, marks, points and configuration of the season, beside the recording.
bool WriteJob(const std::string& recording, const std::vector<AreaFrame>& frames) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::absolute(fs::path(recording)).parent_path();
    std::mt19937_64 rnd(9);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto range = [&](double a, double b) { return a + (b - a) * unit(rnd); };
    std::vector<std::string> area, marks, refs, buoys;
    for (size_t r = 0; r < frames.size(); ++r) {
        // A rectangle 30 m outside the area's lines, with a little wobble on its edges.
        const AreaFrame& f = frames[r];
        const double a0 = -30, a1 = f.along + 30, c0 = -30, c1 = f.across + 80;
        const double w = a1 - a0, h = c1 - c0, perimeter = 2 * (w + h);
        for (int k = 0; k < kVerticesPerArea; ++k) {
            double d = perimeter * k / kVerticesPerArea, a = 0, c = 0;
            if (d < w)
                a = a0 + d, c = c0;
            else if ((d -= w) < h)
                a = a1, c = c0 + d;
            else if ((d -= h) < w)
                a = a1 - d, c = c1;
            else
                a = a0, c = c1 - (d - w);
            const double x = f.X(a, c) + range(-0.5, 0.5), y = f.Y(a, c) + range(-0.5, 0.5);
            area.push_back(
                Format("%s%d-%d %.3f %.3f %d %d", kRegion, int(r) + 1, k + 1, x, y, int(r) + 1, 0));
        }
        const auto spot = [&](double& x, double& y) {
            const double a = range(0, f.along), c = range(0, f.across);
            x = f.X(a, c);
            y = f.Y(a, c);
        };
        static const int colours[] = {0x0000FF, 0x00FFFF, 0xFF00FF, 0xFFFFFF, 0x00FF00};
        double x = 0, y = 0;
        for (int i = 0; i < kMarksPerArea; ++i) {
            spot(x, y);
            marks.push_back(Format("%10.3f %10.3f %s%d %d", x, y, kMark, int(marks.size()) + 1,
                                   colours[rnd() % 5]));
        }
        for (int i = 0; i < kPointsPerArea; ++i) {
            spot(x, y);
            refs.push_back(
                Format("%s%d %.3f %.3f %.3f", kReference, int(refs.size()) + 1, x, y, range(1, 4)));
            spot(x, y);
            buoys.push_back(
                Format("%s%04d %.3f %.3f %s", kBuoy, int(buoys.size()) + 1, x, y, kFloat));
        }
    }
    const auto at = [&](const char* name) { return (folder / name).string(); };
    // The configuration in code page 932: [設定] with the keys the console reads.
    const std::vector<std::string> cfg = {
        "[\x90\xdd\x92\xe8]",
        "\x92\xca\x90\x4d=COM1",                              // 通信
        "\x91\xac\x93\x78=4800",                              // 速度
        "\x8d\xc0\x95\x57\x8c\x6e=WGS84",                     // 座標系
        "\x8e\xfb\x98\x5e\x95\xfb\x96\x40=\x8e\xa9\x93\xae",  // 収録方法=自動
        "\x92\x6e\x90\x7d\x8d\xc0\x95\x57\x8c\x6e=\x90\xa2\x8a\x45\x91\xaa\x92\x6e\x8c\x6e",
        "\x95\xbd\x96\xca\x8d\xc0\x95\x57=9\x8c\x6e",                 // 平面座標=9系
        "\x93\x5d\x91\x97\x92\xca\x90\x4d=COM2",                      // 転送通信
        "\x93\x5d\x91\x97\x91\xac\x93\x78=4800",                      // 転送速度
        "\x93\x5d\x91\x97\x95\xfb\x96\x40=\x82\xb5\x82\xc8\x82\xa2",  // 転送方法=しない
        "\x8a\xd4\x8a\x75=10",                                        // 間隔
        "\x8d\x48\x8e\x96\x96\xbc=\x83\x56\x81\x5b\x83\x59\x83\x93",  // 工事名=シーズン
        std::string("\x8a\xee\x8f\x80=") + at("KIJUN.DAT"),           // 基準
        std::string("\x92\xb2\x8d\xb8=") + at("CHOSA.DAT"),           // 調査
        std::string("\x90\xdd\x95\x57=") + at("SETUHYO.DAT"),         // 設標
        std::string("\x8e\xfb\x98\x5e=") + fs::absolute(fs::path(recording)).string(),
        std::string("\x83\x7d\x81\x5b\x83\x4e=") + at("MARK.DAT"),  // マーク
        "\x93\x5d\x91\x97\x95\xb6\x8e\x9a=",                        // 転送文字
        "\x95\xcf\x8a\xb7\x90\x56=1",                               // 変換新
        "",
        "[Color]",
        "\x95\xbd\x96\xca\x90\x7d=Teal",  // 平面図
    };
    return WriteAll(at("CHOSA.DAT"), area) && WriteAll(at("MARK.DAT"), marks) &&
           WriteAll(at("KIJUN.DAT"), refs) && WriteAll(at("SETUHYO.DAT"), buoys) &&
           WriteAll(at("Tidrun.CFG"), cfg);
}

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
    const bool complete = Complete(output, total);
    // The configuration is written last: when it is there beside a complete recording, so
    // is the rest of the job.
    const auto cfg =
        std::filesystem::absolute(std::filesystem::path(output)).parent_path() / "Tidrun.CFG";
    if (complete && std::filesystem::exists(cfg)) return 0;

    const std::string tmp = output + ".tmp";
    // A complete recording is kept; its lines are laid out again (the side files follow
    // them), only not written.
    std::FILE* out = complete ? nullptr : std::fopen(tmp.c_str(), "wb");
    if (!complete && !out) {
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
    std::vector<AreaFrame> frames;
    for (int area = 0; area < kAreas && ok; ++area) {
        // The areas lie across a zone of about 40 x 30 km, each at its own heading.
        const double ax = -160000.0 + (area / 5) * 15000.0 + range(-2000, 2000);
        const double ay = 5000.0 + (area % 5) * 8000.0 + range(-1000, 1000);
        const double heading = range(0, std::numbers::pi);
        const double ux = std::cos(heading), uy = std::sin(heading);  // along the lines
        const double vx = -uy, vy = ux;                               // across them
        double offset = 0;  // of the next parallel line, metres across
        AreaFrame frame{ax, ay, ux, uy, vx, vy, 0.8 * cutsPerLine, 0};
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
            if (ok && out && std::fwrite(buffer.data(), 1, buffer.size(), out) != buffer.size())
                ok = false;
        }
        frame.across = offset;
        frames.push_back(frame);
    }
    if (complete) return WriteJob(output, frames) ? 0 : 1;
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
    return WriteJob(output, frames) ? 0 : 1;
}
