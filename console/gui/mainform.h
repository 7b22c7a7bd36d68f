// The console's main window: an MDI frame of plan-view windows with the menus, toolbars and
// tool windows of the job, the open and close of a work folder, the receiver's displays and
// the messages to the map windows.
#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "console/consolestate.h"
#include "console/gui/linerecording.h"
#include "console/jobload.h"
#include "console/jobsession.h"
#include "planview/maphost.h"
#include "planview/mapmessages.h"
#include "surveydata/jobsettings.h"

class QAction;
class QLabel;
class QMdiArea;
class QMenu;

namespace tidrun {

class MessageSink;
class TGPS;
class TMapForm;
struct TGpsPosition;
class TSetupForm;
class TCoordPanel;
class TCutStore;
class TFormHelp;
class TMainActions;
class TMapWindows;
class TReceiverView;
class TRulerTools;
class TToolDocks;
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
    void SetLineNameAsker(TLineRecording::LineNameAsker asker);
    // The settings dialog the default runner shows (created on first use).
    TSetupForm* SetupForm();

    // --- Start-up, open and close ------------------------------------------------------
    // What the start-up message does: title, open, dock arrangement.
    void StartUp();
    void FileOpen();
    void FileClose();
    void FileExport();  // ファイル → エクスポート...: the job's kinds through GDAL
    // Not the close action's state: 閉じる is disabled while a line is recorded.
    bool IsOpen() const { return open_; }
    // The desktop session ends (SIGTERM, SIGHUP, the session manager): closes as 終了 does,
    // without asking, storing the job's values.
    void EndSession();

    const QString& ConfigPath() const { return folder_.cfg; }
    const QString& LogDir() const { return folder_.log; }
    const QString& CalibDir() const { return folder_.calib; }
    QString IniPath() const;
    const TJobSettings& Settings() const { return settings_; }
    QString AppTitle() const { return appTitle_; }
    // The window caption as set; the MDI frame adds " - [<child>]" while a child is
    // maximised, as MDI frames do.
    QString Caption() const { return caption_; }
    TGPS* Gps() const;
    bool PortConnected() const;
    int MapCounter() const;
    QList<TMapForm*> MapForms() const;
    TMapForm* ActiveMap() const;
    QMdiArea* MdiArea() const;

    const TJobSession& Session() const { return *session_; }
    // Calibration offsets 補正X, 補正Y, 補正H, 補正A.
    void SetHosei(const TOffsets& offsets) { session_->SetOffsets(offsets); }

    bool Recording() const override;
    bool RecordedLineOpen() const override;
    void SurveyStart();
    void SurveyStop();
    // The 100 ms timer of a line: elapsed time, count-down lamps, sounds.
    void SurveyTick();

    void OnPosition(const TGpsPosition& position);
    // Refreshes the age display of the coordinates (run by a timer).
    void CheckPositionAge();
    // Milliseconds clock used for the age of positions (tests set their own).
    void SetClock(std::function<qint64()> clock) { clock_ = std::move(clock); }

    // savedIndex -1: a new window; otherwise its layout is read from section 平面図<n>.
    TMapForm* CreateMap(int savedIndex, bool maximise);

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

    // Sets the check marks of the tool actions from what is shown.
    void SyncToolChecks();
    QMenu* createPopupMenu() override;

  signals:
    // The window has accepted its close and said what it had to: the program ends.
    void Closed();
    // Posted to every map window.
    void BoatPos(std::int32_t xMillimetres, std::int32_t yMillimetres);
    void LineEnd();
    void CutAdded(int recordIndex);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void ConnectActions();
    void CreateCentral();
    void InitState();

    bool DoOpen();
    // False when Tidrun.CFG is there but could not be read.
    bool ReadMainConfig();
    void SaveSettings();
    void LoadJobFiles();
    void SetAppTitle(const QString& title);
    // After the recorder ended the line (終了, or a cut that could not be stored): the
    // displays go idle, the maps finish a line that got a cut, the line log is closed.
    void LineEnded(bool anyCut);
    void SetCaption(const QString& caption);

    void UpdateMenus();
    void UpdateActions();
    void UpdateAll();
    void RenumberDocks();  // the ruler toolbars follow 円定規 and 計画線
    void AlignTools();
    void BroadcastGuidePoint();
    void BroadcastBuoyPoint();
    void ToggleMapSwitch(QAction* action, bool (TMapForm::*get)() const,
                         void (TMapForm::*set)(bool));
    void ResetJobDisplays();
    // The calibration dialog with the job's offsets; OK replaces them.
    void Calibrate();
    // The work-procedure window filled for the procedure of a help action, and its links.
    void ShowHelp(THelpKind kind, const QAction* action);
    void HelpLink(THelpKind kind, int link);

    MessageSink& sink_;
    QString programDir_;
    TJobFolder folder_;  // of the job opened last
    QString appTitle_;
    QString caption_;
    FolderChooser chooseFolder_;
    SettingsRunner runSettings_;
    TJobSettings settings_;
    QPointer<TSetupForm> setupForm_;

    std::function<qint64()> clock_;
    std::unique_ptr<TJobSession> session_;
    std::shared_ptr<TCutStore> cuts_;  // the job's recorded cuts, shared by its map windows
    TDepthCompanion companion_;        // the depth companion as the open read it, till checked
    TLineRecording* line_ = nullptr;   // child: the line being recorded
    TRulerTools* ruler_ = nullptr;     // child: the circle-ruler and planned-line toolbars

    std::unique_ptr<TMainActions> ui_;  // actions, menus, toolbars
    TToolDocks* docks_ = nullptr;       // child: the tool windows and their panels
    TMapWindows* maps_ = nullptr;       // child: the workspace of map windows
    TReceiverView* receiverView_ = nullptr;
    TCoordPanel* pnlBottom_ = nullptr;
    QLabel* lblDate_ = nullptr;                 // in the status bar, beside the hints
    TfrmCalibrateDlg* calibrateDlg_ = nullptr;  // child, reused
    TFormHelp* formHelp_ = nullptr;             // child, reused

    bool jobLoaded_ = false;  // the last open went through: its keys may be saved
    bool open_ = false;       // a job is open (from the map windows' creation to 閉じる)
    bool endingSession_ = false;
    int savedMapCount_ = 0;
    TConsoleState state_;  // the chosen points and the fields, shown by the tool windows
                           // and the toolbars
    QElapsedTimer elapsed_;
};

}  // namespace tidrun
