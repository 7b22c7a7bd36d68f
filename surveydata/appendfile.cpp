#include "surveydata/appendfile.h"

#include <utility>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

namespace tidrun {

void RepairEnd(QFile& file) {
    qint64 size = file.size();
    char c = 0;
    while (size > 0 && file.seek(size - 1) && file.getChar(&c) && c == 0x1A) {
        if (!file.resize(size - 1)) return;
        --size;
    }
    if (size == 0 || c == '\n') return;
    const QByteArray end = c == '\r' ? QByteArray("\n") : QByteArray("\r\n");
    if (file.seek(size) && file.write(end) == end.size()) SyncToDisk(file);
}

bool FileStillAtPath(const QFile& file, const QString& path) {
#if defined(Q_OS_UNIX)
    struct stat open = {};
    struct stat atPath = {};
    return ::fstat(file.handle(), &open) == 0 &&
           ::stat(QFile::encodeName(path).constData(), &atPath) == 0 &&
           open.st_dev == atPath.st_dev && open.st_ino == atPath.st_ino;
#else
    (void)file;
    (void)path;
    return true;  // an open file can be neither deleted nor replaced there
#endif
}

bool SyncToDisk(QFile& file) {
#if defined(Q_OS_LINUX)
    return ::fdatasync(file.handle()) == 0;
#elif defined(Q_OS_UNIX)
    return ::fsync(file.handle()) == 0;
#elif defined(Q_OS_WIN)
    return ::_commit(file.handle()) == 0;
#else
    return true;
#endif
}

TSyncThread::~TSyncThread() {
    Wait();
}

void TSyncThread::Start(QFile& file) {
    {
        const std::lock_guard lock(mutex_);
        file_ = &file;
        done_ = false;
    }
    if (!thread_.joinable()) {
        thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
    }
    changed_.notify_one();
}

bool TSyncThread::Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return done_; });
    return std::exchange(ok_, true);
}

void TSyncThread::Run(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!changed_.wait(lock, stop, [this] { return file_ != nullptr; })) return;
        QFile* file = file_;
        lock.unlock();
        const bool ok = SyncToDisk(*file);
        lock.lock();
        file_ = nullptr;
        ok_ = ok;
        done_ = true;
        changed_.notify_one();
    }
}

bool TAppendFile::Open(const QString& path) {
    FinishAppend();
    file_.close();
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered)) return false;
    RepairEnd(file_);
    return true;
}

bool TAppendFile::StillAtPath() const {
    return FileStillAtPath(file_, file_.fileName());
}

bool TAppendFile::Append(QByteArrayView bytes) {
    FinishAppend();
    const qint64 before = file_.size();
    if (file_.write(bytes.data(), bytes.size()) == bytes.size() && SyncToDisk(file_)) return true;
    if (file_.size() > before) file_.resize(before);
    return false;
}

bool TAppendFile::StartAppend(QByteArrayView bytes) {
    FinishAppend();
    const qint64 before = file_.size();
    if (file_.write(bytes.data(), bytes.size()) != bytes.size()) {
        if (file_.size() > before) file_.resize(before);
        return false;
    }
    pendingFrom_ = before;
    sync_.Start(file_);
    return true;
}

bool TAppendFile::FinishAppend() {
    if (pendingFrom_ < 0) return true;
    const qint64 before = std::exchange(pendingFrom_, -1);
    if (sync_.Wait()) return true;
    if (file_.size() > before) file_.resize(before);
    return false;
}

bool TAppendFile::TruncateTo(qint64 size) {
    FinishAppend();
    return file_.resize(size) && SyncToDisk(file_);
}

}  // namespace tidrun
