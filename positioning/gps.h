// The GPS receiver: frames the input port's bytes into NMEA sentences, decodes them,
// converts every usable fix to plane coordinates, raises the monitor and position events,
// writes the used sentences to the GPS log and forwards data to the output port.
#pragma once

#include "platform/seriallink.h"
#include "positioning/backgroundsync.h"
#include "positioning/framer.h"
#include "positioning/geodesy.h"
#include "positioning/nmea.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <string_view>

namespace tidrun {

class MessageSink;

enum class TLogMode { lmOff, lmOn, lmAppend };

class TGPS : public QObject {
    Q_OBJECT
  public:
    // X northing, Y easting, h ellipsoidal height (metres, target datum), local fix time.
    // Returns true when the listener used the position (then the sentence is logged and
    // the fixed output text is sent).
    using TPositionEvent = std::function<bool(double X, double Y, double h, const QDateTime& time)>;
    // Called after every decoded sentence with the decoder.
    using TMonitorEvent = std::function<void(const TNMEA& nmea)>;

    static constexpr int kReconnectIntervalMs = 2000;
    // Milliseconds since the epoch (UTC) now: the instant that dates a fix.
    using UtcClock = std::function<qint64()>;

    // Log dialogs go to sink; it must outlive the receiver. Fixes are dated by clock (the
    // system clock when none is given).
    explicit TGPS(MessageSink& sink, QObject* parent = nullptr, UtcClock clock = {});
    ~TGPS() override;  // switches the log off (closing the file)

    // Ports are not owned. The link gets the standard line settings; its baud rate is
    // set by the caller. sourceDatum/targetDatum: datum-table indexes 0..2, zoneIndex 0..18.
    void SetInputPort(SerialLink* port, int sourceDatum, int targetDatum, int zoneIndex);
    // Turns forwarding on. text empty: forward every received sentence unchanged;
    // otherwise send text after each used position.
    void SetOutputPort(SerialLink* port, const QByteArray& text);

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
    // Time of the last position handed to OnPosition: the fix's instant in the target
    // datum's time scale (UTC shifted by its hour offset), dated by the clock (TNMEA::
    // LocalTime). Invalid before the first position.
    const QDateTime& FixTime() const { return fixTime_; }

    TLogMode LogMode() const { return logMode_; }
    // A log file is never opened through a symbolic link (nor a pipe without a reader):
    // such a name is reported as a file that cannot be created.
    void SetLogMode(TLogMode mode);
    QString LogFile() const { return logFile_; }
    void SetLogFile(const QString& name);
    // Appends text to the open log unchanged (no line end added) and flushes it.
    void WriteLog(std::string_view text);
    void WriteLog(const QByteArray& text) { WriteLog(std::string_view(text.data(), text.size())); }

    // Handles one framed packet ("$" through the carriage return) as if it had arrived
    // on the input port.
    void HandlePacket(std::string_view packet);

    const TNMEA& NMEA() const { return nmea_; }
    SerialLink* InputPort() const { return input_; }
    SerialLink* OutputPort() const { return output_; }
    bool ForwardOn() const { return forwardOn_; }
    const QByteArray& ForwardText() const { return forwardText_; }

    // Off: a used position is still logged, but the fixed output text is not sent, because
    // the listener takes positions for something other than recorded cuts (calibration).
    void SetCutTextEnabled(bool on) { cutText_ = on; }
    bool CutTextEnabled() const { return cutText_; }

    // How often a lost port is reopened (default kReconnectIntervalMs).
    void SetReconnectInterval(int ms);

    TPositionEvent OnPosition;
    TMonitorEvent OnMonitor;

  signals:
    // The open input port failed (receiver unplugged). Reopening is tried periodically.
    void PortLost();
    // Bytes arrive again after PortLost.
    void DataFlowing();
    // A write to the open log failed: reported once, the log switched off. Whoever logs a
    // line must end it, so that no cut is taken whose sentence goes nowhere.
    void LogWriteFailed();
    // The open output port failed; it is reopened with the input port's period.
    void OutputPortLost();
    // The output port is open again after OutputPortLost.
    void OutputPortBack();

  private:
    void BytesArrived(const QByteArray& data);
    void InputLost();
    void OutputLost();
    void TryReopen();
    void Forward(const char* data, qsizetype size);
    void UpdateQuality();
    bool OpenLogFile(TLogMode mode);
    void CloseLogFile();
    bool SyncLog();

    MessageSink& sink_;
    QPointer<SerialLink> input_;
    QPointer<SerialLink> output_;
    SentenceFramer framer_;
    TPos pos_;
    TNMEA nmea_;
    int sourceDatum_ = 0;
    int targetDatum_ = 0;
    int zoneIndex_ = 0;
    int quality_ = 0;
    double dgpsDataSecs_ = 0;
    TLogMode logMode_ = TLogMode::lmOff;
    QString logFile_ = QStringLiteral("GPS.LOG");
    QFile log_;
    bool forwardOn_ = false;
    QByteArray forwardText_;
    bool cutText_ = true;

    bool enabled_ = false;     // framer enabled: the ports are open
    bool lost_ = false;        // input port lost, not yet flowing again
    bool outputLost_ = false;  // output port lost, reopen pending
    bool feeding_ = false;     // inside the framer: later bytes wait in pending_
    QByteArray pending_;
    QTimer reconnect_;
    UtcClock clock_;
    QDateTime fixTime_;
    QElapsedTimer syncAge_;    // since the log was last sent to the disk
    TBackgroundSync logSync_;  // the once-a-second sync, off the receiver's thread
};

}  // namespace tidrun
