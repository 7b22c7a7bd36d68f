// Calibration at a known point: the receiver's positions are sampled at a chosen interval
// for a chosen time, averaged, and the offsets reference − average derived. Every sample
// goes to a calibration log in the receiver's log, followed by its raw sentence.
#pragma once

#include "positioning/gps.h"
#include "positioning/sentencelog.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tidrun {

// Gives the receiver's positions to one more listener for the life of the scope, beside
// the others (the main window keeps showing them), however the scope ends.
class TPositionListenerScope {
  public:
    TPositionListenerScope(TGPS& gps, std::function<void(const TGpsPosition&)> listener);
    ~TPositionListenerScope();
    TPositionListenerScope(const TPositionListenerScope&) = delete;
    TPositionListenerScope& operator=(const TPositionListenerScope&) = delete;

  private:
    QMetaObject::Connection connection_;
};

// Measurement time and save interval, in whole units as typed.
struct TCalibrationTimes {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int spanSeconds = 0;  // save interval
    int TotalSeconds() const { return hours * 3600 + minutes * 60 + seconds; }
};

class TCalibrationRun {
  public:
    // Milliseconds of a monotonic counter; the measurement counts its whole seconds.
    using TickClock = std::function<qint64()>;
    static constexpr int kTimerMs = 100;

    // The calibration log's faults are reported to sink; without one nothing is logged.
    TCalibrationRun(MessageSink* sink, TickClock clock);
    ~TCalibrationRun();  // a running measurement is stopped, its log closed
    TCalibrationRun(const TCalibrationRun&) = delete;
    TCalibrationRun& operator=(const TCalibrationRun&) = delete;

    // The four texts of the time boxes as decimal numbers (a text that is no number counts
    // as 0). Nothing when a text is empty, a number is negative, or minutes or seconds
    // exceed 60.
    static std::optional<TCalibrationTimes> ParseTimes(const QString& hours, const QString& minutes,
                                                       const QString& seconds, const QString& span);
    // <calibFolder>/Calib<MMddHHmm>.Log, e.g. Calib12071530.Log for 7 December 15:30.
    static QString LogFileName(const QString& calibFolder, const QDateTime& now);
    // "h:m:s( count )" for elapsed seconds, e.g. "1:2:5( 12 )".
    static QString ProgressText(int elapsedSeconds, int count);
    // What a sample writes before its sentence: each value "%11.3f" followed by ", ".
    static QByteArray LogLine(double x, double y, double h);
    static QString FormatValue(double v);  // "%11.3f"

    // The reference point's coordinates (all 0 without one); offsets follow them at once.
    void SetReference(double x, double y, double h);
    double ReferenceX() const { return refX_; }
    double ReferenceY() const { return refY_; }
    double ReferenceH() const { return refH_; }

    // Starts a measurement: counts and sums cleared, the log named by `now` in calibFolder
    // switched on (truncating). The first tick makes a sample due.
    void Start(const TCalibrationTimes& times, const QString& calibFolder, const QDateTime& now);
    // Ends the measurement and switches the log off. The offsets stay as the last sample
    // left them.
    void Stop();

    struct Progress {
        int elapsed = 0;        // seconds; 0 once the measurement has ended
        bool finished = false;  // this tick ended the measurement
        QString text;           // ProgressText(elapsed, count)
    };
    // The timer tick while running: ends the measurement when its time is up, otherwise
    // makes a sample due when the save interval has passed since the last one.
    Progress Tick();

    // One uncorrected position from the receiver. When a sample is due it is taken: counted,
    // summed, averaged, the offsets derived, its numbers and then its sentence written to the
    // log; returns true. A position that was not measured (IsMeasuredFix: an estimated or
    // simulated GGA) is never a sample; the sample stays due.
    bool Position(const TGpsPosition& p);
    // The same for a position without a sentence (nothing of it logged but the numbers).
    bool Position(double x, double y, double h, bool measured);

    bool Running() const { return running_; }
    bool SampleDue() const { return sampleDue_; }
    int Count() const { return count_; }
    int TotalSeconds() const { return times_.TotalSeconds(); }
    double AverageX() const { return count_ ? sumX_ / count_ : 0; }
    double AverageY() const { return count_ ? sumY_ / count_ : 0; }
    double AverageH() const { return count_ ? sumH_ / count_ : 0; }
    // reference − average; meaningful once a sample was taken.
    double OffsetX() const { return refX_ - AverageX(); }
    double OffsetY() const { return refY_ - AverageY(); }
    double OffsetH() const { return refH_ - AverageH(); }

  private:
    qint64 NowSecond() const { return clock_() / 1000; }

    std::unique_ptr<TSentenceLog> log_;
    TickClock clock_;
    double refX_ = 0, refY_ = 0, refH_ = 0;
    bool running_ = false;
    bool sampleDue_ = false;
    int count_ = 0;
    double sumX_ = 0, sumY_ = 0, sumH_ = 0;
    qint64 startSecond_ = 0;
    qint64 lastSampleSecond_ = 0;
    TCalibrationTimes times_;
};

}  // namespace tidrun
