// The job's receiver on its ports and what the main window shows of it: the received data
// of each sentence, the coordinates of each position with their colour and age, the state
// of its ports and the title part that tells it.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

#include "console/fixview.h"

class QTimer;

namespace tidrun {

class MessageSink;
class TCoordPanel;
class TGpsPanel;
class TGPS;
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
    TReceiverView(TGpsPanel& gps, TCoordPanel& coords, const std::function<qint64()>& clock,
                  MessageSink& sink, const QString& iniPath, const QString& programDir,
                  QObject* parent);
    ~TReceiverView() override;

    // Opens the job's receiver on its ports (the transfer port too, unless "しない") and
    // hands the session the transfer port; a port that does not open is said.
    void Open(const TJobSettings& settings, TJobSession& session);
    // The receiver goes before the ports it reads.
    void Close(TJobSession& session);
    TGPS* Receiver() const { return gps_; }
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

  private:
    TGpsPanel& pnlGPS_;
    TCoordPanel& pnlBottom_;
    const std::function<qint64()>& clock_;
    QTimer* ageTimer_;
    MessageSink& sink_;
    QString iniPath_, programDir_;
    QString gpsPort_, outPort_;
    TGPS* gps_ = nullptr;  // child; exists while a job is open
    std::unique_ptr<TReceiverPorts> ports_;
    TFixWatch fixWatch_;
    std::uint32_t coordColour_ = 0;
    QString xText_, yText_;
};

}  // namespace tidrun
