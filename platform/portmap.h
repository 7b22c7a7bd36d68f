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

// Makes the link for a source as PortSource returns it, owned by parent. A replay source is
// paced by pacing (a device link drops it).
SerialLink* MakeSerialLink(const QString& source, std::unique_ptr<ReplayPacing> pacing,
                           QObject* parent);
// The same for a source given as a replay flag and a device or file path.
SerialLink* MakeSerialLink(bool replay, const QString& path, std::unique_ptr<ReplayPacing> pacing,
                           QObject* parent);

}  // namespace tidrun
