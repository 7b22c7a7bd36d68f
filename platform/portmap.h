// Port names "COM1".."COM8" as settings and files keep them, mapped to what a link reads.
#pragma once

#include <QString>

#include <memory>

class QObject;

namespace tidrun {

class ReplayPacing;
class SerialLink;

inline constexpr QLatin1StringView kReplayPrefix{"replay:"};

// The source behind a port name. mapped is the name's value in section [Ports] of
// Tidrun.INI (empty when there is none): a device path, or "replay:<file>" with a relative
// file taken from programFolder. Unmapped, "COMn" is /dev/ttyS<n-1> on Linux and the name
// itself elsewhere. Returns a device path or "replay:<absolute file>".
QString PortSource(const QString& portName, const QString& mapped, const QString& programFolder);

// The port number n of "COMn" (case-insensitive), 0 when the name is no such name.
int PortNumber(const QString& portName);

// Where a port name leads, split into its kind and path.
struct PortTarget {
    bool replay = false;
    QString path;  // device name, or the absolute path of the replay file
};
// The target of the source PortSource gives for the same arguments.
PortTarget ResolvePort(const QString& portName, const QString& mapped,
                       const QString& programFolder);
// The text the settings dialog shows beside a port chooser, e.g. "COM1 → /dev/ttyUSB0" or
// "COM2 → replay:/opt/tidrun/track.nmea".
QString DescribePort(const QString& portName, const QString& mapped, const QString& programFolder);

// Makes the link for a target, owned by parent. A replay is paced by pacing (a device link
// drops it).
SerialLink* MakeSerialLink(const PortTarget& target, std::unique_ptr<ReplayPacing> pacing,
                           QObject* parent);

}  // namespace tidrun
