// The serial devices present on this computer, as a user chooses among them, and what
// stands in the way of opening one.
#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace tidrun {

struct PortDevice {
    QString path;            // "/dev/ttyUSB0"
    QString text;            // "/dev/ttyUSB0 — u-blox GNSS receiver (u-blox AG)"
    bool accessible = true;  // this user may open it
    bool operator==(const PortDevice&) const = default;
};

// Every serial device the system reports, by path.
QList<PortDevice> PresentPortDevices();

// A device path the system does not list (a pseudo-terminal, a link such as
// /dev/serial/by-id/...): a terminal device that is there, by its path (text = path), also
// when this user may not open it; nothing when it is not there or is no terminal.
std::optional<PortDevice> ProbePortDevice(const QString& path);

// "<path> — <description> (<maker>)", leaving out what is unknown.
QString PortDeviceText(const QString& path, const QString& description,
                       const QString& manufacturer);

// When `devicePath` exists but this user may not read and write it: a message naming the
// device and what to do (join the dialout group). Empty otherwise.
QString PortPermissionProblem(const QString& devicePath);

}  // namespace tidrun
