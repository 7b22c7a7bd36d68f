#include "positioning/gps.h"

#include "platform/messagesink.h"
#include "platform/seriallink.h"

#include <algorithm>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace tidrun {

namespace {

const QString kLogOpenError = QStringLiteral("ログファイル作成/終了エラー");
const QString kLogWriteError = QStringLiteral("ログファイル書込エラー");

// Restores a flag when a scope ends, also when a listener throws.
class FlagScope {
  public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

  private:
    bool& flag_;
};

}  // namespace

TGPS::TGPS(MessageSink& sink, QObject* parent, UtcClock clock)
    : QObject(parent), sink_(sink), clock_(std::move(clock)) {
    if (!clock_) clock_ = [] { return QDateTime::currentMSecsSinceEpoch(); };
    reconnect_.setInterval(kReconnectIntervalMs);
    connect(&reconnect_, &QTimer::timeout, this, &TGPS::TryReopen);
}

TGPS::~TGPS() {
    if (enabled_) Close();
    if (logMode_ != TLogMode::lmOff) SetLogMode(TLogMode::lmOff);
}

void TGPS::SetInputPort(SerialLink* port, int sourceDatum, int targetDatum, int zoneIndex) {
    if (input_) disconnect(input_, nullptr, this, nullptr);
    input_ = port;
    // Indexes outside the tables would read past them.
    sourceDatum_ = std::clamp(sourceDatum, 0, kDatumCount - 1);
    targetDatum_ = std::clamp(targetDatum, 0, kDatumCount - 1);
    zoneIndex_ = std::clamp(zoneIndex, 0, kZoneCount - 1);
    if (!port) return;
    port->SetStandardLineSettings();
    connect(port, &SerialLink::BytesReceived, this, &TGPS::BytesArrived);
    connect(port, &SerialLink::Lost, this, &TGPS::InputLost);
}

void TGPS::SetOutputPort(SerialLink* port, const QByteArray& text) {
    if (output_) disconnect(output_, nullptr, this, nullptr);
    output_ = port;
    forwardOn_ = port != nullptr;
    forwardText_ = text;
    if (!port) return;
    port->SetStandardLineSettings();
    connect(port, &SerialLink::Lost, this, &TGPS::OutputLost);
}

bool TGPS::Open() {
    if (enabled_) return true;
    if (!input_ || !input_->Open()) {
        Close();
        return false;
    }
    input_->FlushReceive();
    if (!feeding_) framer_.Reset();
    pending_.clear();
    enabled_ = true;
    lost_ = false;
    outputLost_ = false;
    if (forwardOn_) {
        if (!output_ || !output_->Open()) {
            Close();
            return false;
        }
        output_->FlushReceive();
    }
    return true;
}

bool TGPS::Close() {
    enabled_ = false;
    lost_ = false;
    outputLost_ = false;
    reconnect_.stop();
    pending_.clear();
    // Inside the framer the current packet is still in use; Open resets it.
    if (!feeding_) framer_.Reset();
    if (input_) input_->Close();
    if (forwardOn_ && output_) output_->Close();
    return true;
}

void TGPS::SetReconnectInterval(int ms) {
    reconnect_.setInterval(std::max(ms, 1));
}

void TGPS::BytesArrived(const QByteArray& data) {
    if (!enabled_) return;
    if (lost_) {
        lost_ = false;
        emit DataFlowing();
        if (!enabled_) return;
    }
    // A listener that runs a nested event loop must not get the next packet inside the
    // current one: later bytes wait until the current ones are done.
    if (feeding_) {
        pending_.append(data);
        return;
    }
    FlagScope scope(feeding_);
    const auto onPacket = [this](std::string_view packet) {
        if (enabled_) HandlePacket(packet);
    };
    framer_.Feed(std::string_view(data.constData(), data.size()), onPacket);
    while (!pending_.isEmpty() && enabled_) {
        const QByteArray next = std::exchange(pending_, QByteArray());
        framer_.Feed(std::string_view(next.constData(), next.size()), onPacket);
    }
    if (!enabled_) framer_.Reset();
}

void TGPS::HandlePacket(std::string_view packet) {
    nmea_.Decode(packet);
    if (OnMonitor) {
        // A copy: the listener may replace the handler while it runs.
        const TMonitorEvent monitor = OnMonitor;
        monitor(nmea_);
    }
    if (forwardOn_ && forwardText_.isEmpty()) Forward(packet.data(), qsizetype(packet.size()));
    if (nmea_.kind != kKindGGA && nmea_.kind != kKindGGK) return;
    // A sentence that failed its checksum left the previous sentence's values: no news.
    if (!nmea_.ChecksumMatched()) return;
    UpdateQuality();
    // One that failed decoding (an empty or impossible time) is no new fix.
    if (nmea_.errorFlag != 0) return;
    const FixPosition fix = ConvertFix(pos_, nmea_, sourceDatum_, targetDatum_, zoneIndex_);
    if (!fix.valid || !OnPosition) return;
    const TPositionEvent position = OnPosition;
    const QDateTime time = nmea_.LocalTime(targetDatum_, clock_());
    fixTime_ = time;
    if (!position(fix.X, fix.Y, fix.h, time)) return;
    WriteLog(packet);
    if (forwardOn_ && cutText_ && !forwardText_.isEmpty())
        Forward(forwardText_.constData(), forwardText_.size());
}

// The receiver shows what the receiver says about its fix, also when the sentence gives no
// position (no fix, an empty time). A GGK whose time is impossible is decoded no further, so
// its quality is read here.
void TGPS::UpdateQuality() {
    if (nmea_.kind == kKindGGK && nmea_.errorFlag != 0) {
        quality_ = NmeaInteger(nmea_.Field(8));
        dgpsDataSecs_ = 0;
        return;
    }
    quality_ = nmea_.quality;
    dgpsDataSecs_ = nmea_.dgpsAge;
}

void TGPS::Forward(const char* data, qsizetype size) {
    if (!output_ || !output_->IsOpen()) return;
    // A full send buffer drops this data; nothing is queued.
    if (output_->FreeSendSpace() < size) return;
    output_->Write(QByteArray(data, size));
}

void TGPS::InputLost() {
    if (!enabled_) return;
    if (!lost_) {
        lost_ = true;
        if (!feeding_) framer_.Reset();  // the cut-off packet is of no use
        emit PortLost();
    }
    if (enabled_ && !reconnect_.isActive()) reconnect_.start();
}

void TGPS::OutputLost() {
    if (!enabled_ || !forwardOn_) return;
    if (!outputLost_) {
        outputLost_ = true;
        emit OutputPortLost();
    }
    if (!reconnect_.isActive()) reconnect_.start();
}

void TGPS::TryReopen() {
    if (!enabled_) {
        reconnect_.stop();
        return;
    }
    bool waiting = false;
    if (input_ && !input_->IsOpen() && !input_->Open()) waiting = true;
    if (outputLost_ && output_) {
        if (output_->IsOpen() || output_->Open()) {
            outputLost_ = false;
            emit OutputPortBack();
        } else {
            waiting = true;
        }
    }
    if (!waiting) reconnect_.stop();
}

// --- GPS log ---

bool TGPS::OpenLogFile(TLogMode mode) {
    log_.setFileName(logFile_);
    const bool append = mode == TLogMode::lmAppend;
    // Binary: sentences keep their carriage returns exactly. Append creates a missing file.
#ifdef Q_OS_UNIX
    // Not through a symbolic link: one planted in the log folder by another user would have
    // a file elsewhere emptied and overwritten. Not blocking on a pipe that nobody reads.
    // O_APPEND keeps every write at the end, whatever the device's idea of its position.
    const int fd = ::open(
        QFile::encodeName(logFile_).constData(),
        O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (append ? O_APPEND : O_TRUNC),
        0666);
    if (fd < 0) return false;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1 ||
        !log_.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
#else
    return log_.open(QIODevice::WriteOnly | (append ? QIODevice::Append : QIODevice::Truncate));
#endif
}

void TGPS::CloseLogFile() {
    if (log_.isOpen()) log_.close();
}

// Puts what the system holds of the log on the disk and waits for it (when the log is
// closed). Files that cannot be synced (devices) count as done.
bool TGPS::SyncLog() {
    syncAge_.start();
    bool ok = logSync_.Wait();
#ifdef Q_OS_UNIX
    if (log_.isOpen() && ::fdatasync(log_.handle()) != 0 && errno != EINVAL && errno != EROFS)
        ok = false;
#endif
    return ok;
}

void TGPS::SetLogMode(TLogMode mode) {
    if (mode == logMode_) return;
    logMode_ = mode;
    bool ok = true;
    if (mode == TLogMode::lmOff) {
        ok = !log_.isOpen() || (log_.flush() && SyncLog());
        CloseLogFile();
    } else {
        // Switching between lmOn and lmAppend: the open file is closed first.
        if (log_.isOpen()) log_.flush();
        CloseLogFile();
        ok = OpenLogFile(mode);
    }
    if (!ok) {
        CloseLogFile();
        logMode_ = TLogMode::lmOff;
        sink_.Error(kLogOpenError);
    }
}

void TGPS::SetLogFile(const QString& name) {
    if (name == logFile_) return;
    if (logMode_ == TLogMode::lmOff) {
        logFile_ = name;
        return;
    }
    const TLogMode mode = logMode_;
    SetLogMode(TLogMode::lmOff);
    logFile_ = name;
    SetLogMode(mode);
}

void TGPS::WriteLog(std::string_view text) {
    if (logMode_ == TLogMode::lmOff) return;
    const qint64 size = qint64(text.size());
    // Flushed at once: what was logged survives a crash of the program.
    bool ok = log_.isOpen() && log_.write(text.data(), size) == size && log_.flush();
    // On the disk at least once a second, so that a power cut on board loses at most the
    // last second; the sync itself runs on a thread of its own.
    if (ok && (!syncAge_.isValid() || syncAge_.elapsed() >= 1000)) {
        syncAge_.start();
        ok = logSync_.Request(log_.handle());
    }
    if (ok && logSync_.TakeFailure()) ok = false;
    if (!ok) {
        CloseLogFile();
        logMode_ = TLogMode::lmOff;
        sink_.Error(kLogWriteError);
        emit LogWriteFailed();
    }
}

}  // namespace tidrun
