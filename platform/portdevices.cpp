#include "platform/portdevices.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
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
