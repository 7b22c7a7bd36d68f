#include "platform/runtimefolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tidrun {

bool IsPrivateFolder(const QString& path) {
    if (path.isEmpty() || !QDir::isAbsolutePath(path)) return false;
#if defined(Q_OS_UNIX)
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 07777) == 0700;
#else
    return QFileInfo(path).isDir();
#endif
}

bool MakePrivateFolder(const QString& path) {
    if (path.isEmpty() || !QDir::isAbsolutePath(path)) return false;
#if defined(Q_OS_UNIX)
    // mkdir fails on anything already there, a link included; the check follows.
    ::mkdir(QFile::encodeName(path).constData(), 0700);
#else
    QDir().mkdir(path);
#endif
    return IsPrivateFolder(path);
}

QString PrivateCacheFolder() {
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return cache.isEmpty() ? QString() : QDir(cache).filePath(QStringLiteral("tidrun"));
}

QString UserRuntimeFolder() {
    const QString fromEnv = QDir::cleanPath(qEnvironmentVariable("XDG_RUNTIME_DIR"));
    if (IsPrivateFolder(fromEnv)) return fromEnv;
#if defined(Q_OS_UNIX)
    const QString session = QStringLiteral("/run/user/%1").arg(::geteuid());
    if (IsPrivateFolder(session)) return session;
#endif
    const QString own = PrivateCacheFolder();
    if (own.isEmpty()) return {};
    QDir().mkpath(QFileInfo(own).path());
    return MakePrivateFolder(own) ? own : QString();
}

}  // namespace tidrun
