// The GPS receiver: frames the input port's bytes into NMEA sentences, decodes them,
// converts every usable fix to plane coordinates and reports both as signals. When the
// transfer forwards the received data it relays every sentence to the output port. What a
// position is used for (a cut, a calibration sample, the screen) is its listeners' matter.
#pragma once

#include "platform/seriallink.h"
#include "positioning/framedinput.h"
#include "positioning/geodesy.h"
#include "positioning/nmea.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <string_view>

namespace tidrun {

// One usable fix in plane coordinates and the sentence that made it. The references are
// valid while the signal that carries it runs.
struct TGpsPosition {
    double X = 0, Y = 0, h = 0;   // northing, easting, ellipsoidal height (metres, target datum)
    QDateTime time;               // fix time (TNMEA::LocalTime)
    const TNMEA* nmea = nullptr;  // the decoded sentence, GGA or GGK
    std::string_view sentence;    // its bytes, "$" through the carriage return
    qint64 receivedUtcMs = 0;     // when the sentence arrived (ms since the epoch, UTC)
};

class TGPS : public QObject {
    Q_OBJECT
  public:
    static constexpr int kReconnectIntervalMs = 2000;
    // Milliseconds since the epoch (UTC) now: the instant that dates a fix.
    using UtcClock = std::function<qint64()>;

    // Fixes are dated by clock (the system clock when none is given).
    explicit TGPS(QObject* parent = nullptr, UtcClock clock = {});
    ~TGPS() override;

    // Ports are not owned. The link gets the standard line settings; its baud rate is
    // set by the caller. sourceDatum/targetDatum: datum-table indexes 0..2, zoneIndex 0..18.
    void SetInputPort(SerialLink* port, int sourceDatum, int targetDatum, int zoneIndex);
    // The transfer port (nullptr: none), opened and reopened with the input port. With
    // relay, every received sentence is sent on unchanged; otherwise its listeners send.
    void SetOutputPort(SerialLink* port, bool relay);

    // Opens the input port (and the output port when forwarding) and flushes their receive
    // buffers. On any failure everything is closed again and false is returned.
    bool Open();
    bool Close();
    bool IsOpen() const { return enabled_; }
    // False from PortLost until data flows again.
    bool IsConnected() const { return !lost_; }
    // False from OutputPortLost until OutputPortBack.
    bool IsOutputConnected() const { return !outputLost_; }

    // Quality indicator and age of differential data of the last GGA or GGK whose checksum
    // matched, whether or not it became a position.
    int Quality() const { return quality_; }
    double DGPSDataSecs() const { return dgpsDataSecs_; }
    // Time of the last position reported: the fix's instant in the target
    // datum's time scale (UTC shifted by its hour offset), dated by the clock (TNMEA::
    // LocalTime). Invalid before the first position.
    const QDateTime& FixTime() const { return fixTime_; }

    // Handles one framed packet ("$" through the carriage return) as if it had arrived
    // on the input port.
    void HandlePacket(std::string_view packet);

    const TNMEA& NMEA() const { return nmea_; }
    SerialLink* InputPort() const { return input_; }
    SerialLink* OutputPort() const { return output_; }
    bool ForwardOn() const { return forwardOn_; }

    // How often a lost port is reopened (default kReconnectIntervalMs).
    void SetReconnectInterval(int ms);

  signals:
    // Every framed sentence, "$" through the carriage return, before it is decoded, with the
    // instant it was received (milliseconds since the epoch, UTC): for the raw log.
    void SentenceReceived(QByteArrayView sentence, qint64 receivedUtcMs);
    // Every decoded sentence (whatever its checksum said), with the instant it was received
    // (milliseconds since the epoch, UTC).
    void SentenceDecoded(const tidrun::TNMEA& nmea, qint64 receivedUtcMs);
    // Every usable fix, after its sentence was reported and relayed.
    void PositionFixed(const tidrun::TGpsPosition& position);
    // The open input port failed (receiver unplugged). Reopening is tried periodically.
    void PortLost();
    // Bytes arrive again after PortLost.
    void DataFlowing();
    // The open output port failed; it is reopened with the input port's period.
    void OutputPortLost();
    // The output port is open again after OutputPortLost.
    void OutputPortBack();

  private:
    void BytesArrived(const QByteArray& data);
    void InputLost();
    void OutputLost();
    void TryReopen();
    void HandlePacket(std::string_view packet, qint64 receivedUtcMs);
    void UpdateQuality();

    QPointer<SerialLink> input_;
    QPointer<SerialLink> output_;
    TFramedInput framed_;
    TPos pos_;
    TNMEA nmea_;
    int sourceDatum_ = 0;
    int targetDatum_ = 0;
    int zoneIndex_ = 0;
    int quality_ = 0;
    double dgpsDataSecs_ = 0;
    bool forwardOn_ = false;  // an output port is set
    bool relay_ = false;

    bool enabled_ = false;     // framer enabled: the ports are open
    bool lost_ = false;        // input port lost, not yet flowing again
    bool outputLost_ = false;  // output port lost, reopen pending
    QTimer reconnect_;
    UtcClock clock_;
    QDateTime fixTime_;
};

}  // namespace tidrun
