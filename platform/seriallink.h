// The operations the receiver needs of a serial port, over a real port or a replay file.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace tidrun {

class SerialLink : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    ~SerialLink() override = default;

    // Line settings. Applied at Open; may be set while closed.
    virtual void SetBaudRate(int baud) = 0;
    // No parity, 8 data bits, 1 stop bit, no hardware flow control, XON/XOFF both ways.
    virtual void SetStandardLineSettings() = 0;

    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual void FlushReceive() = 0;
    // Free space of the send buffer in bytes.
    virtual qint64 FreeSendSpace() const = 0;
    virtual bool Write(const QByteArray& data) = 0;
    // What the link reads from: a device path or "replay:<file>".
    virtual QString Source() const = 0;
    virtual QString ErrorText() const = 0;

  signals:
    void BytesReceived(const QByteArray& data);
    // The open port failed (device unplugged); the link stays configured.
    void Lost();
};

// Sends data when the port is open and its send buffer has room for all of it; otherwise
// the data is dropped, nothing is queued, so that a stopped target never stalls the sender.
inline void SendIfRoom(SerialLink* port, const char* data, qsizetype size) {
    if (!port || !port->IsOpen() || port->FreeSendSpace() < size) return;
    port->Write(QByteArray(data, size));
}

}  // namespace tidrun
