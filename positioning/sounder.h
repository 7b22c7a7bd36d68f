// The echo sounder as a second sentence source: frames its port's bytes as the GPS receiver
// does, decodes depth sentences (DBT, DPT, DBS) with the job's draft and reports them as
// signals. Its port is either its own (opened, closed and reopened here, as the GPS port
// is) or the transfer port, which the GPS receiver opens and reopens: then the sounder only
// listens to it (one cable: the annotation goes out, the depth comes back).
#pragma once

#include "platform/seriallink.h"
#include "positioning/depth.h"
#include "positioning/framedinput.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <string_view>

namespace tidrun {

class TSounder : public QObject {
    Q_OBJECT
  public:
    static constexpr int kReconnectIntervalMs = 2000;
    // Milliseconds since the epoch (UTC) now: the instant that dates a sentence.
    using UtcClock = std::function<qint64()>;

    explicit TSounder(QObject* parent = nullptr, UtcClock clock = {});
    ~TSounder() override;

    // The port is not owned. own: the sounder opens it (standard line settings; the baud
    // rate is the caller's); else it is opened by whoever owns it and only listened to.
    void SetPort(SerialLink* port, bool own);
    // Added to DBT, and to DPT without a positive offset (metres).
    void SetDraft(double metres) { draft_ = metres; }

    // Opens its own port and flushes it; a listened-to port is not touched. False (and
    // closed) when the port cannot be opened or there is none.
    bool Open();
    void Close();
    bool IsOpen() const { return enabled_; }
    // False from PortLost until data flows again.
    bool IsConnected() const { return !lost_; }
    SerialLink* Port() const { return port_; }
    bool OwnsPort() const { return own_; }

    // Handles one framed packet as if it had arrived now.
    void HandlePacket(std::string_view packet);
    // How often a lost own port is reopened (default kReconnectIntervalMs).
    void SetReconnectInterval(int ms);

  signals:
    // Every framed sentence, "$" through the carriage return, with the instant it arrived
    // (milliseconds since the epoch, UTC): for the raw log.
    void SentenceReceived(QByteArrayView sentence, qint64 receivedUtcMs);
    // A sentence that decoded to a depth (or to no bottom).
    void DepthReceived(const tidrun::TDepthReading& reading, QByteArrayView sentence,
                       qint64 receivedUtcMs);
    // The own port failed (unplugged); reopening is tried periodically.
    void PortLost();
    // Bytes arrive again after PortLost.
    void DataFlowing();

  private:
    void BytesArrived(const QByteArray& data);
    void Lost();
    void TryReopen();
    void Handle(std::string_view packet, qint64 receivedUtcMs);

    QPointer<SerialLink> port_;
    bool own_ = true;
    double draft_ = 0;
    TFramedInput framed_;
    bool enabled_ = false;
    bool lost_ = false;
    QTimer reconnect_;
    UtcClock clock_;
};

}  // namespace tidrun
