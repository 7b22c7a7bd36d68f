#include "platform/serialportlink.h"

#include <algorithm>

namespace tidrun {

SerialPortLink::SerialPortLink(const QString& device, QObject* parent)
    : SerialLink(parent), device_(device), port_(this) {
    SetStandardLineSettings();
    connect(&port_, &QSerialPort::readyRead, this, [this] {
        const QByteArray data = port_.readAll();
        if (!data.isEmpty()) emit BytesReceived(data);
    });
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialPortLink::PortError);
}

SerialPortLink::~SerialPortLink() {
    port_.close();
}

void SerialPortLink::SetBaudRate(int baud) {
    baud_ = baud;
    port_.setBaudRate(baud);
}

void SerialPortLink::SetStandardLineSettings() {
    port_.setParity(QSerialPort::NoParity);
    port_.setDataBits(QSerialPort::Data8);
    port_.setStopBits(QSerialPort::OneStop);
    // XON/XOFF in both directions; no RTS/CTS.
    port_.setFlowControl(QSerialPort::SoftwareControl);
}

bool SerialPortLink::Open() {
    if (port_.isOpen()) return true;
    ++session_;
    closePending_ = false;
    errorText_.clear();
    port_.setPortName(device_);
    port_.setBaudRate(baud_);
    if (!port_.open(QIODevice::ReadWrite)) {
        errorText_ = port_.errorString();
        return false;
    }
    return true;
}

void SerialPortLink::Close() {
    ++session_;
    closePending_ = false;
    if (port_.isOpen()) port_.close();
}

void SerialPortLink::FlushReceive() {
    if (!port_.isOpen()) return;
    port_.clear(QSerialPort::Input);
    port_.readAll();  // what Qt had already buffered
}

qint64 SerialPortLink::FreeSendSpace() const {
    if (!port_.isOpen()) return 0;
    return std::max<qint64>(0, kSendBufferSize - port_.bytesToWrite());
}

bool SerialPortLink::Write(const QByteArray& data) {
    if (!port_.isOpen()) return false;
    return port_.write(data) == data.size();
}

void SerialPortLink::PortError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError) return;
    errorText_ = port_.errorString();
    // A vanished device (USB receiver unplugged): the driver hangs the line up and reads
    // fail or end (QSerialPort reports ResourceError or ReadError, again on every event
    // loop pass). Close it so that it can be reopened later; closed from the event loop,
    // not inside QSerialPort's own notification.
    const bool gone = error == QSerialPort::ResourceError || error == QSerialPort::ReadError;
    if (gone && port_.isOpen() && !closePending_) {
        closePending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this, session = session_] {
                if (session != session_) return;  // closed or reopened meanwhile
                closePending_ = false;
                if (!port_.isOpen()) return;
                port_.close();
                emit Lost();
            },
            Qt::QueuedConnection);
    }
}

}  // namespace tidrun
