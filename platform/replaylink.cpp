#include "platform/replaylink.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include <algorithm>
#include <optional>
#include <utility>

namespace tidrun {

namespace {

constexpr int kDayMs = 24 * 3600 * 1000;

int StepBetween(int fromMs, int toMs) {
    int d = toMs - fromMs;
    if (d < 0) d += kDayMs;  // past midnight
    return std::min(d, ReplayCutter::kMaxStepMs);
}

}  // namespace

ReplayCutter::ReplayCutter(std::unique_ptr<ReplayPacing> pacing) : pacing_(std::move(pacing)) {}

void ReplayCutter::Restart() {
    if (pacing_) pacing_->Restart();
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
        // Byte by byte through the pacing, so that the step ends right at the end of the fix.
        const char c = read_[readAt_++];
        step.bytes.append(c);
        const std::optional<int> fixMs = pacing_ ? pacing_->Feed(c) : std::nullopt;
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

ReplayLink::ReplayLink(const QString& file, std::unique_ptr<ReplayPacing> pacing, QObject* parent)
    : SerialLink(parent), file_(file), cutter_(std::move(pacing)) {
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
