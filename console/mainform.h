// The console's main window: an MDI frame of plan-view windows with the menus, toolbars and
// tool windows of the job, the open and close of a work folder, the receiver's displays and
// the messages to the map windows.
#pragma once

#include <QColor>
#include <QDateTime>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "console/mainlogic.h"
#include "planview/maphost.h"
#include "planview/mapmessages.h"
#include "surveydata/config.h"
#include "surveydata/jobsettings.h"

class QAction;
class QComboBox;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;

namespace tidrun {

class MessageSink;
class NumericEdit;
class SerialLink;
class TGPS;
class TIjoColl;
class TKijunColl;
class TMapForm;
class TMisokuColl;
class TNMEA;
class TSokusenColl;
class TTansaColl;
class TSetupForm;
class TDeferredSink;
class TFormHelp;
class TReceiverPorts;
class TfrmCalibrateDlg;
enum class THelpKind;

class TMainForm : public QMainWindow, public TMapHost {
    Q_OBJECT
  public:
    // programDir: the folder that holds Tidrun.INI (the program's own folder).
    TMainForm(MessageSink& sink, const QString& programDir, QWidget* parent = nullptr);
    ~TMainForm() override;

    // --- Hooks (tests answer them) -------------------------------------------------------
    // The folder browser: the chosen folder, or nothing when cancelled.
    using FolderChooser = std::function<std::optional<QString>(const QString& preset)>;
    // Runs the settings dialog on the job's configuration; true for OK.
    using SettingsRunner = std::function<bool(TJobSettings& settings, const QString& cfgPath)>;
    void SetFolderChooser(FolderChooser chooser) { chooseFolder_ = std::move(chooser); }
    void SetSettingsRunner(SettingsRunner runner) { runSettings_ = std::move(runner); }
    // The settings dialog the default runner shows (created on first use).
    TSetupForm* SetupForm();

    // --- Start-up, open and close ------------------------------------------------------
    // What the start-up message does: title, open, dock arrangement.
    void StartUp();
    void FileOpen();
    void FileClose();
    bool IsOpen() const;
    // The desktop session ends (SIGTERM, SIGHUP, the session manager): closes as 終了 does,
    // without asking, storing the job's values.
    void EndSession();

    // --- State -------------------------------------------------------------------------
    const QString& ProgramDir() const { return programDir_; }
    const QString& ConfigPath() const { return cfgPath_; }
    const QString& WorkDir() const { return workDir_; }
    const QString& LogDir() const { return logDir_; }
    const QString& CalibDir() const { return calibDir_; }
    QString IniPath() const;
    const TJobSettings& Settings() const { return settings_; }
    QString AppTitle() const { return appTitle_; }
    // The window caption as set; the MDI frame adds " - [<child>]" while a child is
    // maximised, as MDI frames do.
    QString Caption() const { return caption_; }
    TGPS* Gps() const { return gps_; }
    bool PortConnected() const;
    int MapCounter() const { return mapCounter_; }
    QList<TMapForm*> MapForms() const;
    TMapForm* ActiveMap() const;
    QMdiArea* MdiArea() const { return mdiArea_; }

    const TKijunColl& Kijun() const { return *kijun_; }
    const TTansaColl& Tansa() const { return *tansa_; }
    const TIjoColl& Ijo() const { return *ijo_; }
    const TSokusenColl& Sokusen() const { return *sokusen_; }
    const TMisokuColl& Misoku() const { return *misoku_; }

    // Calibration offsets 補正X, 補正Y, 補正H, 補正A.
    struct Offsets {
        double X = 0, Y = 0, H = 0, A = 0;
    };
    const Offsets& Hosei() const { return hosei_; }
    void SetHosei(const Offsets& offsets) { hosei_ = offsets; }

    // Recording state (the recording itself comes with the recording engine).
    bool Recording() const override { return recording_; }
    void SetRecording(bool on);

    TRulerRect RulerExtent() const { return rulerExtent_; }
    TRulerRect RulerSegment() const { return rulerSegment_; }
    double RulerPivotX() const { return rulerPivotX_; }
    double RulerPivotY() const { return rulerPivotY_; }

    // --- Receiver events ---------------------------------------------------------------
    void OnMonitor(const TNMEA& nmea);
    bool OnPosition(double x, double y, double h, const QDateTime& time);
    // Refreshes the age display of the coordinates (run by a timer).
    void CheckPositionAge();
    // Milliseconds clock used for the age of positions (tests set their own).
    void SetClock(std::function<qint64()> clock) { clock_ = std::move(clock); }

    // --- Map windows -------------------------------------------------------------------
    // savedIndex -1: a new window; otherwise its layout is read from section 平面図<n>.
    TMapForm* CreateMap(int savedIndex, bool maximise);
    void BroadcastGuidePoint();
    void BroadcastBuoyPoint();
    void BroadcastRuler();

    // --- TMapHost ----------------------------------------------------------------------
    void ShowInfo(const QString& text) override;
    void AddMark(const QString& name, const QColor& colour, double x, double y) override;
    void DeleteMark(int index) override;
    void ChangeMark(int index, const QString& name, const QColor& colour) override;
    void CutCommand() override;
    int CircleDiameter() override;
    int RulerAngle() override;
    int RulerWidth() override;
    void SetRulerPivot(double x, double y) override;
    void SetRulerPivotAngle(double x, double y, int packedAngle) override;
    QSize FreeClientSize() const override;

    // --- Menus and docks ---------------------------------------------------------------
    void UpdateMenus();
    void UpdateActions();
    void RenumberDocks();
    void AlignTools();
    // ならべて表示: the map windows side by side.
    void TileWindows();
    // Sets the check marks of the tool actions from what is shown.
    void SyncToolChecks();
    QMenu* createPopupMenu() override;

    // Actions, named as the menus know them.
    QAction *actFileOpen, *actFileClose, *actExit;
    QAction* actNewMap;
    QAction *actSurveyStart, *actSurveyStop;
    QAction *actMapZoomRem, *actMapZoomIn, *actMapZoomOut, *actCompass, *actRuler;
    QAction *actMapAutoMove, *actMapRapidMode, *actMapPrint;
    QAction *actTBCircle, *actTBRuler, *ActTBRef, *actTWGPS, *actTWCut, *actTBRem, *actTBAlign;
    QAction* actCalibrate;
    QAction *actWindowCascade, *actWindowTile, *actWindowArrange, *actWindowMinimize;
    QAction *actHelpSokuryo, *actHelpSetuhyo, *actAbout;
    QMenu *menuFile, *menuView, *menuSurvey, *menuOperate, *menuTools, *menuOption, *menuWindow,
        *menuHelp;

    // Toolbars and tool windows.
    QToolBar *tbStandard, *tbOperate, *tbCircle, *tbRuler;
    QDockWidget *ToolWinCut, *ToolWinRem, *ToolWinGPS, *ToolWinRef;
    QToolButton *btnFile, *btnSurveyStartTool, *btnSurveyStopTool;

    // Controls of the tool windows and panels.
    QLabel *lblGPSTime, *lblGPSLat, *lblGPSLon, *lblGPSAlt, *lblGPSSat, *lblGPSQty, *lblGPSDOP,
        *lblGPSRef, *lblGPSSec, *lblGPSSpeed, *lblGPSCourse, *lblCOM, *lblPortState;
    QLabel* LedData;
    QLabel *lblXValue, *lblYValue, *lblInfo, *lblDate;
    QLabel *lblDuration, *lblDist, *pnlMode;
    QLabel *ledCount2, *ledCount1, *ledCount0;
    QPushButton *btnSurveyStart, *btnSurveyStop, *btnCut;
    QComboBox *cbxRefPoint, *cbxRemPoint;
    QTabWidget* tabGuide;
    QLabel *lblDeltaXValue, *lblDeltaYValue, *lblLongValue, *lblDMS, *imgCompass;
    QLabel *lblN, *lblS, *lblE, *lblW, *lblNSValue, *lblEWValue;
    QWidget* pnlRuler;
    QLabel *lblRulerDist, *imgRulerLeft, *imgRulerRight;
    NumericEdit *edtCircleSize, *edtRulerAngle, *edtRulerWidth, *edtRulerStep;

  signals:
    // Posted to every map window.
    void BoatPos(std::int32_t xMillimetres, std::int32_t yMillimetres);
    void LineEnd();
    void CutAdded(int recordIndex);
    void MisokuChanged();
    void RemPoint(int buoyIndex);
    void RefPoint(int guideIndex);
    void CircleSize(int diameter);
    void Ruler(tidrun::TRulerRect segment, tidrun::TRulerRect extent);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void CreateToolWindows();
    void CreateCentral();
    void InitState();

    bool DoOpen();
    void ReadMainConfig();
    void SaveSettings();
    void RestoreToolPositions();
    void SaveToolPositions();
    void LoadJobFiles();
    void FillChooser(QComboBox* chooser, const QStringList& names, const QString& remembered);
    void ComputeRulerExtent();
    void OpenPort();
    void SetAppTitle(const QString& title);
    void SetCaption(const QString& caption);
    void ShowPortState();

    // Messages that go to one window (the active one, or a new one).
    template <class F>
    void PostTo(TMapForm* form, F&& call);
    void PostToActive(void (TMapForm::*slot)());
    void ToggleMapSwitch(QAction* action, bool (TMapForm::*get)() const,
                         void (TMapForm::*set)(bool));
    void PrintActiveMap();
    void ToggleDock(QDockWidget* dock, QWidget* focus);
    void ResetReceiverDisplays();
    void FitDockToContent(QDockWidget* dock);
    // The calibration dialog with the job's offsets; OK replaces them.
    void Calibrate();
    // The work-procedure window filled for the procedure of a help action, and its links.
    void ShowHelp(THelpKind kind, const QAction* action);
    void HelpLink(THelpKind kind, int link);

    MessageSink& sink_;
    QString programDir_;
    QString cfgPath_;
    QString workDir_;
    QString calibDir_;
    QString logDir_;
    QString appTitle_;
    QString caption_;
    FolderChooser chooseFolder_;
    SettingsRunner runSettings_;
    TJobSettings settings_;
    QPointer<TSetupForm> setupForm_;

    std::unique_ptr<TKijunColl> kijun_;
    std::unique_ptr<TTansaColl> tansa_;
    std::unique_ptr<TIjoColl> ijo_;
    std::unique_ptr<TSokusenColl> sokusen_;
    std::unique_ptr<TMisokuColl> misoku_;

    QMdiArea* mdiArea_ = nullptr;
    TDeferredSink* gpsSink_ = nullptr;          // the receiver's messages wait for the loop
    TGPS* gps_ = nullptr;                       // child; exists while a work is open
    std::unique_ptr<TReceiverPorts> ports_;     // the GPS port and the transfer port
    TfrmCalibrateDlg* calibrateDlg_ = nullptr;  // child, reused
    TFormHelp* formHelp_ = nullptr;             // child, reused

    bool jobLoaded_ = false;  // the last open went through: its keys may be saved
    bool endingSession_ = false;
    int mapCounter_ = 0;
    int savedMapCount_ = 0;
    Offsets hosei_;
    double lastLat_ = 0, lastLon_ = 0, lastAlt_ = 0;
    double lastBoatX_ = 0, lastBoatY_ = 0;
    QString guideName_, buoyName_;
    bool recording_ = false;
    bool cutRequest_ = false;
    double prevCutX_ = 0, prevCutY_ = 0;
    int rulerStep_ = 1;
    double rulerPivotX_ = 0, rulerPivotY_ = 0;
    TRulerRect rulerExtent_, rulerSegment_;
    double lastCompassAngle_ = 0;
    bool ledDataOn_ = false;
    bool lastCompassCheck_ = false, lastRulerCheck_ = false;

    TFixWatch fixWatch_;
    std::function<qint64()> clock_;
    QElapsedTimer elapsed_;
    QTimer* ageTimer_ = nullptr;
    std::uint32_t coordColour_ = 0;
    QString xText_, yText_;
};

}  // namespace tidrun
