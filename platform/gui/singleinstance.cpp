#include "platform/gui/singleinstance.h"

#include <QDir>
#include <QStandardPaths>

namespace tidrun {

SingleInstance::SingleInstance(const QString& name, const QString& folder) {
    QString dir = folder;
    if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
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
    held_ = lock_->tryLock(0);
    return held_;
}

void SingleInstance::Release() {
    if (!held_) return;
    lock_->unlock();
    held_ = false;
}

}  // namespace tidrun
