// tidrun-tool nmea: frames and decodes NMEA captures as the receiver does and writes one CSV
// line per sentence; an echo sounder's depth sentences fill the last column.
#include <fcntl.h>
#include <unistd.h>

#include <QFile>

#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "positioning/depth.h"
#include "positioning/fixedformat.h"
#include "positioning/framer.h"
#include "positioning/geodesy.h"
#include "positioning/nmea.h"
#include "tools/commands.h"
#include "tools/outbuffer.h"

namespace tidrun::tool {

namespace {

struct Counts {
    long long sentences = 0, gga = 0, rmc = 0, ggk = 0, other = 0, errors = 0, positions = 0;
};

// What one sentence leaves for its CSV line: the decoder's values and the position.
struct Row {
    std::uint8_t kind;
    std::int32_t errorFlag, timeMs, quality, satellites, stationId;
    double latitude, longitude, altitude, geoidSeparation, dgpsAge, speed, course, dop;
    bool position;
    double X, Y, h;
    bool hasDepth;  // a depth sentence with a bottom
    double depth;   // below the surface, metres
};

// Decodes and converts sentences in order (the decoder carries its state from one sentence
// to the next) and collects their rows in batches.
class NmeaDecoder {
  public:
    NmeaDecoder(int src, int dst, int zoneIndex, double draft)
        : src_(src), dst_(dst), zone_(zoneIndex), draft_(draft) {}

    void Sentence(std::string_view packet, std::vector<Row>& rows) {
        nmea_.Decode(packet);
        // What the decoder left, before the conversion touches errorFlag.
        Row r;
        r.kind = nmea_.kind;
        r.errorFlag = nmea_.errorFlag;
        ++counts_.sentences;
        if (nmea_.ChecksumMatched()) {
            switch (r.kind) {
                case kKindGGA:
                    ++counts_.gga;
                    break;
                case kKindRMC:
                    ++counts_.rmc;
                    break;
                case kKindGGK:
                    ++counts_.ggk;
                    break;
                default:
                    ++counts_.other;
                    break;
            }
        }
        if (r.errorFlag != 0) ++counts_.errors;
        r.timeMs = nmea_.timeMs;
        r.quality = nmea_.quality;
        r.satellites = nmea_.satellites;
        r.stationId = nmea_.stationId;
        r.latitude = nmea_.latitude;
        r.longitude = nmea_.longitude;
        r.altitude = nmea_.altitude;
        r.geoidSeparation = nmea_.geoidSeparation;
        r.dgpsAge = nmea_.dgpsAge;
        r.speed = nmea_.speed;
        r.course = nmea_.course;
        r.dop = nmea_.dop;
        const FixPosition fp = ConvertFix(pos_, nmea_, src_, dst_, zone_);
        r.position = fp.valid;
        r.X = fp.X;
        r.Y = fp.Y;
        r.h = fp.h;
        if (fp.valid) ++counts_.positions;
        r.hasDepth = false;
        r.depth = 0;
        if (r.kind == kKindOther) {
            if (const auto d = DecodeDepth(packet, draft_); d && d->hasBottom) {
                r.hasDepth = true;
                r.depth = d->belowSurface;
            }
        }
        rows.push_back(r);
    }

    const Counts& counts() const { return counts_; }

  private:
    int src_, dst_, zone_;
    double draft_;
    TNMEA nmea_;
    TPos pos_;
    Counts counts_;
};

// Formats rows as CSV lines into the output buffer.
class CsvFormatter {
  public:
    explicit CsvFormatter(OutBuffer& out) : out_(out) {}

    void Header() {
        out_.Append(
            "kind,errorFlag,time,quality,satellites,latitude,longitude,altitude,geoidSeparation,"
            "dgpsAge,stationId,speed,course,dop,position,X,Y,h,depth\n");
    }

    void Line(const Row& r) {
        char* p = out_.Reserve(8192);  // 11 reals of up to 330 characters each, and the rest
        p = std::to_chars(p, p + 8, r.kind).ptr;
        *p++ = ',';
        p = std::to_chars(p, p + 12, r.errorFlag).ptr;
        *p++ = ',';
        p = Time(p, r.timeMs);
        *p++ = ',';
        p = std::to_chars(p, p + 12, r.quality).ptr;
        *p++ = ',';
        p = std::to_chars(p, p + 12, r.satellites).ptr;
        *p++ = ',';
        p = FormatFixed(p, r.latitude, 9);
        *p++ = ',';
        p = FormatFixed(p, r.longitude, 9);
        *p++ = ',';
        p = Real(p, r.altitude);
        p = Real(p, r.geoidSeparation);
        p = Real(p, r.dgpsAge);
        p = std::to_chars(p, p + 12, r.stationId).ptr;
        *p++ = ',';
        p = Real(p, r.speed);
        p = Real(p, r.course);
        p = Real(p, r.dop);
        if (r.position) {
            *p++ = '1';
            *p++ = ',';
            p = Real(p, r.X);
            p = Real(p, r.Y);
            p = FormatFixed(p, r.h, 4);
        } else {
            std::memcpy(p, "0,,,", 4);
            p += 4;
        }
        *p++ = ',';
        if (r.hasDepth) p = FormatFixed(p, r.depth, 2);
        *p++ = '\n';
        out_.Commit(p);
    }

  private:
    // A real with four decimals and the comma after it.
    static char* Real(char* p, double v) {
        p = FormatFixed(p, v, 4);
        *p++ = ',';
        return p;
    }

    static char* Two(char* p, int v) {
        *p++ = static_cast<char>('0' + v / 10);
        *p++ = static_cast<char>('0' + v % 10);
        return p;
    }

    // HH:MM:SS.cc
    static char* Time(char* p, std::int32_t ms) {
        const int h = ms / 3600000, m = ms / 60000 % 60, s = ms / 1000 % 60, c = ms % 1000 / 10;
        p = Two(p, h);
        *p++ = ':';
        p = Two(p, m);
        *p++ = ':';
        p = Two(p, s);
        *p++ = '.';
        return Two(p, c);
    }

    OutBuffer& out_;
};

// Formatting and writing run on a thread of their own, so that a large capture keeps both
// cores busy: batches of rows go through a short queue in their order.
class FormatThread {
  public:
    static constexpr std::size_t kBatch = 4096;
    static constexpr std::size_t kQueued = 4;

    explicit FormatThread(OutBuffer& out) : formatter_(out) {
        formatter_.Header();
        thread_ = std::thread([this] { Run(); });
    }
    FormatThread(const FormatThread&) = delete;
    FormatThread& operator=(const FormatThread&) = delete;
    ~FormatThread() { Finish(); }

    // Hands a full batch over and returns an empty one to fill.
    std::vector<Row> Submit(std::vector<Row> batch) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return full_.size() < kQueued; });
        full_.push_back(std::move(batch));
        std::vector<Row> next;
        if (!spare_.empty()) {
            next = std::move(spare_.back());
            spare_.pop_back();
        }
        lock.unlock();
        changed_.notify_all();
        next.clear();
        next.reserve(kBatch);
        return next;
    }

    // Formats what is queued and ends the thread.
    void Finish() {
        if (!thread_.joinable()) return;
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

  private:
    void Run() {
        for (;;) {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !full_.empty() || done_; });
            if (full_.empty()) return;
            std::vector<Row> batch = std::move(full_.front());
            full_.pop_front();
            lock.unlock();
            changed_.notify_all();
            for (const Row& r : batch) formatter_.Line(r);
            lock.lock();
            spare_.push_back(std::move(batch));
        }
    }

    CsvFormatter formatter_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<Row>> full_;
    std::vector<std::vector<Row>> spare_;
    bool done_ = false;
    std::thread thread_;
};

}  // namespace

int RunNmea(const QStringList& args) {
    int zone = 9, src = 0, dst = 0;
    double draft = 0;
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--draft")) {
            bool ok = false;
            if (i + 1 < args.size()) draft = args[++i].toDouble(&ok);
            if (!ok || draft < 0 || draft > 9.99) {
                std::fprintf(stderr, "tidrun-tool nmea: --draft needs metres, 0 to 9.99\n");
                return 2;
            }
            continue;
        }
        int* target = a == QLatin1String("--zone")  ? &zone
                      : a == QLatin1String("--src") ? &src
                      : a == QLatin1String("--dst") ? &dst
                                                    : nullptr;
        if (target != nullptr) {
            bool ok = false;
            if (i + 1 < args.size()) *target = args[++i].toInt(&ok);
            if (!ok) {
                std::fprintf(stderr, "tidrun-tool nmea: %s needs a number\n", qPrintable(a));
                return 2;
            }
        } else if (a.startsWith(QLatin1String("--"))) {
            std::fprintf(stderr, "tidrun-tool nmea: unknown option %s\n", qPrintable(a));
            return 2;
        } else {
            files << a;
        }
    }
    if (zone < 1 || zone > kZoneCount) {
        std::fprintf(stderr, "tidrun-tool nmea: --zone must be 1 to %d\n", kZoneCount);
        return 2;
    }
    if (src < 0 || src >= kDatumCount || dst < 0 || dst >= kDatumCount) {
        std::fprintf(stderr, "tidrun-tool nmea: --src and --dst must be 0 to %d\n",
                     kDatumCount - 1);
        return 2;
    }
    if (files.isEmpty()) files << QStringLiteral("-");

    OutBuffer out(STDOUT_FILENO);
    NmeaDecoder decoder(src, dst, zone - 1, draft);
    FormatThread formatting(out);
    std::vector<Row> rows;
    rows.reserve(FormatThread::kBatch);
    SentenceFramer framer;
    std::vector<char> block(1 << 20);
    int status = 0;
    for (const QString& name : files) {
        const bool isStdin = name == QLatin1String("-");
        const int fd =
            isStdin ? STDIN_FILENO : ::open(QFile::encodeName(name).constData(), O_RDONLY);
        if (fd < 0) {
            std::fprintf(stderr, "tidrun-tool nmea: cannot open %s: %s\n", qPrintable(name),
                         std::strerror(errno));
            status = 1;
            continue;
        }
        // Each input is framed on its own: a packet cut off at the end of a file is dropped.
        // The decoder keeps its state from one file to the next, as the receiver's does.
        framer.Reset();
        for (;;) {
            const ssize_t n = ::read(fd, block.data(), block.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                std::fprintf(stderr, "tidrun-tool nmea: cannot read %s: %s\n", qPrintable(name),
                             std::strerror(errno));
                status = 1;
                break;
            }
            if (n == 0) break;
            framer.Feed(std::string_view(block.data(), static_cast<std::size_t>(n)),
                        [&](std::string_view packet) {
                            decoder.Sentence(packet, rows);
                            if (rows.size() == FormatThread::kBatch) {
                                rows = formatting.Submit(std::move(rows));
                            }
                        });
        }
        if (!isStdin) ::close(fd);
    }
    if (!rows.empty()) formatting.Submit(std::move(rows));
    formatting.Finish();
    if (!out.Flush()) {
        std::fprintf(stderr, "tidrun-tool nmea: cannot write the output: %s\n",
                     std::strerror(out.Error()));
        status = 1;
    }
    const Counts& c = decoder.counts();
    std::fprintf(stderr,
                 "sentences %lld, GGA %lld, RMC %lld, GGK %lld, other %lld, errors %lld, "
                 "positions %lld\n",
                 c.sentences, c.gga, c.rmc, c.ggk, c.other, c.errors, c.positions);
    return status;
}

}  // namespace tidrun::tool
