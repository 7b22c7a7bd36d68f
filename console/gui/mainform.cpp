#include "console/gui/mainform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScopeGuard>

#include "console/gui/calibratedlg.h"
#include "console/gui/coordpanel.h"
#include "console/gui/cutpanel.h"
#include "console/gui/dialogs/setupform.h"
#include "console/gui/formhelp.h"
#include "console/gui/gpspanel.h"
#include "console/gui/guidepanel.h"
#include "console/gui/mainactions.h"
#include "console/gui/mapwindows.h"
#include "console/gui/programicon.h"
#include "console/gui/receiverview.h"
#include "console/gui/rulertoolbar.h"
#include "console/gui/rulertools.h"
#include "console/gui/tooldocks.h"
#include "console/statustexts.h"
#include "console/userguide.h"
#include "planview/gui/mapform.h"
#include "platform/portmap.h"
#include "positioning/gps.h"
#include "positioning/nmea.h"
#include "surveydata/codec.h"
#include "surveydata/config.h"
#include "surveydata/pointcoll.h"

namespace tidrun {

// --- Creation ---

TMainForm::TMainForm(MessageSink& sink, const QString& programDir, QWidget* parent)
    : QMainWindow(parent),
      sink_(sink),
      programDir_(QDir::cleanPath(programDir)),
      // The recorder reads the 32-bit millisecond tick of the same clock.
      session_(std::make_unique<TJobSession>(
          sink, [this] { return static_cast<std::uint32_t>(clock_()); })),
      ui_(std::make_unique<TMainActions>()) {
    qRegisterMetaType<tidrun::TRulerRect>();
    setObjectName(QStringLiteral("MainForm"));
    // Its windows (the map windows, the tool windows, the dialogs) take it from here.
    setWindowIcon(ProgramIcon());
    SetCaption(BaseTitle());
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    elapsed_.start();
    clock_ = [this] { return elapsed_.elapsed(); };

    ui_->MakeActions(*this);
    ui_->MakeMenus(*this, [this] { OpenUserGuide(sink_, programDir_); });
    CreateCentral();
    ui_->MakeToolBars(*this, sink_);
    docks_ = new TToolDocks(*this, *ui_);
    receiverView_ = new TReceiverView(docks_->Gps(), *pnlBottom_, docks_->Depth(), clock_, sink_,
                                      IniPath(), programDir_, this);
    connect(receiverView_, &TReceiverView::TitleChanged, this, &TMainForm::SetAppTitle);
    connect(receiverView_, &TReceiverView::PositionFixed, this, &TMainForm::OnPosition);
    ruler_ =
        new TRulerTools(*ui_->tbCircle, *ui_->tbRuler, *pnlBottom_, state_.fields, *session_, this);
    line_ = new TLineRecording(*session_, docks_->Cut(), sink_, *this);
    connect(line_, &TLineRecording::TitleChanged, this, &TMainForm::SetAppTitle);
    ConnectActions();
    InitState();
    SetAppTitle(IdleAppTitle());

    chooseFolder_ = [this](const QString& preset) -> std::optional<QString> {
        const QString dir = QFileDialog::getExistingDirectory(
            this, QStringLiteral("作業フォルダの選択"), preset, QFileDialog::ShowDirsOnly);
        if (dir.isEmpty()) return std::nullopt;
        return dir;
    };
    runSettings_ = [this](TJobSettings& settings, const QString& cfgPath) {
        TSetupForm* form = SetupForm();
        if (!form->Execute(cfgPath)) return false;
        settings = form->Settings();
        return true;
    };

    connect(maps_->Area(), &QMdiArea::subWindowActivated, this, &TMainForm::UpdateAll);
    calibrateDlg_ = new TfrmCalibrateDlg(sink_, this);
    formHelp_ = new TFormHelp(this);
    connect(formHelp_, &TFormHelp::LinkActivated, this, &TMainForm::HelpLink);
}

TMainForm::~TMainForm() {
    // The child widgets outlive this class's part of the object: nothing they emit while
    // they are torn down may reach it or its parts, and the map windows go while the collections
    // they read still exist. The receiver closes while the session it reports to is there.
    const QObject* const ours[] = {this, docks_, maps_, receiverView_, line_, ruler_};
    for (QObject* child : findChildren<QObject*>())
        for (const QObject* part : ours) QObject::disconnect(child, nullptr, part, nullptr);
    for (QMdiSubWindow* w : maps_->Area()->subWindowList()) delete w;
    receiverView_->Close(*session_);
}

TSetupForm* TMainForm::SetupForm() {
    if (!setupForm_) {
        setupForm_ = new TSetupForm(sink_, this);
        setupForm_->SetPortDescriber([this](const QString& port) {
            return DescribePort(port, ReadPortMapping(IniPath(), port), programDir_);
        });
        setupForm_->SetPortsFile(IniPath(), programDir_);
    }
    return setupForm_;
}

QString TMainForm::IniPath() const {
    return TidrunIniPath(programDir_);
}

void TMainForm::InitState() {
    docks_->Ref().cbxRefPoint->clear();
    docks_->Guide().cbxRemPoint->clear();
    ui_->actFileOpen->setEnabled(true);
    ui_->actFileClose->setEnabled(false);
    pnlBottom_->lblInfo->clear();
    lblDate_->setText(DateLabelText(QDate::currentDate()));
    receiverView_->Reset();
    UpdateAll();
}

// --- Start-up, open and close ---

void TMainForm::StartUp() {
    SetCaption(BaseTitle());
    FileOpen();
    RenumberDocks();
}

void TMainForm::FileOpen() {
    if (IsOpen()) return;
    DoOpen();
    UpdateAll();
    // The keyboard comes back to this window after the dialogs, also where no window
    // manager hands it back (F3 must work at once).
    activateWindow();
}

bool TMainForm::DoOpen() {
    const QString iniPath = IniPath();
    const QString preset = ReadWorkDir(iniPath, programDir_);
    const std::optional<QString> chosen = chooseFolder_ ? chooseFolder_(preset) : std::nullopt;
    if (!chosen) return false;
    // The folder goes into Tidrun.INI and every path of the job: it must survive code page 932.
    if (const QString error = UnstorableText(QStringLiteral("作業フォルダ名"), *chosen);
        !error.isEmpty()) {
        sink_.Error(error);
        return false;
    }

    // From here the configuration path names the new folder; its keys are written back at
    // exit only once this open has gone through (see SaveSettings).
    jobLoaded_ = false;
    folder_ = JobFolderIn(*chosen);
    if (const QString problem = PrepareJobFolder(folder_); !problem.isEmpty()) {
        sink_.Show(MessageSink::Kind::Plain, problem);
        return false;
    }
    session_->SetLineLogFolder(folder_.log);
    RemoveLeftoverCopies(iniPath);  // a save cut short by a kill leaves its copy beside it
    if (!ReadMainConfig()) {
        // Said before the settings dialog, which then shows the defaults.
        sink_.Error(CfgUnreadableText(folder_.cfg));
        sink_.ShowWaiting();
    }
    // The job's tool windows come back before its settings are shown; a cancelled open puts
    // back what was there, so that no empty tool window of a job that did not open stays.
    const QByteArray docksBefore = saveState();
    docks_->RestoreLayout(folder_.cfg);
    RenumberDocks();

    if (!runSettings_ || !runSettings_(settings_, folder_.cfg)) {
        restoreState(docksBefore);
        RenumberDocks();
        return false;
    }

    if (!WriteWorkDir(iniPath, folder_.work)) {
        sink_.Error(QStringLiteral("設定ファイルに書込できません\r\nﾌｧｲﾙ名：") + iniPath);
    }
    SetCaption(JobTitle(settings_.JobName, settings_.MapDatum));
    if (settings_.SurveyAreaChanged()) {
        savedMapCount_ = 0;
        state_.ForgetExtent(*session_);
    }

    LoadJobFiles();
    ResetJobDisplays();

    state_.Offer(*session_);
    docks_->ShowPointChoices(state_);

    ruler_->InitLine();

    // The close action counts as the open state from here, so that map windows can be made.
    open_ = true;
    ui_->actFileOpen->setEnabled(false);
    ui_->actFileClose->setEnabled(true);

    if (savedMapCount_ < 1) {
        docks_->ShowDefaults();
        UpdateMenus();
        // The planned line goes on with this window: its toolbar row and the tool windows
        // are in place before the window takes two thirds of the room.
        ui_->tbRuler->show();
        layout()->activate();
        TMapForm* first = CreateMap(-1, true);
        // The planned line goes on in this window even before the frame has activated it.
        maps_->Area()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
        if (!ui_->actRuler->isChecked()) ui_->actRuler->trigger();
    } else {
        for (int i = 0; i < savedMapCount_; ++i) CreateMap(i, false);
    }

    BroadcastGuidePoint();
    BroadcastBuoyPoint();

    docks_->Cut().SetMode(session_->UseCutMethodOf(settings_));
    docks_->Gps().lblCOM->setText(settings_.GpsDatum);

    receiverView_->Open(settings_, *session_, folder_.log);
    const QString depthCheck = session_->CheckDepthFile(&companion_);
    companion_ = TDepthCompanion();
    if (!depthCheck.isEmpty()) sink_.Warning(depthCheck);

    docks_->Cut().ShowLastCut(CutPanelTexts(session_->Sokusen()));
    jobLoaded_ = true;
    return true;
}

bool TMainForm::ReadMainConfig() {
    MainWindowConfig c;
    const bool complete = c.Load(folder_.cfg);
    savedMapCount_ = MapWindowConfig::StoredCount(folder_.cfg, c.MapCount);
    state_.Read(c, *session_);
    ruler_->ShowFields();
    return complete;
}

void TMainForm::LoadJobFiles() {
    // The hourglass while the files load, restored whatever happens.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    // A save of the mark file cut short by a kill leaves its temporary copy beside it.
    if (!settings_.MisokuPath().isEmpty())
        RemoveLeftoverCopies(settings_.Resolve(settings_.MisokuPath()));
    tidrun::LoadJobFiles(settings_, {session_->Kijun(), session_->Tansa(), session_->Sokusen(),
                                     session_->Ijo(), session_->Misoku()});
    cuts_ = LoadCutStore(settings_, session_->Sokusen(), sink_, nullptr, &companion_);
    session_->SetCutStore(cuts_);
}

void TMainForm::FileClose() {
    if (!IsOpen() || Recording()) return;
    // The job's values go to its file as at exit, while its map windows are still there.
    SaveSettings();
    jobLoaded_ = false;
    maps_->CloseAll();
    state_.Close();
    receiverView_->Close(*session_);
    ResetJobDisplays();
    pnlBottom_->lblInfo->clear();  // a point of the closed job, with its coordinates
    receiverView_->ShowPortState();
    open_ = false;
    ui_->actFileOpen->setEnabled(true);
    ui_->actFileClose->setEnabled(false);
    SetCaption(BaseTitle());
    SetAppTitle(IdleAppTitle());
    UpdateAll();
}

void TMainForm::SetCaption(const QString& caption) {
    caption_ = caption;
    setWindowTitle(WindowCaption(caption_, appTitle_));
}

void TMainForm::SetAppTitle(const QString& title) {
    // Part of this window's own caption: the dialogs' captions stay their own.
    appTitle_ = title;
    setWindowTitle(WindowCaption(caption_, appTitle_));
}

bool TMainForm::PortConnected() const {
    return receiverView_->Connected();
}

TGPS* TMainForm::Gps() const {
    return receiverView_->Receiver();
}

// --- Closing the main window ---

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!endingSession_) {
        if (Recording()) {
            event->ignore();
            return;
        }
        // The session may end while the question is up: then it closes all the same.
        if (!sink_.Confirm(QStringLiteral("終了しますか")) && !endingSession_) {
            event->ignore();
            return;
        }
    }
    // 閉じる stores the open job's values; a closed console has stored them already.
    if (IsOpen())
        FileClose();
    else
        SaveSettings();
    // What could not be stored is said while this window is still up. A box left for the
    // event loop would come up after the window has gone, and once it is closed nothing
    // would end the program: it would run on unseen, holding the single-instance lock.
    if (!endingSession_) sink_.ShowWaiting();
    delete setupForm_;
    event->accept();
    emit Closed();
}

void TMainForm::EndSession() {
    // The desktop session is ending: no question; a line in progress ends as by 終了(&E)
    // (its cuts are on disk already), the job's values are stored, the window closes.
    endingSession_ = true;
    if (Recording()) SurveyStop();
    if (IsOpen())
        FileClose();
    else
        SaveSettings();
    close();
}

void TMainForm::SaveSettings() {
    // Only the keys of a job that was opened go back to its file: after an open that stopped
    // early the window holds another job's values (or none), and writing them would replace
    // that folder's offsets, planned line and window layouts.
    if (folder_.cfg.isEmpty() || !jobLoaded_) return;
    // Map windows first, from the bottom of the stack to the top: made again in that order,
    // they come back stacked as they were, the top one on top.
    MainWindowConfig c;
    c.MapCount = maps_->SaveAll(folder_.cfg);
    state_.Store(*session_, c);
    if (!c.Store(folder_.cfg)) {
        sink_.Error(QStringLiteral("設定ファイルに書込できません\r\nﾌｧｲﾙ名：") + folder_.cfg);
    }
    docks_->SaveLayout(folder_.cfg);
}

// --- Receiver events ---

void TMainForm::OnPosition(const TGpsPosition& position) {
    docks_->Gps().ToggleData();
    // The cut taken here keeps the sentence's latitude, longitude and height, GGA or GGK.
    const bool measured = position.nmea && IsMeasuredFix(*position.nmea);
    const TPositionOutcome out = session_->Position(position);
    // A cut that could not be stored has ended the line (with one message).
    if (out.lineEnded) LineEnded(out.lineHadCut);
    if (out.cutIndex >= 0) {
        // On disk already: the recording file is synced before the cut is shown.
        emit CutAdded(out.cutIndex);
        docks_->Cut().ShowLastCut(CutPanelTexts(session_->Sokusen()));
        docks_->Cut().ShowLamps(session_->Recorder().Lamps());
    }
    if (out.recording) docks_->Cut().ShowDistance(out.distance);
    docks_->Guide().Show(out.guide);
    pnlBottom_->ShowRuler(out.guide.rulerOffset, out.guide.leftArrow);
    receiverView_->ShowPosition(out.X, out.Y, measured);

    emit BoatPos(out.xMm, out.yMm);
}

void TMainForm::CheckPositionAge() {
    receiverView_->CheckAge();
}

void TMainForm::ResetJobDisplays() {
    // The guidance and the last cut of a closed job: the design-time texts until the open
    // job has its own.
    session_->Guidance().ResetCompass();
    docks_->Guide().Reset();
    docks_->Cut().Reset();
    pnlBottom_->ShowRuler(0, true);
}

// --- Recording ---

bool TMainForm::Recording() const {
    return session_->Recorder().Recording();
}

bool TMainForm::RecordedLineOpen() const {
    return Recording() && session_->Recorder().HasCut();
}

void TMainForm::SurveyStart() {
    if (!IsOpen() || Recording() || !line_->Start(settings_)) return;
    ui_->actFileClose->setEnabled(false);
    UpdateMenus();
    SetAppTitle(QStringLiteral("計測中"));
}

void TMainForm::SurveyStop() {
    if (!Recording()) return;
    SetAppTitle(QStringLiteral("終了..."));
    LineEnded(session_->StopLine());
}

void TMainForm::LineEnded(bool anyCut) {
    line_->Ended();
    if (anyCut) emit LineEnd();
    ui_->actFileClose->setEnabled(true);
    UpdateMenus();
    SetAppTitle(IdleAppTitle());
}

void TMainForm::SurveyTick() {
    line_->Tick();
}

void TMainForm::SetLineNameAsker(TLineRecording::LineNameAsker asker) {
    line_->SetLineNameAsker(std::move(asker));
}

void TMainForm::UpdateMenus() {
    ui_->Update(Recording(), IsOpen(), !maps_->Area()->subWindowList().isEmpty(),
                !docks_->CutDock()->isHidden());
    docks_->Ref().cbxRefPoint->setEnabled(!Recording());
    docks_->Cut().SetStartShown(ui_->actSurveyStart->isEnabled());
}

void TMainForm::UpdateAll() {
    UpdateMenus();
    UpdateActions();
}

void TMainForm::UpdateActions() {
    ui_->ShowMapSwitches(ActiveMap());
    RenumberDocks();
}

}  // namespace tidrun
