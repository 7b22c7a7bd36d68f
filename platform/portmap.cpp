#include "platform/portmap.h"

#include "platform/replaylink.h"
#include "platform/serialportlink.h"

#include <QDir>

#include <utility>

namespace tidrun {

int PortNumber(const QString& portName) {
    const QString name = portName.trimmed();
    if (!name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) return 0;
    bool ok = false;
    const int n = name.mid(3).toInt(&ok);
    return ok && n >= 1 && n <= 256 && name.mid(3).front().isDigit() ? n : 0;
}

QString PortSource(const QString& portName, const QString& mapped, const QString& programFolder) {
    const QString value = mapped.trimmed();
    if (value.startsWith(kReplayPrefix, Qt::CaseInsensitive)) {
        const QString file = value.mid(kReplayPrefix.size()).trimmed();
        if (file.isEmpty()) return kReplayPrefix;  // fails to open, with a message
        return kReplayPrefix + QDir::cleanPath(QDir(programFolder).absoluteFilePath(file));
    }
    if (!value.isEmpty()) return value;
#ifdef Q_OS_WIN
    return portName.trimmed();
#else
    const int n = PortNumber(portName);
    return n > 0 ? QStringLiteral("/dev/ttyS%1").arg(n - 1) : portName.trimmed();
#endif
}

PortTarget ResolvePort(const QString& portName, const QString& mapped,
                       const QString& programFolder) {
    const QString source = PortSource(portName, mapped, programFolder);
    PortTarget t;
    t.replay = source.startsWith(kReplayPrefix, Qt::CaseInsensitive);
    t.path = t.replay ? source.mid(kReplayPrefix.size()) : source;
    return t;
}

QString DescribePort(const QString& portName, const QString& mapped, const QString& programFolder) {
    return portName + QStringLiteral(" → ") + PortSource(portName, mapped, programFolder);
}

SerialLink* MakeSerialLink(const PortTarget& target, std::unique_ptr<ReplayPacing> pacing,
                           QObject* parent) {
    if (target.replay) return new ReplayLink(target.path, std::move(pacing), parent);
    return new SerialPortLink(target.path, parent);
}

}  // namespace tidrun
