// The job's receiver on its ports and what the main window shows of it: the received data
// of each sentence, the coordinates of each position with their colour and age, the state
// of its ports and the title part that tells it.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "console/fixview.h"
#include "positioning/depth.h"

class QTimer;

namespace tidrun {

class MessageSink;
class TCoordPanel;
class TDepthPanel;
class TGpsPanel;
class TGPS;
class TRawLog;
class TSounder;
class TJobSession;
class TJobSettings;
class TNMEA;
class TReceiverPorts;
struct TGpsPosition;

class TReceiverView : public QObject {
    Q_OBJECT
  public:
    // clock: the milliseconds clock of the ages (read at each use); iniPath: Tidrun.INI
    // with its [Ports]; programDir: where relative replay files are.
    TReceiverView(TGpsPanel& gps, TCoordPanel& coords, TDepthPanel& depth,
                  const std::function<qint64()>& clock, MessageSink& sink, const QString& iniPath,
                  const QString& programDir, QObject* parent);
    ~TReceiverView() override;

    // Opens the job's receiver on its ports (the transfer port too, unless "しない"), and
    // the sounder where the job reads one, and hands the session the transfer port and the
    // depths; a port that does not open is said. logFolder: where the time-tagged raw log
    // goes when the job keeps one.
    void Open(const TJobSettings& settings, TJobSession& session, const QString& logFolder);
    // The receiver goes before the ports it reads.
    void Close(TJobSession& session);
    TGPS* Receiver() const { return gps_; }
    TSounder* Sounder() const { return sounder_; }
    bool Connected() const;

    // Nothing of an earlier job or receiver stays on screen: the design-time texts.
    void Reset();
    void ShowSentence(const TNMEA& nmea);
    void ShowPosition(double x, double y, bool measured);
    // Each lost port by its name and where it leads, the GPS port first.
    void ShowPortState();
    // Refreshes the age display of the coordinates (run by a timer).
    void CheckAge();

  signals:
    // The port state's text changed: its window may need another height.
    void PortTextChanged();
    // The window's title part that tells the ports' state.
    void TitleChanged(const QString& title);
    void PositionFixed(const TGpsPosition& position);
    // A depth sentence of the sounder (after the session has it).
    void DepthReceived(const tidrun::TDepthReading& reading, QByteArrayView sentence,
                       qint64 receivedUtcMs);

  private:
    TGpsPanel& pnlGPS_;
    TCoordPanel& pnlBottom_;
    TDepthPanel& pnlDepth_;
    const std::function<qint64()>& clock_;
    QTimer* ageTimer_;
    MessageSink& sink_;
    QString iniPath_, programDir_;
    QString gpsPort_, outPort_;
    TGPS* gps_ = nullptr;          // child; exists while a job is open
    TSounder* sounder_ = nullptr;  // child; exists while a job that reads depth is open
    QString depthPort_;
    std::optional<TDepthReading> lastDepth_;  // of the open job, with when it came (clock_)
    qint64 lastDepthAt_ = 0;
    std::unique_ptr<TReceiverPorts> ports_;
    std::unique_ptr<TRawLog> rawLog_;
    TFixWatch fixWatch_;
    std::uint32_t coordColour_ = 0;
    QString xText_, yText_;
};

}  // namespace tidrun
