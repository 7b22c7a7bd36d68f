// tidrun-tool nmea: frames and decodes NMEA captures as the receiver does and writes one CSV
// line per sentence.
#include <fcntl.h>
#include <unistd.h>

#include <QFile>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

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

class NmeaCsvWriter {
  public:
    NmeaCsvWriter(OutBuffer& out, int src, int dst, int zoneIndex)
        : out_(out), src_(src), dst_(dst), zone_(zoneIndex) {}

    void Header() {
        out_.Append(
            "kind,errorFlag,time,quality,satellites,latitude,longitude,altitude,geoidSeparation,"
            "dgpsAge,stationId,speed,course,dop,position,X,Y,h\n");
    }

    void Sentence(std::string_view packet) {
        nmea_.Decode(packet);
        // What the decoder left, before the conversion touches errorFlag.
        const int kind = nmea_.kind;
        const int errorFlag = nmea_.errorFlag;
        ++counts_.sentences;
        if (nmea_.ChecksumMatched()) {
            switch (kind) {
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
        if (errorFlag != 0) ++counts_.errors;

        char* p = out_.Reserve(8192);  // 11 reals of up to 330 characters each, and the rest
        p = std::to_chars(p, p + 8, kind).ptr;
        *p++ = ',';
        p = std::to_chars(p, p + 12, errorFlag).ptr;
        *p++ = ',';
        p = Time(p, nmea_.timeMs);
        *p++ = ',';
        p = std::to_chars(p, p + 12, nmea_.quality).ptr;
        *p++ = ',';
        p = std::to_chars(p, p + 12, nmea_.satellites).ptr;
        *p++ = ',';
        p = FormatFixed(p, nmea_.latitude, 9);
        *p++ = ',';
        p = FormatFixed(p, nmea_.longitude, 9);
        *p++ = ',';
        p = Real(p, nmea_.altitude);
        p = Real(p, nmea_.geoidSeparation);
        p = Real(p, nmea_.dgpsAge);
        p = std::to_chars(p, p + 12, nmea_.stationId).ptr;
        *p++ = ',';
        p = Real(p, nmea_.speed);
        p = Real(p, nmea_.course);
        p = Real(p, nmea_.dop);

        const FixPosition fp = ConvertFix(pos_, nmea_, src_, dst_, zone_);
        if (fp.valid) {
            ++counts_.positions;
            *p++ = '1';
            *p++ = ',';
            p = Real(p, fp.X);
            p = Real(p, fp.Y);
            p = FormatFixed(p, fp.h, 4);
        } else {
            std::memcpy(p, "0,,,", 4);
            p += 4;
        }
        *p++ = '\n';
        out_.Commit(p);
    }

    const Counts& counts() const { return counts_; }

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
    int src_, dst_, zone_;
    TNMEA nmea_;
    TPos pos_;
    Counts counts_;
};

}  // namespace

int RunNmea(const QStringList& args) {
    int zone = 9, src = 0, dst = 0;
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
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
    NmeaCsvWriter writer(out, src, dst, zone - 1);
    writer.Header();
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
                        [&](std::string_view packet) { writer.Sentence(packet); });
        }
        if (!isStdin) ::close(fd);
    }
    if (!out.Flush()) {
        std::fprintf(stderr, "tidrun-tool nmea: cannot write the output: %s\n",
                     std::strerror(errno));
        status = 1;
    }
    const Counts& c = writer.counts();
    std::fprintf(stderr,
                 "sentences %lld, GGA %lld, RMC %lld, GGK %lld, other %lld, errors %lld, "
                 "positions %lld\n",
                 c.sentences, c.gga, c.rmc, c.ggk, c.other, c.errors, c.positions);
    return status;
}

}  // namespace tidrun::tool
