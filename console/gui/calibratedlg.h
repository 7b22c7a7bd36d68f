// The calibration dialog ("補正"): the four calibration values of the job (X, Y and height
// offsets and the antenna height), edited by hand or measured at a reference point. While
// shown it takes the receiver's position listener over; it gives it back whenever it goes.
#pragma once

#include "positioning/calibrationrun.h"

#include <QDialog>
#include <QString>

#include <memory>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tidrun {

class MessageSink;
class NumericEdit;
class TGPS;
class TKijunColl;

class TfrmCalibrateDlg : public QDialog {
    Q_OBJECT
  public:
    // Errors go to sink (not owned; it must outlive the dialog). clock: the tick counter the
    // measurement counts its seconds by (milliseconds, monotonic); the system's by default.
    explicit TfrmCalibrateDlg(MessageSink& sink, QWidget* parent = nullptr,
                              TCalibrationRun::TickClock clock = {});
    ~TfrmCalibrateDlg() override;

    // What the next showing works with: the receiver (may be null: nothing is received),
    // the reference points, the job's Tidrun.CFG and its "Calib" folder. Not owned.
    void SetJob(TGPS* gps, const TKijunColl* kijun, const QString& cfgPath,
                const QString& calibFolder);
    void SetValues(double x, double y, double h, double a);
    void GetValues(double& x, double& y, double& h, double& a) const;
    // Modal; true when closed with OK.
    bool Execute();
    bool Running() const { return run_ && run_->Running(); }

    QComboBox* cbxRefPoint = nullptr;
    QLabel *lblRefX = nullptr, *lblRefY = nullptr, *lblRefH = nullptr;
    QLabel *lblGpsX = nullptr, *lblGpsY = nullptr, *lblGpsH = nullptr;
    QLabel *lblAvgX = nullptr, *lblAvgY = nullptr, *lblAvgH = nullptr;
    NumericEdit *edtHoseiX = nullptr, *edtHoseiY = nullptr, *edtHoseiH = nullptr,
                *edtHoseiA = nullptr;
    QComboBox *cbxHour = nullptr, *cbxMinute = nullptr, *cbxSecond = nullptr, *cbxSpan = nullptr;
    QProgressBar* pgbProgress = nullptr;
    QLabel* lblProgress = nullptr;
    QPushButton *btnStart = nullptr, *btnOK = nullptr, *btnCancel = nullptr;

    static QString TimesErrorText() {
        return QStringLiteral("測定時間と保存間隔を正しく設定してください");
    }

  public slots:
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Activate();
    void Deactivate();
    void ApplyRefPoint();
    void StartStop();
    void StopMeasurement();
    void TimerTick();
    void Position(const TGpsPosition& p);
    void SetRunningLook(bool running);

    MessageSink& sink_;
    TCalibrationRun::TickClock clock_;
    TGPS* gps_ = nullptr;
    const TKijunColl* kijun_ = nullptr;
    QString cfgPath_;
    QString calibFolder_;
    QTimer* timer_ = nullptr;
    std::unique_ptr<TCalibrationRun> run_;
    std::unique_ptr<TPositionListenerScope> listener_;
};

}  // namespace tidrun
