#include "platform/gui/singleinstance.h"

#include <QDir>

#include "platform/runtimefolder.h"

namespace tidrun {

SingleInstance::SingleInstance(const QString& name, const QString& folder) {
    // Never a shared folder such as /tmp: another user could hold the lock there.
    const QString dir = folder.isEmpty() ? UserRuntimeFolder() : folder;
    if (dir.isEmpty()) return;
    path_ = QDir(dir).filePath(name + QStringLiteral(".lock"));
    lock_ = std::make_unique<QLockFile>(path_);
    // Never treat a live holder's lock as stale because it is old: the console runs for days.
    lock_->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    Release();
}

bool SingleInstance::TryAcquire() {
    if (held_) return true;
    if (!lock_) return false;
    held_ = lock_->tryLock(0);
    return held_;
}

void SingleInstance::Release() {
    if (!held_) return;
    lock_->unlock();
    held_ = false;
}

}  // namespace tidrun
