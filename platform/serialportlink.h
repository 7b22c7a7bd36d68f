// SerialLink over a real serial device (QSerialPort).
#pragma once

#include "platform/seriallink.h"

#include <QSerialPort>

namespace tidrun {

class SerialPortLink : public SerialLink {
    Q_OBJECT
  public:
    // QSerialPort keeps no fixed send buffer; the link reports free space against this size.
    static constexpr qint64 kSendBufferSize = 4096;

    explicit SerialPortLink(const QString& device, QObject* parent = nullptr);
    ~SerialPortLink() override;

    void SetBaudRate(int baud) override;
    void SetStandardLineSettings() override;

    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return port_.isOpen(); }
    void FlushReceive() override;
    qint64 FreeSendSpace() const override;
    bool Write(const QByteArray& data) override;
    QString Source() const override { return device_; }
    QString ErrorText() const override { return errorText_; }

  private:
    void PortError(QSerialPort::SerialPortError error);

    QString device_;
    QSerialPort port_;
    int baud_ = 4800;
    QString errorText_;
    bool closePending_ = false;
    quint64 session_ = 0;  // counts Open/Close, so a stale deferred close does nothing
};

}  // namespace tidrun
