#include "console/gui/mainform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

#include "console/gui/calibratedlg.h"
#include "console/gui/coordpanel.h"
#include "console/gui/cutpanel.h"
#include "console/gui/dialogs/aboutbox.h"
#include "console/gui/dialogs/linedlgform.h"
#include "console/gui/dialogs/setupform.h"
#include "console/gui/formhelp.h"
#include "console/gui/gpspanel.h"
#include "console/gui/guidepanel.h"
#include "console/gui/led.h"
#include "console/gui/programicon.h"
#include "console/gui/rulertoolbar.h"
#include "console/gui/signalsounds.h"
#include "console/jobload.h"
#include "console/jobsession.h"
#include "console/statustexts.h"
#include "console/transfer.h"
#include "planview/angles.h"
#include "planview/cutstore.h"
#include "planview/gui/mapform.h"
#include "planview/plannedline.h"
#include "platform/gui/numericedit.h"
#include "platform/gui/restoredgeometry.h"
#include "platform/portdevices.h"
#include "platform/portmap.h"
#include "platform/seriallink.h"
#include "positioning/gps.h"
#include "positioning/nmea.h"
#include "surveydata/codec.h"
#include "surveydata/inifile.h"
#include "surveydata/pointcoll.h"

namespace tidrun {

namespace {

// The hourglass for the duration of a scope, restored whatever happens.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Creation

TMainForm::TMainForm(MessageSink& sink, const QString& programDir, QWidget* parent)
    : QMainWindow(parent),
      sink_(sink),
      programDir_(QDir::cleanPath(programDir)),
      // The recorder reads the 32-bit millisecond tick of the same clock.
      session_(std::make_unique<TJobSession>(
          sink, [this] { return static_cast<std::uint32_t>(clock_()); })) {
    qRegisterMetaType<tidrun::TRulerRect>();
    setObjectName(QStringLiteral("MainForm"));
    // Its windows (the map windows, the tool windows, the dialogs) take it from here.
    setWindowIcon(ProgramIcon());
    SetCaption(BaseTitle());
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    elapsed_.start();
    clock_ = [this] { return elapsed_.elapsed(); };

    CreateActions();
    CreateMenus();
    CreateCentral();
    CreateToolBars();
    CreateToolWindows();
    InitState();
    SetAppTitle(IdleAppTitle());

    chooseFolder_ = [this](const QString& preset) -> std::optional<QString> {
        const QString dir = QFileDialog::getExistingDirectory(
            this, QStringLiteral("作業フォルダの選択"), preset, QFileDialog::ShowDirsOnly);
        if (dir.isEmpty()) return std::nullopt;
        return dir;
    };
    askLineName_ = [this](const QString& preset) -> std::optional<QString> {
        if (!lineDlg_) lineDlg_ = new TLineDlgForm(sink_, this);
        lineDlg_->SetLineName(preset);
        if (!lineDlg_->Execute()) return std::nullopt;
        return lineDlg_->LineName();
    };
    runSettings_ = [this](TJobSettings& settings, const QString& cfgPath) {
        TSetupForm* form = SetupForm();
        if (!form->Execute(cfgPath)) return false;
        settings = form->Settings();
        return true;
    };

    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this] {
        UpdateMenus();
        UpdateActions();
    });
    sounds_ = new TSignalSounds(this);
    surveyTimer_ = new QTimer(this);
    surveyTimer_->setInterval(100);
    connect(surveyTimer_, &QTimer::timeout, this, &TMainForm::SurveyTick);
    ports_ = std::make_unique<TReceiverPorts>(IniPath(), programDir_);
    calibrateDlg_ = new TfrmCalibrateDlg(sink_, this);
    formHelp_ = new TFormHelp(this);
    connect(formHelp_, &TFormHelp::LinkActivated, this, &TMainForm::HelpLink);
    ageTimer_ = new QTimer(this);
    ageTimer_->setInterval(500);
    connect(ageTimer_, &QTimer::timeout, this, &TMainForm::CheckPositionAge);
}

TMainForm::~TMainForm() {
    // The child widgets outlive this class's part of the object: nothing they emit while
    // they are torn down may reach it, and the map windows go while the collections they
    // read still exist. The receiver goes before the ports it reads.
    for (QObject* child : findChildren<QObject*>())
        QObject::disconnect(child, nullptr, this, nullptr);
    if (ageTimer_) ageTimer_->stop();
    for (QMdiSubWindow* w : mdiArea_->subWindowList()) delete w;
    delete gps_;
    gps_ = nullptr;
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
    mapCounter_ = 0;
    pnlRef->cbxRefPoint->clear();
    pnlGuide->cbxRemPoint->clear();
    actFileOpen->setEnabled(true);
    actFileClose->setEnabled(false);
    pnlBottom->lblInfo->clear();
    lblDate->setText(DateLabelText(QDate::currentDate()));
    ResetReceiverDisplays();
    UpdateMenus();
    UpdateActions();
}

// ---------------------------------------------------------------------------------------
// Start-up, open and close

void TMainForm::StartUp() {
    SetCaption(BaseTitle());
    FileOpen();
    RenumberDocks();
}

bool TMainForm::IsOpen() const {
    // Not the close action's state: 閉じる is disabled while a line is recorded.
    return open_;
}

void TMainForm::FileOpen() {
    if (IsOpen()) return;
    DoOpen();
    UpdateMenus();
    UpdateActions();
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
    workDir_ = QDir::cleanPath(*chosen);
    cfgPath_ = TidrunCfgPath(workDir_);
    calibDir_ = QDir(workDir_).filePath(QStringLiteral("Calib"));
    logDir_ = QDir(workDir_).filePath(QStringLiteral("Log"));

    if (!QFileInfo(workDir_).isDir()) {
        sink_.Show(MessageSink::Kind::Plain, QStringLiteral("作業フォルダが見つかりません"));
        return false;
    }
    if (!QFileInfo(logDir_).isDir() && !QDir().mkdir(logDir_)) {
        sink_.Show(MessageSink::Kind::Plain, QStringLiteral("ログ出力用フォルダが作成できません"));
        return false;
    }
    session_->SetLineLogFolder(logDir_);
    if (!QFileInfo(calibDir_).isDir() && !QDir().mkdir(calibDir_)) {
        sink_.Show(MessageSink::Kind::Plain,
                   QStringLiteral("キャリブレーション出力用フォルダが作成できません"));
        return false;
    }
    // A save cut short by a kill leaves its temporary copy beside the file: gone at the
    // next open.
    RemoveLeftoverCopies(cfgPath_);
    RemoveLeftoverCopies(iniPath);
    if (!ReadMainConfig()) {
        // Said before the settings dialog, which then shows the defaults.
        sink_.Error(CfgUnreadableText(cfgPath_));
        sink_.ShowWaiting();
    }
    // The job's tool windows come back before its settings are shown; a cancelled open puts
    // back what was there, so that no empty tool window of a job that did not open stays.
    const QByteArray docksBefore = saveState();
    RestoreToolPositions();

    if (!runSettings_ || !runSettings_(settings_, cfgPath_)) {
        restoreState(docksBefore);
        RenumberDocks();
        return false;
    }

    if (!WriteWorkDir(iniPath, workDir_)) {
        sink_.Error(QStringLiteral("設定ファイルに書込できません\r\nﾌｧｲﾙ名：") + iniPath);
    }
    SetCaption(JobTitle(settings_.JobName, settings_.MapDatum));
    if (settings_.SurveyAreaChanged()) {
        savedMapCount_ = 0;
        TRulerRect e = session_->Guidance().Extent();
        e.X0 = e.X1 = 0;
        session_->Guidance().SetExtent(e);
    }

    LoadJobFiles();
    ResetJobDisplays();

    QStringList refNames, buoyNames;
    for (const TKijun& k : session_->Kijun().Items()) refNames << k.Name;
    for (const TIjo& b : session_->Ijo().Items()) buoyNames << b.Name;
    FillPointChooser(pnlRef->cbxRefPoint, refNames, guideName_);
    FillPointChooser(pnlGuide->cbxRemPoint, buoyNames, buoyName_);

    ComputeRulerExtent();

    // The close action counts as the open state from here, so that map windows can be made.
    open_ = true;
    actFileOpen->setEnabled(false);
    actFileClose->setEnabled(true);

    if (savedMapCount_ < 1) {
        ShowDefaultToolWindows();
        // The planned line goes on with this window: its toolbar row and the tool windows
        // are in place before the window takes two thirds of the room.
        tbRuler->show();
        layout()->activate();
        TMapForm* first = CreateMap(-1, true);
        // The planned line goes on in this window even before the frame has activated it.
        mdiArea_->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
        if (!actRuler->isChecked()) actRuler->trigger();
    } else {
        for (int i = 0; i < savedMapCount_; ++i) CreateMap(i, false);
    }

    BroadcastGuidePoint();
    BroadcastBuoyPoint();

    pnlCut->SetMode(RecordingModeText(settings_.CutMethodIndex(), settings_.IntervalSeconds()));
    session_->Recorder().SetRule(
        MakeCutRule(settings_.CutMethodIndex(), settings_.IntervalSeconds()));
    pnlGPS->lblCOM->setText(settings_.GpsDatum);

    OpenPort();

    pnlCut->ShowLastCut(CutPanelTexts(session_->Sokusen()));
    jobLoaded_ = true;
    return true;
}

bool TMainForm::ReadMainConfig() {
    MainWindowConfig c;
    const bool complete = c.Load(cfgPath_);
    tbCircle->SetDiameter(c.CircleSize);
    tbRuler->SetAngleText(c.RulerDMS);
    tbRuler->SetWidth(c.RulerWD);
    tbRuler->SetStep(c.RulerStep);
    savedMapCount_ = MapWindowConfig::StoredCount(cfgPath_, c.MapCount);
    TGuidance& g = session_->Guidance();
    g.SetPivot({c.RulerX, c.RulerY});
    g.SetExtent({c.RulerX0, c.RulerY0, c.RulerX1, c.RulerY1});
    session_->SetOffsets({c.HoseiX, c.HoseiY, c.HoseiH, c.HoseiA});
    guideName_ = c.GuidePoint;
    buoyName_ = c.BuoyPoint;
    return complete;
}

void TMainForm::LoadJobFiles() {
    WaitCursor wait;
    // A save of the mark file cut short by a kill leaves its temporary copy beside it.
    if (!settings_.MisokuPath().isEmpty())
        RemoveLeftoverCopies(settings_.Resolve(settings_.MisokuPath()));
    tidrun::LoadJobFiles(settings_, {session_->Kijun(), session_->Tansa(), session_->Sokusen(),
                                     session_->Ijo(), session_->Misoku()});
}

void TMainForm::ComputeRulerExtent() {
    session_->Guidance().SetAnglePacked(tbRuler->AnglePacked());
    session_->InitRulerExtent();
    BroadcastRuler();
}

void TMainForm::OpenPort() {
    // The GPS port and, unless the transfer is "しない", the transfer port; Open opens both
    // or neither.
    // The receiver reports while it handles a sentence: the sink shows its boxes from the
    // event loop, after the handler has returned.
    gps_ = new TGPS(this);
    ports_->Configure(*gps_, settings_);
    session_->SetTransfer(ports_->TextPort(), ports_->Text());
    ResetReceiverDisplays();
    connect(gps_, &TGPS::PortLost, this, [this] {
        fixWatch_.Disconnected();
        SetAppTitle(DisconnectedAppTitle());
        ShowPortState();
    });
    connect(gps_, &TGPS::DataFlowing, this, [this] {
        fixWatch_.Connected(clock_());
        SetAppTitle(gps_->IsOutputConnected() ? QString() : OutputLostAppTitle(settings_.OutPort));
        ShowPortState();
    });
    // The transfer port's loss is shown as the GPS port's is, the GPS port's first.
    connect(gps_, &TGPS::OutputPortLost, this, [this] {
        if (gps_->IsConnected()) SetAppTitle(OutputLostAppTitle(settings_.OutPort));
        ShowPortState();
    });
    connect(gps_, &TGPS::OutputPortBack, this, [this] {
        if (gps_->IsConnected()) SetAppTitle(QString());
        ShowPortState();
    });
    if (gps_->Open()) {
        connect(gps_, &TGPS::SentenceDecoded, this,
                [this](const TNMEA& nmea, qint64) { OnMonitor(nmea); });
        connect(gps_, &TGPS::PositionFixed, this, &TMainForm::OnPosition);
        SetAppTitle(QString());
        fixWatch_.Connected(clock_());
        ageTimer_->start();
    } else {
        // A device that is there but not ours to open: say which and what to do.
        const PortTarget target =
            ResolvePort(settings_.Port, ReadPortMapping(IniPath(), settings_.Port), programDir_);
        const QString why = target.replay ? QString() : PortPermissionProblem(target.path);
        sink_.Error(why.isEmpty() ? QStringLiteral("接続エラー")
                                  : QStringLiteral("接続エラー\r\n\n") + why);
        SetAppTitle(DisconnectedAppTitle());
    }
    ShowPortState();
}

void TMainForm::FileClose() {
    if (!IsOpen() || Recording()) return;
    // The job's values go to its file as at exit, while its map windows are still there.
    SaveSettings();
    jobLoaded_ = false;
    for (TMapForm* m : MapForms()) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(m->parentWidget()))
            QMetaObject::invokeMethod(sub, &QWidget::close, Qt::QueuedConnection);
        else
            QMetaObject::invokeMethod(m, &QWidget::close, Qt::QueuedConnection);
    }
    guideName_ =
        pnlRef->cbxRefPoint->currentIndex() > 0 ? pnlRef->cbxRefPoint->currentText() : QString();
    buoyName_ = pnlGuide->cbxRemPoint->currentIndex() > 0 ? pnlGuide->cbxRemPoint->currentText()
                                                          : QString();
    session_->SetTransfer(nullptr, {});
    if (gps_) {
        disconnect(gps_, nullptr, this, nullptr);
        gps_->Close();
        delete gps_;
        gps_ = nullptr;
    }
    ports_->Release();
    ageTimer_->stop();
    ResetReceiverDisplays();
    ResetJobDisplays();
    pnlBottom->lblInfo->clear();  // a point of the closed job, with its coordinates
    ShowPortState();
    open_ = false;
    actFileOpen->setEnabled(true);
    actFileClose->setEnabled(false);
    SetCaption(BaseTitle());
    SetAppTitle(IdleAppTitle());
    UpdateMenus();
    UpdateActions();
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
    return gps_ && gps_->IsOpen() && gps_->IsConnected();
}

void TMainForm::ShowPortState() {
    // Each lost port by its name and where it leads, the GPS port first.
    QStringList lines, sources;
    auto lost = [&](const QString& text, const SerialLink* port) {
        const QString source = port ? port->Source() : QString();
        lines << text;
        if (!source.isEmpty()) {
            lines << pnlGPS->lblPortState->fontMetrics().elidedText(source, Qt::ElideMiddle, 220);
            sources << source;
        }
    };
    const bool open = gps_ && gps_->IsOpen();
    if (open && !gps_->IsConnected())
        lost(QStringLiteral("%1 が切断されました（再接続中）").arg(settings_.Port),
             ports_->GpsPort());
    if (open && !gps_->IsOutputConnected())
        lost(QStringLiteral("転送 %1 が切断されました（再接続中）").arg(settings_.OutPort),
             ports_->OutPort());
    const QString text = lines.join(QLatin1Char('\n'));
    if (text != pnlGPS->lblPortState->text()) {
        pnlGPS->lblPortState->setText(text);
        pnlGPS->lblPortState->setToolTip(sources.join(QLatin1Char('\n')));
        pnlGPS->lblPortState->setVisible(!text.isEmpty());
        // The window takes the text's room, or gives it back, once its layout has it.
        QTimer::singleShot(0, this, [this] { FitDockToContent(ToolWinGPS); });
    }
    CheckPositionAge();
}

// ---------------------------------------------------------------------------------------
// Closing the main window

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
    if (cfgPath_.isEmpty() || !jobLoaded_) return;
    // Map windows first, from the bottom of the stack to the top: made again in that order,
    // they come back stacked as they were, the top one on top.
    int n = 0;
    for (QMdiSubWindow* w : mdiArea_->subWindowList(QMdiArea::StackingOrder)) {
        if (auto* m = qobject_cast<TMapForm*>(w->widget())) m->SaveState(cfgPath_, n++);
    }
    // A field that fails its range check keeps the last value that passed it.
    auto good = [](const NumericEdit* e) {
        return e->IsInRange() ? e->text().trimmed() : e->CommittedText();
    };
    MainWindowConfig c;
    c.CircleSize = good(tbCircle->edtCircleSize).toInt();
    c.RulerDMS =
        good(tbRuler->edtRulerAngle).isEmpty() ? QStringLiteral("0") : good(tbRuler->edtRulerAngle);
    c.RulerWD = good(tbRuler->edtRulerWidth).toInt();
    c.RulerStep = good(tbRuler->edtRulerStep).toInt();
    const TGuidance& g = session_->Guidance();
    c.RulerX = g.Pivot().X;
    c.RulerY = g.Pivot().Y;
    c.RulerX0 = g.Extent().X0;
    c.RulerY0 = g.Extent().Y0;
    c.RulerX1 = g.Extent().X1;
    c.RulerY1 = g.Extent().Y1;
    c.MapCount = n;
    const TOffsets& o = session_->Offsets();
    c.HoseiX = o.X;
    c.HoseiY = o.Y;
    c.HoseiH = o.H;
    c.HoseiA = o.A;
    c.GuidePoint =
        IsOpen() ? (pnlRef->cbxRefPoint->currentIndex() > 0 ? pnlRef->cbxRefPoint->currentText()
                                                            : QString())
                 : guideName_;
    c.BuoyPoint =
        IsOpen() ? (pnlGuide->cbxRemPoint->currentIndex() > 0 ? pnlGuide->cbxRemPoint->currentText()
                                                              : QString())
                 : buoyName_;
    if (!c.Store(cfgPath_)) {
        sink_.Error(QStringLiteral("設定ファイルに書込できません\r\nﾌｧｲﾙ名：") + cfgPath_);
    }
    SaveToolPositions();
}

// ---------------------------------------------------------------------------------------
// Receiver events

void TMainForm::OnMonitor(const TNMEA& nmea) {
    MonitorTexts t;
    const QTime local = nmea.LocalTimeOfDay(2);
    if (!MonitorTextsFor(nmea, local, t)) return;
    if (nmea.kind == kKindRMC)
        pnlGPS->ShowCourse(t);
    else
        pnlGPS->ShowPosition(t);
}

void TMainForm::OnPosition(const TGpsPosition& position) {
    pnlGPS->ToggleData();
    // The cut taken here keeps the sentence's latitude, longitude and height, GGA or GGK.
    const bool measured = position.nmea && IsMeasuredFix(*position.nmea);
    const TPositionOutcome out = session_->Position(position);
    // A cut that could not be stored has ended the line (with one message).
    if (out.lineEnded) LineEnded(out.lineHadCut);
    if (out.cutIndex >= 0) {
        // On disk already: the recording file is synced before the cut is shown.
        emit CutAdded(out.cutIndex);
        pnlCut->ShowLastCut(CutPanelTexts(session_->Sokusen()));
        pnlCut->ShowLamps(session_->Recorder().Lamps());
    }
    if (out.recording) pnlCut->ShowDistance(out.distance);
    pnlGuide->Show(out.guide);
    pnlBottom->ShowRuler(out.guide.rulerOffset, out.guide.leftArrow);
    xText_ = FormatX(out.X);
    yText_ = FormatY(out.Y);
    fixWatch_.Position(clock_());
    coordColour_ =
        PositionColour(gps_ ? gps_->Quality() : 0, gps_ ? gps_->DGPSDataSecs() : 0, measured);
    CheckPositionAge();

    emit BoatPos(out.xMm, out.yMm);
}

void TMainForm::CheckPositionAge() {
    const bool lost = gps_ && gps_->IsOpen() && !gps_->IsConnected();
    const CoordinateView v =
        CoordinateViewFor(fixWatch_, lost, xText_, yText_, coordColour_, clock_());
    pnlBottom->SetCoordinateLook(v.colour, v.stale);
    pnlBottom->ShowCoordinates(v.x, v.y);
}

void TMainForm::ResetJobDisplays() {
    // The guidance and the last cut of a closed job: the design-time texts until the open
    // job has its own.
    session_->Guidance().ResetCompass();
    pnlGuide->Reset();
    pnlCut->Reset();
    pnlBottom->ShowRuler(0, true);
}

void TMainForm::ResetReceiverDisplays() {
    // Nothing of an earlier job or receiver stays on screen: the design-time texts.
    fixWatch_ = TFixWatch{};
    xText_.clear();
    yText_.clear();
    coordColour_ = kDesignColour;
    pnlGPS->Reset();
    pnlGPS->LedData->SetOn(false);
    CheckPositionAge();
}

// ---------------------------------------------------------------------------------------
// Recording

bool TMainForm::Recording() const {
    return session_->Recorder().Recording();
}

bool TMainForm::RecordedLineOpen() const {
    return Recording() && session_->Recorder().HasCut();
}

void TMainForm::SurveyStart() {
    if (!IsOpen() || Recording()) return;
    const QString problem = TJobSession::StartProblem(settings_);
    if (!problem.isEmpty()) {
        sink_.Warning(problem);
        return;
    }
    const std::optional<QString> name = askLineName_(session_->Recorder().DefaultLineName());
    activateWindow();
    if (!name) return;
    SetAppTitle(QStringLiteral("準備中..."));
    // A recording file or a line log that cannot be opened is said now; no line starts.
    if (!session_->StartLine(*name)) {
        SetAppTitle(IdleAppTitle());
        return;
    }
    pnlCut->SetRecording(true);
    surveyTimer_->start();
    actFileClose->setEnabled(false);
    UpdateMenus();
    SetAppTitle(QStringLiteral("計測中"));
}

void TMainForm::SurveyStop() {
    if (!Recording()) return;
    SetAppTitle(QStringLiteral("終了..."));
    LineEnded(session_->StopLine());
}

void TMainForm::LineEnded(bool anyCut) {
    surveyTimer_->stop();
    pnlCut->SetRecording(false);
    if (anyCut) emit LineEnd();
    actFileClose->setEnabled(true);
    UpdateMenus();
    SetAppTitle(IdleAppTitle());
}

void TMainForm::SurveyTick() {
    const TTickStep t = session_->Recorder().Tick();
    if (t.showElapsed) pnlCut->ShowElapsed(t.elapsedSecs);
    pnlCut->ShowLamps(session_->Recorder().Lamps());
    sounds_->Play(t.sound);
}

void TMainForm::UpdateMenus() {
    const bool idle = !Recording();
    actExit->setEnabled(idle);
    actSurveyStart->setEnabled(idle);
    actCalibrate->setEnabled(idle);
    pnlRef->cbxRefPoint->setEnabled(idle);
    actSurveyStop->setEnabled(Recording());
    if (Recording()) actFileClose->setEnabled(false);
    menuSurvey->menuAction()->setVisible(!ToolWinCut->isHidden());
    const bool startShown = actSurveyStart->isEnabled();
    if (auto* a = tbStandard->findChild<QAction*>(QStringLiteral("slotSurveyStart")))
        a->setVisible(startShown);
    if (auto* a = tbStandard->findChild<QAction*>(QStringLiteral("slotSurveyStop")))
        a->setVisible(!startShown);
    pnlCut->SetStartShown(startShown);
    // One action on the file button at a time: a second one would give it a menu arrow.
    QAction* fileAction = actFileOpen->isEnabled() ? actFileOpen : actFileClose;
    if (btnFile->defaultAction() != fileAction) {
        if (QAction* old = btnFile->defaultAction()) btnFile->removeAction(old);
        btnFile->setDefaultAction(fileAction);
    }
    const bool children = !mdiArea_->subWindowList().isEmpty();
    for (QAction* a : {actWindowCascade, actWindowTile, actWindowArrange, actWindowMinimize})
        a->setEnabled(children);
    // Without a job there is no map to show and no ruler to set.
    const bool open = IsOpen();
    actNewMap->setEnabled(open);
    for (QWidget* w : {static_cast<QWidget*>(tbCircle->edtCircleSize),
                       static_cast<QWidget*>(tbRuler->edtRulerAngle),
                       static_cast<QWidget*>(tbRuler->edtRulerWidth),
                       static_cast<QWidget*>(tbRuler->edtRulerStep)})
        w->setEnabled(open);
    for (const char* name : {"udCircle", "udRulerWidth", "udRulerStep", "udRuler"})
        if (auto* w = findChild<QWidget*>(QLatin1String(name))) w->setEnabled(open);
}

void TMainForm::UpdateActions() {
    TMapForm* m = ActiveMap();
    for (QAction* a : {actMapZoomIn, actMapZoomOut, actMapZoomRem, actCompass, actRuler,
                       actMapAutoMove, actMapRapidMode, actMapPrint})
        a->setEnabled(m != nullptr);
    if (m) {
        actCompass->setChecked(m->CircleRuler());
        actRuler->setChecked(m->PlannedLine());
        actMapAutoMove->setChecked(m->AutoMove());
        actMapRapidMode->setChecked(m->RapidMode());
    }
    RenumberDocks();
}

}  // namespace tidrun
