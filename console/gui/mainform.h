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

#include "console/fixview.h"
#include "console/jobsession.h"
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
struct TGpsPosition;
class TSokusenColl;
class TTansaColl;
class TSetupForm;
class TCircleToolBar;
class TCoordPanel;
class TCutPanel;
class TGpsPanel;
class TGuidePanel;
class TLineDlgForm;
class TRefPanel;
class TRulerToolBar;
class TSignalSounds;
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
    // The line-name dialog: the name, or nothing when cancelled.
    using LineNameAsker = std::function<std::optional<QString>(const QString& preset)>;
    void SetLineNameAsker(LineNameAsker asker) { askLineName_ = std::move(asker); }
    // The settings dialog the default runner shows (created on first use).
    TSetupForm* SetupForm();

    // --- Start-up, open and close ------------------------------------------------------
    // What the start-up message does: title, open, dock arrangement.
    void StartUp();
    void FileOpen();
    void FileClose();
    void FileExport();  // ファイル → エクスポート...: the job's kinds through GDAL
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

    const TJobSession& Session() const { return *session_; }
    const TKijunColl& Kijun() const { return session_->Kijun(); }
    const TTansaColl& Tansa() const { return session_->Tansa(); }
    const TIjoColl& Ijo() const { return session_->Ijo(); }
    const TSokusenColl& Sokusen() const { return session_->Sokusen(); }
    const TMisokuColl& Misoku() const { return session_->Misoku(); }

    // Calibration offsets 補正X, 補正Y, 補正H, 補正A.
    const TOffsets& Hosei() const { return session_->Offsets(); }
    void SetHosei(const TOffsets& offsets) { session_->SetOffsets(offsets); }

    // --- Recording ---------------------------------------------------------------------
    bool Recording() const override;
    bool RecordedLineOpen() const override;
    void SurveyStart();
    void SurveyStop();
    // The 100 ms timer of a line: elapsed time, count-down lamps, sounds.
    void SurveyTick();

    TRulerRect RulerExtent() const { return session_->Guidance().Extent(); }
    TRulerRect RulerSegment() const { return session_->Guidance().Segment(); }
    double RulerPivotX() const { return session_->Guidance().Pivot().X; }
    double RulerPivotY() const { return session_->Guidance().Pivot().Y; }
    // Recomputes the planned line (direction 0) or moves it by one step (+1, -1) and tells
    // the map windows.
    void MoveRuler(int direction);

    // --- Receiver events ---------------------------------------------------------------
    void OnMonitor(const TNMEA& nmea);
    void OnPosition(const TGpsPosition& position);
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
    // 重ねて表示: the map windows stepped down from the top left.
    void CascadeWindows();
    // Sets the check marks of the tool actions from what is shown.
    void SyncToolChecks();
    QMenu* createPopupMenu() override;

    // Actions, named as the menus know them.
    QAction *actFileOpen, *actFileClose, *actExit;
    QAction* actFileExport = nullptr;  // only when built with GDAL
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
    QToolBar *tbStandard, *tbOperate;
    TCircleToolBar* tbCircle;
    TRulerToolBar* tbRuler;
    QDockWidget *ToolWinCut, *ToolWinRem, *ToolWinGPS, *ToolWinRef;
    QToolButton *btnFile, *btnSurveyStartTool, *btnSurveyStopTool;

    // The tool windows' and the bottom panel's contents.
    TCutPanel* pnlCut;
    TGuidePanel* pnlGuide;
    TRefPanel* pnlRef;
    TGpsPanel* pnlGPS;
    TCoordPanel* pnlBottom;
    QLabel* lblDate;  // in the status bar, beside the hints

  signals:
    // The window has accepted its close and said what it had to: the program ends.
    void Closed();
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
    // False when Tidrun.CFG is there but could not be read.
    bool ReadMainConfig();
    void SaveSettings();
    void RestoreToolPositions();
    // 設標, 受信ﾃﾞｰﾀ and 収録 shown at the right.
    void ShowDefaultToolWindows();
    void SaveToolPositions();
    void LoadJobFiles();
    void ComputeRulerExtent();
    void OpenPort();
    void SetAppTitle(const QString& title);
    // After the recorder ended the line (終了, or a cut that could not be stored): the
    // displays go idle, the maps finish a line that got a cut, the line log is closed.
    void LineEnded(bool anyCut);
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
    void ResetJobDisplays();
    void FitDockToContent(QDockWidget* dock);
    // The tool windows docked at the right get the heights their contents ask for, as far
    // as the window's height allows.
    void BalanceToolWindows();
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

    LineNameAsker askLineName_;
    QPointer<TLineDlgForm> lineDlg_;
    std::function<qint64()> clock_;
    std::unique_ptr<TJobSession> session_;
    TSignalSounds* sounds_ = nullptr;
    QTimer* surveyTimer_ = nullptr;

    QMdiArea* mdiArea_ = nullptr;
    TGPS* gps_ = nullptr;                       // child; exists while a work is open
    std::unique_ptr<TReceiverPorts> ports_;     // the GPS port and the transfer port
    TfrmCalibrateDlg* calibrateDlg_ = nullptr;  // child, reused
    TFormHelp* formHelp_ = nullptr;             // child, reused

    bool jobLoaded_ = false;  // the last open went through: its keys may be saved
    bool open_ = false;       // a job is open (from the map windows' creation to 閉じる)
    bool endingSession_ = false;
    int mapCounter_ = 0;
    int savedMapCount_ = 0;
    QString guideName_, buoyName_;
    bool lastCompassCheck_ = false, lastRulerCheck_ = false;

    TFixWatch fixWatch_;
    QElapsedTimer elapsed_;
    QTimer* ageTimer_ = nullptr;
    std::uint32_t coordColour_ = 0;
    QString xText_, yText_;
};

}  // namespace tidrun
