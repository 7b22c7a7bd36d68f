// The settings dialog ("初期設定") that opens every job: data files, GPS and transfer ports,
// coordinate system, cut method, depth input and cuts by distance, plan-view colour. The values,
// their keys in Tidrun.CFG and the checks on OK belong to TJobSettings; this form only shows and
// edits them.
#pragma once

#include "surveydata/jobsettings.h"

#include <QDialog>
#include <QMap>
#include <QString>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;

namespace tidrun {

class MessageSink;

class TSetupForm : public QDialog {
    Q_OBJECT
  public:
    // Describes where a port name leads (device or replay source), shown beside the port
    // choosers; the stored value stays the plain name.
    using PortDescriber = std::function<QString(const QString& portName)>;

    // Errors and the create questions go to `sink` (not owned; it must outlive the form).
    explicit TSetupForm(MessageSink& sink, QWidget* parent = nullptr);

    void SetPortDescriber(PortDescriber describer);

    // Where each port name leads is chosen beside its chooser (a device present, a replay
    // file, or the default) and kept in section [Ports] of `iniPath` on OK; the port name
    // itself stays in Tidrun.CFG. Relative replay files are taken from `programDir`.
    void SetPortsFile(const QString& iniPath, const QString& programDir);
    // The choice for a port name as it stands in the dialog (empty: the default).
    QString PortMapping(const QString& portName) const { return portMap_.value(portName); }

    // Runs the configured file-open dialog of a browse button and returns the chosen path
    // (empty when cancelled). The default runs it modally; tests answer it directly.
    using FileDialogRunner = std::function<QString(QFileDialog& dialog)>;
    void SetFileDialogRunner(FileDialogRunner runner) { runFileDialog_ = std::move(runner); }

    // Loads the controls from the configuration file, shows the dialog modally on page
    // "基本ﾃﾞｰﾀ" with the focus on the job name, and returns true for OK (the values are
    // then checked and stored). Cancel reloads the controls from the file.
    bool Execute(const QString& cfgPath);
    // The loading part of Execute, without showing the dialog.
    void Load(const QString& cfgPath);

    // The accepted values (after OK) or the loaded ones.
    const TJobSettings& Settings() const { return settings_; }
    // The survey-area path differs from the one shown on entry (valid after OK).
    bool SurveyAreaChanged() const { return settings_.SurveyAreaChanged(); }
    QString CfgPath() const { return cfgPath_; }

    // File paths trimmed of surrounding blanks.
    QString KijunPath() const { return settings_.KijunPath(); }
    QString TansaPath() const { return settings_.TansaPath(); }
    QString IjoPath() const { return settings_.IjoPath(); }
    QString SokusenPath() const { return settings_.SokusenPath(); }
    QString MisokuPath() const { return settings_.MisokuPath(); }
    QString JobName() const { return settings_.JobName; }

    static QString FileFilter();  // "測量データ (*.DAT *.TXT);;全てのﾌｧｲﾙ (*.*)"

    // Controls, named by kind and role.
    QTabWidget* PageControl = nullptr;
    QLineEdit* edtJobName = nullptr;
    // 基本ﾃﾞｰﾀ
    QLineEdit* edtTansa = nullptr;
    QLineEdit* edtKijun = nullptr;
    QLineEdit* edtIjo = nullptr;
    QLineEdit* edtSokusen = nullptr;
    QLineEdit* edtMisoku = nullptr;
    QPushButton* btnTansa = nullptr;
    QPushButton* btnKijun = nullptr;
    QPushButton* btnIjo = nullptr;
    QPushButton* btnSokusen = nullptr;
    QPushButton* btnMisoku = nullptr;
    // 座標変換
    QComboBox* cbxMapDatum = nullptr;
    QComboBox* cbxZone = nullptr;
    QGroupBox* grpShift = nullptr;
    QRadioButton* rbShiftNew = nullptr;
    QRadioButton* rbShiftOld = nullptr;
    // 受信ﾃﾞｰﾀ
    QComboBox* cbxPort = nullptr;
    QComboBox* cbxPortDevice = nullptr;
    QLabel* lblPortTarget = nullptr;
    QComboBox* cbxSpeed = nullptr;
    QComboBox* cbxGpsDatum = nullptr;
    QRadioButton* rbCutAuto = nullptr;
    QRadioButton* rbCutManual = nullptr;
    QRadioButton* rbCutAll = nullptr;
    QLabel* lblInterval = nullptr;
    QComboBox* cbxInterval = nullptr;
    QLabel* lblIntervalHint = nullptr;
    QRadioButton* rbOutNone = nullptr;
    QRadioButton* rbOutData = nullptr;
    QRadioButton* rbOutText = nullptr;
    QComboBox* cbxOutPort = nullptr;
    QComboBox* cbxOutPortDevice = nullptr;
    QLabel* lblOutPortTarget = nullptr;
    QComboBox* cbxOutSpeed = nullptr;
    QLabel* lblOutText = nullptr;
    QLineEdit* edtOutText = nullptr;
    // その他
    QComboBox* cbxMapColor = nullptr;

  public slots:
    void accept() override;
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QWidget* BuildBasicPage();
    QWidget* BuildConversionPage();
    QWidget* BuildReceiverPage();
    QWidget* BuildDepthPage();
    QWidget* BuildOtherPage();
    // After a refused OK: the page of the control the message names, and the focus on it.
    void FocusFaultyControl(const QString& error);
    void Browse(QLineEdit* edit, const QString& title, bool mustExist);
    void SettingsToControls();
    void ControlsToSettings();
    void UpdateEnabling();
    void UpdatePortTargets();
    void ShowPortTarget(QLabel* label, const QString& text);
    QString BrowseFolder(const QString& named) const;
    static constexpr int kPortTargetChars = 40;  // room for a port description
    QComboBox* MakeDeviceChooser(QWidget* parent, const char* name, QComboBox* portChooser);
    void FillDeviceChooser(QComboBox* devices, const QString& portName);
    // Every device chooser whose port shows `portName` (all for an empty name).
    void FillDeviceChoosers(const QString& portName);
    void DeviceChosen(QComboBox* devices, QComboBox* portChooser);
    void LoadPortMap();
    bool StorePortMap();
    void PollDevices();

    // 測深
    QComboBox* cbxDepthSource_ = nullptr;
    QComboBox* cbxDepthPortDevice_ = nullptr;
    QLabel* lblDepthPortTarget_ = nullptr;
    QLabel* lblDepthSpeed_ = nullptr;
    QComboBox* cbxDepthSpeed_ = nullptr;
    QLineEdit* edtDraft_ = nullptr;
    QLineEdit* edtCutDistance_ = nullptr;
    QCheckBox* chkRawLog_ = nullptr;

    MessageSink& sink_;
    TJobSettings settings_;
    QString cfgPath_;
    PortDescriber describePort_;
    FileDialogRunner runFileDialog_;
    QButtonGroup* cutGroup_ = nullptr;
    QButtonGroup* outGroup_ = nullptr;
    QButtonGroup* shiftGroup_ = nullptr;
    QString portsIni_, programDir_;
    QMap<QString, QString> portMap_, storedPortMap_;
    QStringList presentDevices_;
    QTimer* devicePoll_ = nullptr;
};

}  // namespace tidrun
