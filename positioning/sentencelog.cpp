#include "positioning/sentencelog.h"

#include "platform/messagesink.h"

#include <utility>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace tidrun {

namespace {

const QString kLogOpenError = QStringLiteral("ログファイル作成/終了エラー");
const QString kLogWriteError = QStringLiteral("ログファイル書込エラー");

}  // namespace

TSentenceLog::~TSentenceLog() {
    if (logMode_ != TLogMode::lmOff) SetLogMode(TLogMode::lmOff);
}

bool TSentenceLog::OpenLogFile(TLogMode mode) {
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

void TSentenceLog::CloseLogFile() {
    if (log_.isOpen()) log_.close();
}

// Puts what the system holds of the log on the disk and waits for it (when the log is
// closed). Files that cannot be synced (devices) count as done.
bool TSentenceLog::SyncLog() {
    syncAge_.start();
    bool ok = logSync_.Wait();
#ifdef Q_OS_UNIX
    if (log_.isOpen() && ::fdatasync(log_.handle()) != 0 && errno != EINVAL && errno != EROFS)
        ok = false;
#endif
    return ok;
}

void TSentenceLog::SetLogMode(TLogMode mode) {
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
    lastWriteAt_ = -1;
    size_ = ok && log_.isOpen() ? log_.size() : 0;
    if (!ok) {
        CloseLogFile();
        logMode_ = TLogMode::lmOff;
        sink_.Error(kLogOpenError);
    }
}

void TSentenceLog::SetLogFile(const QString& name) {
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

bool TSentenceLog::Write(std::string_view text) {
    if (logMode_ == TLogMode::lmOff) return false;
    const qint64 size = qint64(text.size());
    lastWriteAt_ = size_;
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
        WriteFailed();
        return false;
    }
    size_ += size;
    return true;
}

void TSentenceLog::TakeBackLastWrite() {
    if (logMode_ == TLogMode::lmOff || lastWriteAt_ < 0) return;
    const qint64 at = std::exchange(lastWriteAt_, -1);
    if (!log_.resize(at)) {
        WriteFailed();
        return;
    }
    size_ = at;
}

void TSentenceLog::WriteFailed() {
    CloseLogFile();
    logMode_ = TLogMode::lmOff;
    sink_.Error(kLogWriteError);
}

}  // namespace tidrun
