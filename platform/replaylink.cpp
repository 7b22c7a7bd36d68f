#include "platform/replaylink.h"

#include "positioning/framer.h"

#include <QFile>

#include <algorithm>
#include <optional>
#include <string_view>

namespace tidrun {

namespace {

constexpr int kDayMs = 24 * 3600 * 1000;

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

int StepBetween(int fromMs, int toMs) {
    int d = toMs - fromMs;
    if (d < 0) d += kDayMs;  // past midnight
    return std::min(d, ReplayLink::kMaxStepMs);
}

}  // namespace

ReplayLink::ReplayLink(const QString& file, QObject* parent) : SerialLink(parent), file_(file) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &ReplayLink::Play);
}

std::vector<ReplayLink::Step> ReplayLink::PlanSteps(const QByteArray& content) {
    std::vector<Step> steps;
    std::vector<int> times;
    SentenceFramer framer;
    for (qsizetype i = 0; i < content.size(); ++i) {
        framer.Feed(std::string_view(content.constData() + i, 1), [&](std::string_view packet) {
            if (const auto t = PositionTime(packet)) {
                steps.push_back({i + 1, times.empty() ? 0 : StepBetween(times.back(), *t)});
                times.push_back(*t);
            }
        });
    }
    if (steps.empty()) {
        if (!content.isEmpty()) steps.push_back({content.size(), kDefaultStepMs});
        return steps;
    }
    steps.back().end = content.size();  // what follows the last fix goes with it
    // Starting again: pause as long as the file's first step, or a default.
    steps.front().delayMs =
        steps.size() > 1 && steps[1].delayMs > 0 ? steps[1].delayMs : kDefaultStepMs;
    return steps;
}

bool ReplayLink::Open() {
    if (open_) return true;
    errorText_.clear();
    if (file_.isEmpty()) {
        errorText_ = QStringLiteral("no replay file named");
        return false;
    }
    QFile f(file_);
    if (!f.open(QIODevice::ReadOnly)) {
        errorText_ = f.errorString();
        return false;
    }
    content_ = f.readAll();
    steps_ = PlanSteps(content_);
    next_ = 0;
    open_ = true;
    if (!steps_.empty()) timer_.start(0);
    return true;
}

void ReplayLink::Close() {
    open_ = false;
    timer_.stop();
    content_.clear();
    steps_.clear();
}

void ReplayLink::Play() {
    if (!open_ || steps_.empty()) return;
    const qsizetype begin = next_ == 0 ? 0 : steps_[next_ - 1].end;
    const Step& step = steps_[next_];
    const QByteArray chunk = content_.mid(begin, step.end - begin);
    next_ = (next_ + 1) % steps_.size();
    timer_.start(steps_[next_].delayMs);
    emit BytesReceived(chunk);  // last: a listener may close the link
}

}  // namespace tidrun
