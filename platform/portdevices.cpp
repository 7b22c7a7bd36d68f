#include "platform/portdevices.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace tidrun {

namespace {

bool MayOpen(const QString& path) {
#ifdef Q_OS_UNIX
    return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0 ||
           (errno != EACCES && errno != EPERM);
#else
    Q_UNUSED(path);
    return true;
#endif
}

}  // namespace

QList<PortDevice> PresentPortDevices() {
    QList<PortDevice> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortDevice d;
        d.path = info.systemLocation();
        d.text = PortDeviceText(d.path, info.description(), info.manufacturer());
        d.accessible = MayOpen(d.path);
        out << d;
    }
    std::sort(out.begin(), out.end(),
              [](const PortDevice& a, const PortDevice& b) { return a.path < b.path; });
    return out;
}

std::optional<PortDevice> ProbePortDevice(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0 || !S_ISCHR(st.st_mode)) return std::nullopt;
    // Opened without waiting for a carrier and without becoming its controlling terminal;
    // a serial line with no device behind it fails here.
    const int fd = ::open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != EACCES && errno != EPERM) return std::nullopt;
        return PortDevice{path, path, false};
    }
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    if (!terminal) return std::nullopt;
    return PortDevice{path, path, true};
#else
    if (!QFileInfo::exists(path)) return std::nullopt;
    return PortDevice{path, path, true};
#endif
}

QString PortDeviceText(const QString& path, const QString& description,
                       const QString& manufacturer) {
    QString text = path;
    const QString desc = description.trimmed(), maker = manufacturer.trimmed();
    if (!desc.isEmpty()) text += QStringLiteral(" — ") + desc;
    if (!maker.isEmpty() && maker != desc)
        text += desc.isEmpty() ? QStringLiteral(" — ") + maker : QStringLiteral(" (%1)").arg(maker);
    return text;
}

QString PortPermissionProblem(const QString& devicePath) {
    if (devicePath.isEmpty() || !QFileInfo::exists(devicePath) || MayOpen(devicePath)) return {};
    return QStringLiteral(
               "%1 を開く権限がありません。\r\n"
               "このユーザーを dialout グループに加えて"
               "（sudo usermod -aG dialout ユーザー名）、ログインし直して下さい。")
        .arg(devicePath);
}

}  // namespace tidrun
