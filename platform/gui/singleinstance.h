// One running console per user: a lock file named after the instance name in the user's
// runtime folder, a folder no other user can write (see UserRuntimeFolder). A second holder
// is refused at once; the lock of a program that died is stale and is taken over.
#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace tidrun {

class SingleInstance {
  public:
    static QString DefaultName() { return QStringLiteral("Tidrun_Mutex"); }

    // `folder` empty: the user's runtime folder. Where the user has none, the lock is never
    // taken.
    explicit SingleInstance(const QString& name = DefaultName(), const QString& folder = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this object now holds the lock (or already held it); false at once when
    // another process or object holds it.
    bool TryAcquire();
    void Release();
    bool IsHeld() const { return held_; }
    QString LockPath() const { return path_; }

  private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
    bool held_ = false;
};

}  // namespace tidrun
