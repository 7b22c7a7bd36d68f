#include "platform/replaylink.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

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
    return std::min(d, ReplayCutter::kMaxStepMs);
}

}  // namespace

void ReplayCutter::Restart() {
    framer_.Reset();
    read_.clear();
    readAt_ = 0;
    lastFixMs_.reset();
}

ReplayCutter::Step ReplayCutter::Next(QIODevice& file) {
    Step step;
    for (;;) {
        if (readAt_ == read_.size()) {
            read_ = file.read(kReadPiece);  // empty at the end, and when reading fails
            readAt_ = 0;
            if (read_.isEmpty()) return step;  // the end: what was collected, without a fix
        }
        // Byte by byte through the framer, so that the step ends right at the carriage return.
        const char c = read_[readAt_++];
        step.bytes.append(c);
        std::optional<int> fixMs;
        framer_.Feed(std::string_view(&c, 1),
                     [&](std::string_view packet) { fixMs = PositionTime(packet); });
        if (fixMs) {
            step.delayMs = lastFixMs_ ? StepBetween(*lastFixMs_, *fixMs) : 0;
            lastFixMs_ = fixMs;
            return step;
        }
        if (step.bytes.size() >= kMaxStepBytes) {
            step.delayMs = kDefaultStepMs;
            return step;
        }
    }
}

ReplayLink::ReplayLink(const QString& file, QObject* parent) : SerialLink(parent), file_(file) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &ReplayLink::Play);
}

bool ReplayLink::Open() {
    if (open_) return true;
    errorText_.clear();
    if (file_.isEmpty()) {
        errorText_ = QStringLiteral("no replay file named");
        return false;
    }
    const QFileInfo info(file_);
    if (info.exists() && !info.isFile()) {
        errorText_ = QStringLiteral("%1 is not a regular file").arg(file_);
        return false;
    }
    input_.setFileName(file_);
    if (!input_.open(QIODevice::ReadOnly)) {
        errorText_ = input_.errorString();
        return false;
    }
    cutter_.Restart();
    stepInPass_ = 0;
    loopDelayMs_ = kDefaultStepMs;
    open_ = true;
    if (ReadStep()) timer_.start(0);
    return true;
}

void ReplayLink::Close() {
    open_ = false;
    timer_.stop();
    input_.close();
    next_ = {};
}

// Reads the step to play next into next_, starting the file again at its end. False when
// the file holds nothing to play.
bool ReplayLink::ReadStep() {
    next_ = cutter_.Next(input_);
    if (next_.bytes.isEmpty()) {
        if (stepInPass_ == 0 || !input_.seek(0)) return false;  // empty, or gone
        cutter_.Restart();
        stepInPass_ = 0;
        next_ = cutter_.Next(input_);
        if (next_.bytes.isEmpty()) return false;
    }
    if (stepInPass_ == 0) {
        next_.delayMs = loopDelayMs_;
    } else if (stepInPass_ == 1 && next_.delayMs > 0 && loopDelayMs_ == kDefaultStepMs) {
        loopDelayMs_ = next_.delayMs;  // a loop pauses as long as the file's first step
    }
    ++stepInPass_;
    return true;
}

void ReplayLink::Play() {
    if (!open_ || next_.bytes.isEmpty()) return;
    const QByteArray chunk = std::exchange(next_.bytes, QByteArray());
    if (ReadStep()) timer_.start(next_.delayMs);
    emit BytesReceived(chunk);  // last: a listener may close the link
}

}  // namespace tidrun
