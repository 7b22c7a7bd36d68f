#include "positioning/backgroundsync.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <unistd.h>
#include <cerrno>
#endif

namespace tidrun {

namespace {

// Files that cannot be synced (pipes, devices, read-only file systems) count as done.
bool SyncDescriptor(int fd) {
#if defined(Q_OS_LINUX)
    return ::fdatasync(fd) == 0 || errno == EINVAL || errno == EROFS;
#elif defined(Q_OS_UNIX)
    return ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
#else
    (void)fd;
    return true;
#endif
}

void CloseDescriptor(int fd) {
#ifdef Q_OS_UNIX
    ::close(fd);
#else
    (void)fd;
#endif
}

}  // namespace

TBackgroundSync::TBackgroundSync() : worker_([this] { Run(); }) {}

TBackgroundSync::~TBackgroundSync() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

bool TBackgroundSync::Request(int fd) {
#ifdef Q_OS_UNIX
    const int copy = fd >= 0 ? ::dup(fd) : -1;
    if (copy < 0) return false;
    int replaced = -1;
    {
        std::lock_guard lock(mutex_);
        replaced = pending_;
        pending_ = copy;
    }
    if (replaced >= 0) CloseDescriptor(replaced);
    wake_.notify_one();
    return true;
#else
    (void)fd;
    return true;
#endif
}

bool TBackgroundSync::Wait() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return pending_ < 0 && !busy_; });
    return !std::exchange(failed_, false);
}

bool TBackgroundSync::TakeFailure() {
    std::lock_guard lock(mutex_);
    return std::exchange(failed_, false);
}

void TBackgroundSync::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || pending_ >= 0; });
        if (pending_ < 0) break;  // stopping with nothing left to do
        const int fd = std::exchange(pending_, -1);
        busy_ = true;
        lock.unlock();
        const bool ok = SyncDescriptor(fd);
        CloseDescriptor(fd);
        lock.lock();
        busy_ = false;
        if (!ok) failed_ = true;
        done_.notify_all();
    }
    done_.notify_all();
}

}  // namespace tidrun
