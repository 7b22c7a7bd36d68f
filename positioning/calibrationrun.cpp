#include "positioning/calibrationrun.h"

#include <QDir>

#include <cstdio>
#include <utility>

namespace tidrun {

TPositionListenerScope::TPositionListenerScope(TGPS& gps,
                                               std::function<void(const TGpsPosition&)> listener) {
    if (listener) connection_ = QObject::connect(&gps, &TGPS::PositionFixed, std::move(listener));
}

TPositionListenerScope::~TPositionListenerScope() {
    // A receiver that went first took its connections with it.
    QObject::disconnect(connection_);
}

TCalibrationRun::TCalibrationRun(MessageSink* sink, TickClock clock)
    : log_(sink ? std::make_unique<TSentenceLog>(*sink) : nullptr), clock_(std::move(clock)) {}

TCalibrationRun::~TCalibrationRun() {
    if (running_) Stop();
}

std::optional<TCalibrationTimes> TCalibrationRun::ParseTimes(const QString& hours,
                                                             const QString& minutes,
                                                             const QString& seconds,
                                                             const QString& span) {
    for (const QString* text : {&hours, &minutes, &seconds, &span})
        if (text->trimmed().isEmpty()) return std::nullopt;
    const auto number = [](const QString& text) {
        bool ok = false;
        const int v = text.toInt(&ok);
        return ok ? v : 0;
    };
    TCalibrationTimes t{number(hours), number(minutes), number(seconds), number(span)};
    // A pasted minus sign would make the time or the interval meaningless.
    if (t.hours < 0 || t.minutes < 0 || t.seconds < 0 || t.spanSeconds < 0) return std::nullopt;
    if (t.minutes > 60 || t.seconds > 60) return std::nullopt;
    return t;
}

QString TCalibrationRun::LogFileName(const QString& calibFolder, const QDateTime& now) {
    return QDir(calibFolder)
        .filePath(QStringLiteral("Calib") + now.toString(QStringLiteral("MMddHHmm")) +
                  QStringLiteral(".Log"));
}

QString TCalibrationRun::ProgressText(int elapsedSeconds, int count) {
    return QStringLiteral("%1:%2:%3( %4 )")
        .arg(elapsedSeconds / 3600)
        .arg(elapsedSeconds % 3600 / 60)
        .arg(elapsedSeconds % 60)
        .arg(count);
}

QString TCalibrationRun::FormatValue(double v) {
    char buf[400];
    std::snprintf(buf, sizeof buf, "%11.3f", v);
    return QString::fromLatin1(buf);
}

QByteArray TCalibrationRun::LogLine(double x, double y, double h) {
    QByteArray line;
    for (double v : {x, y, h}) line += FormatValue(v).toLatin1() + ", ";
    return line;
}

void TCalibrationRun::SetReference(double x, double y, double h) {
    refX_ = x;
    refY_ = y;
    refH_ = h;
}

void TCalibrationRun::Start(const TCalibrationTimes& times, const QString& calibFolder,
                            const QDateTime& now) {
    times_ = times;
    count_ = 0;
    sumX_ = sumY_ = sumH_ = 0;
    startSecond_ = NowSecond();
    // So that the first tick finds the interval passed.
    lastSampleSecond_ = startSecond_ - times.spanSeconds;
    sampleDue_ = false;
    if (log_) {
        log_->SetLogMode(TLogMode::lmOff);
        log_->SetLogFile(LogFileName(calibFolder, now));
        log_->SetLogMode(TLogMode::lmOn);
    }
    running_ = true;
}

void TCalibrationRun::Stop() {
    if (running_ && log_) log_->SetLogMode(TLogMode::lmOff);
    running_ = false;
    // A position after the end would change the offsets without reaching the log.
    sampleDue_ = false;
}

TCalibrationRun::Progress TCalibrationRun::Tick() {
    Progress p;
    if (!running_) {
        p.text = ProgressText(0, count_);
        return p;
    }
    const qint64 now = NowSecond();
    qint64 elapsed = now - startSecond_;
    if (elapsed >= times_.TotalSeconds()) {
        Stop();
        p.finished = true;
        elapsed = 0;
    } else if (now - lastSampleSecond_ >= times_.spanSeconds) {
        sampleDue_ = true;
        lastSampleSecond_ = now;
    }
    p.elapsed = int(elapsed);
    p.text = ProgressText(p.elapsed, count_);
    return p;
}

bool TCalibrationRun::Position(const TGpsPosition& p) {
    if (!Position(p.X, p.Y, p.h, p.nmea && IsMeasuredFix(*p.nmea))) return false;
    if (log_ && log_->LogMode() != TLogMode::lmOff) log_->Write(p.sentence);
    return true;
}

bool TCalibrationRun::Position(double x, double y, double h, bool measured) {
    if (!sampleDue_ || !measured) return false;
    ++count_;
    sumX_ += x;
    sumY_ += y;
    sumH_ += h;
    if (log_ && log_->LogMode() != TLogMode::lmOff) log_->Write(LogLine(x, y, h));
    sampleDue_ = false;
    return true;
}

}  // namespace tidrun
