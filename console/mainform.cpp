#include "console/mainform.h"

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

#include "console/calibratedlg.h"
#include "console/deferredsink.h"
#include "console/dialogs/aboutbox.h"
#include "console/dialogs/linedlgform.h"
#include "console/dialogs/setupform.h"
#include "console/displayrules.h"
#include "console/gui/coordpanel.h"
#include "console/gui/cutpanel.h"
#include "console/gui/gpspanel.h"
#include "console/gui/guidepanel.h"
#include "console/gui/led.h"
#include "console/gui/rulertoolbar.h"
#include "console/gui/signalsounds.h"
#include "console/jobsession.h"
#include "console/formhelp.h"
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

const QString kToolSection = QStringLiteral("ツールバー");
const QString kToolKey = QStringLiteral("State");

QColor Rgb(std::uint32_t rgb) {
    return QColor::fromRgb(rgb);
}

// A mark's Number holds its colour as the Windows colour value 0x00BBGGRR.
int ColourToNumber(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

QColor NamedMapColour(const QString& name) {
    static const struct {
        const char* name;
        std::uint32_t rgb;
    } kColours[] = {
        {"Black", 0x000000},  {"Maroon", 0x800000},  {"Green", 0x008000}, {"Olive", 0x808000},
        {"Navy", 0x000080},   {"Purple", 0x800080},  {"Teal", 0x008080},  {"Gray", 0x808080},
        {"Silver", 0xC0C0C0}, {"Red", 0xFF0000},     {"Lime", 0x00FF00},  {"Yellow", 0xFFFF00},
        {"Blue", 0x0000FF},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF},  {"White", 0xFFFFFF}};
    for (const auto& c : kColours)
        if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0) return Rgb(c.rgb);
    return Rgb(0x008080);
}

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
    gpsSink_ = new TDeferredSink(sink_, this);
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
        setupForm_->SetPortDescriber(
            [this](const QString& port) { return DescribePort(IniPath(), programDir_, port); });
        setupForm_->SetPortsFile(IniPath(), programDir_);
    }
    return setupForm_;
}

QString TMainForm::IniPath() const {
    return TidrunIniPath(programDir_);
}

void TMainForm::CreateActions() {
    auto make = [this](const char* name, const QString& text, const QString& shortHint,
                       const QString& longHint = {}, QKeySequence key = {}) {
        auto* a = new QAction(text, this);
        a->setObjectName(QLatin1String(name));
        if (!shortHint.isEmpty()) a->setToolTip(shortHint);
        a->setStatusTip(longHint.isEmpty() ? shortHint : longHint);
        if (!key.isEmpty()) a->setShortcut(key);
        return a;
    };
    // Toolbar buttons show the icon text: the caption without the menu's accelerator.
    auto iconText = [](QAction* a, const QString& t) { a->setIconText(t); };

    actFileOpen = make("actFileOpen", QStringLiteral("開く(&O)"), QStringLiteral("ファイルを開く"));
    actFileClose =
        make("actFileClose", QStringLiteral("閉じる(&C)"), QStringLiteral("ファイルを閉じる"));
    actExit = make("actExit", QStringLiteral("終了(&X)"), QStringLiteral("Tidrunを終了する"));
    actNewMap = make("actNewMap", QStringLiteral("平面図(&M)"), QStringLiteral("平面図"),
                     QStringLiteral("新しい平面図を表示する"), Qt::Key_F2);
    actSurveyStart = make("actSurveyStart", QStringLiteral("開始(&B)"), QStringLiteral("収録開始"),
                          QStringLiteral("収録を開始する"), Qt::Key_F3);
    actSurveyStop = make("actSurveyStop", QStringLiteral("終了(&E)"), QStringLiteral("収録終了"),
                         QStringLiteral("収録を終了する"), Qt::Key_F5);
    actMapZoomRem = make("actMapZoomRem", QStringLiteral("設標点～移動体(&F)"),
                         QStringLiteral("設標点～移動体表示"),
                         QStringLiteral("平面図を設標点から移動体の範囲で表示する"), Qt::Key_F6);
    iconText(actMapZoomRem, QStringLiteral("設標点～移動体"));
    actMapZoomIn = make("actMapZoomIn", QStringLiteral("拡大(&Z)"), QStringLiteral("拡大表示"),
                        QStringLiteral("平面図を拡大表示する"), Qt::Key_F7);
    iconText(actMapZoomIn, QStringLiteral("拡大"));
    actMapZoomOut = make("actMapZoomOut", QStringLiteral("縮小(&U)"), QStringLiteral("縮小表示"),
                         QStringLiteral("平面図を縮小表示する"), Qt::Key_F8);
    iconText(actMapZoomOut, QStringLiteral("縮小"));
    actCompass = make("actCompass", QStringLiteral("円定規(&C)"), QStringLiteral("円定規"),
                      QStringLiteral("円定規を平面図上に表示する"), Qt::Key_F9);
    actRuler = make("actRuler", QStringLiteral("計画線(&L)"), QStringLiteral("計画線"),
                    QStringLiteral("計画線を平面図上に表示する"), Qt::Key_F10);
    actMapAutoMove =
        make("actMapAutoMove", QStringLiteral("自動追尾(&A)"), QStringLiteral("自動追尾"),
             QStringLiteral("船を自動追尾する"), Qt::Key_F11);
    iconText(actMapAutoMove, QStringLiteral("自動追尾"));
    actMapRapidMode =
        make("actMapRapidMode", QStringLiteral("高速表示(&R)"), QStringLiteral("高速表示"),
             QStringLiteral("平面図を高速表示ﾓｰﾄﾞにする"), Qt::Key_F12);
    actMapPrint = make("actMapPrint", QStringLiteral("平面図印刷(&P)..."),
                       QStringLiteral("選択した平面図を印刷する"));
    for (QAction* a : {actCompass, actRuler, actMapAutoMove, actMapRapidMode})
        a->setCheckable(true);

    actTBCircle = make("actTBCircle", QStringLiteral("円定規の設定"), {});
    actTBRuler = make("actTBRuler", QStringLiteral("計画線の設定"), {});
    ActTBRef = make("ActTBRef", QStringLiteral("誘導点の設定"), {}, {}, Qt::SHIFT | Qt::Key_F8);
    actTWGPS = make("actTWGPS", QStringLiteral("受信ﾃﾞｰﾀ"), {}, {}, Qt::SHIFT | Qt::Key_F9);
    actTWCut = make("actTWCut", QStringLiteral("収録"), {}, {}, Qt::SHIFT | Qt::Key_F10);
    actTBRem = make("actTBRem", QStringLiteral("設標"), {}, {}, Qt::SHIFT | Qt::Key_F11);
    actTBAlign = make("actTBAlign", QStringLiteral("ﾂｰﾙの整理"), {}, {}, Qt::SHIFT | Qt::Key_F12);
    for (QAction* a : {actTBCircle, actTBRuler, ActTBRef, actTWGPS, actTWCut, actTBRem})
        a->setCheckable(true);

    actCalibrate =
        make("actCalibrate", QStringLiteral("補正(&C)..."), QStringLiteral("補正値を設定する"));
    actWindowCascade = make("actWindowCascade", QStringLiteral("重ねて表示(&C)"),
                            QStringLiteral("ｳｨﾝﾄﾞｳを重なりあうように並べ直す"));
    actWindowTile = make("actWindowTile", QStringLiteral("ならべて表示(&T)"),
                         QStringLiteral("ｳｨﾝﾄﾞｳを重ならないように並べ直す"));
    actWindowArrange = make("actWindowArrange", QStringLiteral("ｱｲｺﾝの整列(&A)"),
                            QStringLiteral("すべてのｱｲｺﾝをｳｨﾝﾄﾞｳの下に並べ直す"));
    actWindowMinimize = make("actWindowMinimize", QStringLiteral("すべてを最小化(&M)"),
                             QStringLiteral("すべてのｳｨﾝﾄﾞｳをｱｲｺﾝ状態にする"));
    actHelpSokuryo = make("actHelpSokuryo", QStringLiteral("収録"), {}, {}, Qt::Key_F1);
    actHelpSetuhyo = make("actHelpSetuhyo", QStringLiteral("設標"), {}, {}, Qt::SHIFT | Qt::Key_F1);
    actAbout = make("actAbout", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)"),
                    QStringLiteral("Tidrunのﾊﾞｰｼﾞｮﾝを表示する"));

    const QStyle* st = style();
    actFileOpen->setIcon(st->standardIcon(QStyle::SP_DialogOpenButton));
    actFileClose->setIcon(st->standardIcon(QStyle::SP_DialogCloseButton));
    actNewMap->setIcon(st->standardIcon(QStyle::SP_FileDialogNewFolder));
    actSurveyStart->setIcon(st->standardIcon(QStyle::SP_MediaPlay));
    actSurveyStop->setIcon(st->standardIcon(QStyle::SP_MediaStop));
    actExit->setIcon(st->standardIcon(QStyle::SP_TitleBarCloseButton));

    connect(actFileOpen, &QAction::triggered, this, &TMainForm::FileOpen);
    connect(actFileClose, &QAction::triggered, this, &TMainForm::FileClose);
    connect(actSurveyStart, &QAction::triggered, this, &TMainForm::SurveyStart);
    connect(actSurveyStop, &QAction::triggered, this, &TMainForm::SurveyStop);
    connect(actExit, &QAction::triggered, this, &QWidget::close);
    connect(actNewMap, &QAction::triggered, this, [this] {
        if (IsOpen()) CreateMap(-1, false);
    });
    connect(actMapZoomIn, &QAction::triggered, this, [this] { PostToActive(&TMapForm::OnZoomIn); });
    connect(actMapZoomOut, &QAction::triggered, this,
            [this] { PostToActive(&TMapForm::OnZoomOut); });
    connect(actMapZoomRem, &QAction::triggered, this,
            [this] { PostToActive(&TMapForm::OnZoomRem); });
    connect(actCompass, &QAction::triggered, this, [this] {
        ToggleMapSwitch(actCompass, &TMapForm::CircleRuler, &TMapForm::SetCircleRuler);
        if (actCompass->isChecked()) tbCircle->edtCircleSize->setFocus();
    });
    connect(actRuler, &QAction::triggered, this, [this] {
        ToggleMapSwitch(actRuler, &TMapForm::PlannedLine, &TMapForm::SetPlannedLine);
        if (actRuler->isChecked()) tbRuler->edtRulerAngle->setFocus();
    });
    connect(actMapAutoMove, &QAction::triggered, this, [this] {
        ToggleMapSwitch(actMapAutoMove, &TMapForm::AutoMove, &TMapForm::SetAutoMove);
    });
    connect(actMapRapidMode, &QAction::triggered, this, [this] {
        ToggleMapSwitch(actMapRapidMode, &TMapForm::RapidMode, &TMapForm::SetRapidMode);
    });
    connect(actMapPrint, &QAction::triggered, this, &TMainForm::PrintActiveMap);
    connect(actTBCircle, &QAction::triggered, this, [this](bool on) { tbCircle->setVisible(on); });
    connect(actTBRuler, &QAction::triggered, this, [this](bool on) {
        tbRuler->setVisible(on);
        pnlBottom->SetRulerShown(on);
    });
    connect(ActTBRef, &QAction::triggered, this,
            [this] { ToggleDock(ToolWinRef, pnlRef->cbxRefPoint); });
    connect(actTWGPS, &QAction::triggered, this, [this] { ToggleDock(ToolWinGPS, nullptr); });
    connect(actTWCut, &QAction::triggered, this, [this] { ToggleDock(ToolWinCut, nullptr); });
    connect(actTBRem, &QAction::triggered, this,
            [this] { ToggleDock(ToolWinRem, pnlGuide->cbxRemPoint); });
    connect(actTBAlign, &QAction::triggered, this, &TMainForm::AlignTools);
    connect(actCalibrate, &QAction::triggered, this, &TMainForm::Calibrate);
    connect(actHelpSokuryo, &QAction::triggered, this,
            [this] { ShowHelp(THelpKind::Recording, actHelpSokuryo); });
    connect(actHelpSetuhyo, &QAction::triggered, this,
            [this] { ShowHelp(THelpKind::BuoySetting, actHelpSetuhyo); });
    connect(actAbout, &QAction::triggered, this, [this] {
        TAboutBox box(this);
        box.Execute();
    });
    connect(actWindowCascade, &QAction::triggered, this, [this] { mdiArea_->cascadeSubWindows(); });
    connect(actWindowTile, &QAction::triggered, this, &TMainForm::TileWindows);
    connect(actWindowArrange, &QAction::triggered, this, [this] {
        // Minimised windows line up along the bottom of the workspace.
        int x = 0;
        for (QMdiSubWindow* w : mdiArea_->subWindowList()) {
            if (!w->isMinimized()) continue;
            w->move(x, mdiArea_->viewport()->height() - w->height());
            x += w->width();
        }
    });
    connect(actWindowMinimize, &QAction::triggered, this, [this] {
        for (QMdiSubWindow* w : mdiArea_->subWindowList()) w->showMinimized();
    });
}

void TMainForm::CreateMenus() {
    menuFile = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    menuFile->addAction(actFileOpen);
    menuFile->addAction(actFileClose);
    menuFile->addSeparator();
    menuFile->addAction(actExit);
    menuView = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    menuView->addAction(actNewMap);
    menuSurvey = menuBar()->addMenu(QStringLiteral("収録(&S)"));
    menuSurvey->addAction(actSurveyStart);
    menuSurvey->addAction(actSurveyStop);
    menuOperate = menuBar()->addMenu(QStringLiteral("操作(&M)"));
    menuOperate->addAction(actMapZoomRem);
    menuOperate->addAction(actMapZoomIn);
    menuOperate->addAction(actMapZoomOut);
    menuOperate->addSeparator();
    menuOperate->addAction(actCompass);
    menuOperate->addAction(actRuler);
    menuOperate->addSeparator();
    menuOperate->addAction(actMapAutoMove);
    menuOperate->addAction(actMapRapidMode);
    menuOperate->addSeparator();
    menuOperate->addAction(actMapPrint);
    menuTools = menuBar()->addMenu(QStringLiteral("ﾂｰﾙ(&T)"));
    menuTools->addAction(actTBCircle);
    menuTools->addAction(actTBRuler);
    menuTools->addSeparator();
    menuTools->addAction(ActTBRef);
    menuTools->addAction(actTWGPS);
    menuTools->addAction(actTWCut);
    menuTools->addAction(actTBRem);
    menuTools->addSeparator();
    menuTools->addAction(actTBAlign);
    connect(menuTools, &QMenu::aboutToShow, this, &TMainForm::SyncToolChecks);
    menuOption = menuBar()->addMenu(QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    menuOption->addAction(actCalibrate);
    menuWindow = menuBar()->addMenu(QStringLiteral("ｳｨﾝﾄﾞｳ(&W)"));
    menuWindow->addAction(actWindowCascade);
    menuWindow->addAction(actWindowTile);
    menuWindow->addAction(actWindowArrange);
    menuWindow->addAction(actWindowMinimize);
    menuHelp = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    auto* heading = menuHelp->addAction(QStringLiteral("作業手順"));
    heading->setEnabled(false);
    menuHelp->addAction(actHelpSokuryo);
    menuHelp->addAction(actHelpSetuhyo);
    menuHelp->addSeparator();
    menuHelp->addAction(actAbout);
    // Shortcuts stay live while a menu is hidden (収録 follows its tool window).
    addActions({actFileOpen, actFileClose, actNewMap, actSurveyStart, actSurveyStop, actMapZoomRem,
                actMapZoomIn, actMapZoomOut, actCompass, actRuler, actMapAutoMove, actMapRapidMode,
                ActTBRef, actTWGPS, actTWCut, actTBRem, actTBAlign, actHelpSokuryo,
                actHelpSetuhyo});
    for (QMenu* m :
         {menuFile, menuView, menuSurvey, menuOperate, menuTools, menuOption, menuWindow, menuHelp})
        m->setToolTipsVisible(true);
}

void TMainForm::CreateCentral() {
    auto* central = new QWidget(this);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    mdiArea_ = new QMdiArea(central);
    mdiArea_->setObjectName(QStringLiteral("MdiArea"));
    mdiArea_->setBackground(QApplication::palette().brush(QPalette::Dark));
    v->addWidget(mdiArea_, 1);
    pnlBottom = new TCoordPanel(central);
    v->addWidget(pnlBottom);
    setCentralWidget(central);
    statusBar();
}

void TMainForm::CreateToolBars() {
    tbStandard = new QToolBar(QStringLiteral("標準"), this);
    tbStandard->setObjectName(QStringLiteral("tbStandard"));
    tbStandard->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnFile = new QToolButton(tbStandard);
    btnFile->setObjectName(QStringLiteral("btnFile"));
    btnFile->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnFile->setDefaultAction(actFileOpen);
    tbStandard->addWidget(btnFile);
    tbStandard->addAction(actNewMap);
    tbStandard->addSeparator();
    btnSurveyStartTool = new QToolButton(tbStandard);
    btnSurveyStartTool->setObjectName(QStringLiteral("btnSurveyStartTool"));
    btnSurveyStartTool->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnSurveyStartTool->setDefaultAction(actSurveyStart);
    btnSurveyStopTool = new QToolButton(tbStandard);
    btnSurveyStopTool->setObjectName(QStringLiteral("btnSurveyStopTool"));
    btnSurveyStopTool->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnSurveyStopTool->setDefaultAction(actSurveyStop);
    // Start and stop share one place: one of them is shown.
    QAction* startSlot = tbStandard->addWidget(btnSurveyStartTool);
    QAction* stopSlot = tbStandard->addWidget(btnSurveyStopTool);
    startSlot->setObjectName(QStringLiteral("slotSurveyStart"));
    stopSlot->setObjectName(QStringLiteral("slotSurveyStop"));
    tbStandard->addSeparator();
    tbStandard->addAction(actCalibrate);
    addToolBar(Qt::TopToolBarArea, tbStandard);

    tbOperate = new QToolBar(QStringLiteral("操作"), this);
    tbOperate->setObjectName(QStringLiteral("tbOperate"));
    tbOperate->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QAction* a : {actMapZoomRem, actMapZoomIn, actMapZoomOut, actCompass, actRuler,
                       actMapAutoMove, actMapRapidMode, actMapPrint})
        tbOperate->addAction(a);
    addToolBar(Qt::TopToolBarArea, tbOperate);

    tbCircle = new TCircleToolBar(sink_, this);
    connect(tbCircle, &TCircleToolBar::DiameterChanged, this, &TMainForm::CircleSize);
    addToolBar(Qt::TopToolBarArea, tbCircle);
    tbCircle->hide();

    tbRuler = new TRulerToolBar(sink_, this);
    connect(tbRuler, &TRulerToolBar::AngleChanged, this, [this] { MoveRuler(0); });
    connect(tbRuler, &TRulerToolBar::WidthChanged, this, [this] { MoveRuler(0); });
    connect(tbRuler, &TRulerToolBar::MoveRequested, this, &TMainForm::MoveRuler);
    addToolBar(Qt::TopToolBarArea, tbRuler);
    tbRuler->hide();
}

void TMainForm::CreateToolWindows() {
    auto makeDock = [this](const char* name, QAction* action, QWidget* content) {
        auto* d = new QDockWidget(action->text(), this);
        d->setObjectName(QLatin1String(name));
        d->setWidget(content);
        d->setAllowedAreas(Qt::AllDockWidgetAreas);
        addDockWidget(Qt::RightDockWidgetArea, d);
        d->hide();
        connect(d, &QDockWidget::visibilityChanged, this, [this] { UpdateMenus(); });
        return d;
    };
    pnlCut = new TCutPanel(this);
    ToolWinCut = makeDock("ToolWinCut", actTWCut, pnlCut);
    connect(pnlCut, &TCutPanel::StartClicked, actSurveyStart, &QAction::trigger);
    connect(pnlCut, &TCutPanel::StopClicked, actSurveyStop, &QAction::trigger);
    connect(pnlCut, &TCutPanel::CutClicked, this, &TMainForm::CutCommand);
    pnlGuide = new TGuidePanel(this);
    ToolWinRem = makeDock("ToolWinRem", actTBRem, pnlGuide);
    pnlGPS = new TGpsPanel(this);
    ToolWinGPS = makeDock("ToolWinGPS", actTWGPS, pnlGPS);
    pnlRef = new TRefPanel(this);
    ToolWinRef = makeDock("ToolWinRef", ActTBRef, pnlRef);

    connect(pnlRef, &TRefPanel::GuideChosen, this, &TMainForm::BroadcastGuidePoint);
    connect(pnlGuide, &TGuidePanel::BuoyChosen, this, &TMainForm::BroadcastBuoyPoint);
    for (QDockWidget* d : {ToolWinCut, ToolWinRem, ToolWinGPS, ToolWinRef})
        connect(d, &QDockWidget::dockLocationChanged, this, [this, d] {
            RenumberDocks();
            if (d == ToolWinRef) pnlRef->cbxRefPoint->setFocus();
            if (d == ToolWinRem) pnlGuide->cbxRemPoint->setFocus();
        });
}

void TMainForm::InitState() {
    mapCounter_ = 0;
    pnlRef->cbxRefPoint->clear();
    pnlGuide->cbxRemPoint->clear();
    actFileOpen->setEnabled(true);
    actFileClose->setEnabled(false);
    pnlBottom->lblInfo->clear();
    pnlBottom->SetDate(DateLabelText(QDate::currentDate()));
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
    if (!QFileInfo(calibDir_).isDir() && !QDir().mkdir(calibDir_)) {
        sink_.Show(MessageSink::Kind::Plain,
                   QStringLiteral("キャリブレーション出力用フォルダが作成できません"));
        return false;
    }
    ReadMainConfig();
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
        for (QDockWidget* d : {ToolWinRem, ToolWinGPS, ToolWinCut}) {
            removeDockWidget(d);
            addDockWidget(Qt::RightDockWidgetArea, d);
            d->show();
        }
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

    if (session_->Sokusen().Count() > 0) pnlCut->ShowLastCut(CutPanelTexts(session_->Sokusen()));
    jobLoaded_ = true;
    return true;
}

void TMainForm::ReadMainConfig() {
    MainWindowConfig c;
    c.Load(cfgPath_);
    tbCircle->SetDiameter(c.CircleSize);
    tbRuler->SetAngleText(c.RulerDMS);
    tbRuler->SetWidth(c.RulerWD);
    tbRuler->SetStep(c.RulerStep);
    savedMapCount_ = c.MapCount;
    TGuidance& g = session_->Guidance();
    g.SetPivot({c.RulerX, c.RulerY});
    g.SetExtent({c.RulerX0, c.RulerY0, c.RulerX1, c.RulerY1});
    session_->SetOffsets({c.HoseiX, c.HoseiY, c.HoseiH, c.HoseiA});
    guideName_ = c.GuidePoint;
    buoyName_ = c.BuoyPoint;
}

void TMainForm::LoadJobFiles() {
    WaitCursor wait;
    // Relative names in the settings are taken from the work folder.
    auto path = [this](const QString& p) { return settings_.Resolve(p); };
    session_->Kijun().Load(path(settings_.KijunPath()));
    session_->Tansa().Load(path(settings_.TansaPath()));
    session_->Sokusen().Load(path(settings_.SokusenPath()));
    session_->Ijo().Clear();
    session_->Misoku().Clear();
    if (!settings_.IjoPath().isEmpty()) session_->Ijo().Load(path(settings_.IjoPath()));
    if (!settings_.MisokuPath().isEmpty()) session_->Misoku().Load(path(settings_.MisokuPath()));
}

void TMainForm::ComputeRulerExtent() {
    session_->Guidance().SetAnglePacked(tbRuler->AnglePacked());
    session_->InitRulerExtent();
    BroadcastRuler();
}

void TMainForm::OpenPort() {
    // The GPS port and, unless the transfer is "しない", the transfer port; Open opens both
    // or neither.
    gps_ = new TGPS(*gpsSink_, this);
    ports_->Configure(*gps_, settings_);
    ResetReceiverDisplays();
    connect(gps_, &TGPS::PortLost, this, [this] {
        fixWatch_.Disconnected();
        SetAppTitle(DisconnectedAppTitle());
        ShowPortState();
    });
    connect(gps_, &TGPS::DataFlowing, this, [this] {
        fixWatch_.Connected(clock_());
        SetAppTitle(QString());
        ShowPortState();
    });
    if (gps_->Open()) {
        gps_->OnMonitor = [this](const TNMEA& nmea) { OnMonitor(nmea); };
        gps_->OnPosition = [this](double x, double y, double h, const QDateTime& t) {
            return OnPosition(x, y, h, t);
        };
        SetAppTitle(QString());
        fixWatch_.Connected(clock_());
        ageTimer_->start();
    } else {
        // A device that is there but not ours to open: say which and what to do.
        const PortTarget target = ResolvePort(IniPath(), programDir_, settings_.Port);
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
    if (gps_) {
        gps_->OnMonitor = nullptr;
        gps_->OnPosition = nullptr;
        gps_->Close();
        delete gps_;
        gps_ = nullptr;
    }
    ports_->Release();
    ageTimer_->stop();
    ResetReceiverDisplays();
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
    if (gps_ && gps_->IsOpen() && !gps_->IsConnected()) {
        const QString source = ports_->GpsPort() ? ports_->GpsPort()->Source() : QString();
        QString text = QStringLiteral("%1 が切断されました（再接続中）").arg(settings_.Port);
        if (!source.isEmpty())
            text += QLatin1Char('\n') +
                    pnlGPS->lblPortState->fontMetrics().elidedText(source, Qt::ElideMiddle, 220);
        pnlGPS->lblPortState->setText(text);
        pnlGPS->lblPortState->setToolTip(source);
        pnlGPS->lblPortState->show();
    } else if (!pnlGPS->lblPortState->isHidden()) {
        pnlGPS->lblPortState->clear();
        pnlGPS->lblPortState->hide();
        // Once the layout has taken in the hidden text.
        QTimer::singleShot(0, this, [this] { FitDockToContent(ToolWinGPS); });
    }
    CheckPositionAge();
}

void TMainForm::FitDockToContent(QDockWidget* dock) {
    // A dock keeps the height a longer text once gave it; give the room back.
    if (dock->isHidden()) return;
    if (QLayout* l = dock->widget()->layout()) l->activate();
    if (dock->isFloating())
        dock->adjustSize();
    else
        resizeDocks({dock}, {dock->sizeHint().height()}, Qt::Vertical);
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
    delete setupForm_;
    event->accept();
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
    // Map windows first, from the last MDI child to the first.
    const QList<QMdiSubWindow*> subs = mdiArea_->subWindowList(QMdiArea::CreationOrder);
    int n = 0;
    for (auto it = subs.crbegin(); it != subs.crend(); ++it) {
        if (auto* m = qobject_cast<TMapForm*>((*it)->widget())) m->SaveState(cfgPath_, n++);
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

void TMainForm::RestoreToolPositions() {
    const QString text = TIniFile(cfgPath_).ReadString(kToolSection, kToolKey, {});
    if (text.isEmpty()) return;
    restoreState(QByteArray::fromBase64(text.toLatin1()));
    RenumberDocks();
}

void TMainForm::SaveToolPositions() {
    TIniFile(cfgPath_).WriteString(kToolSection, kToolKey,
                                   QString::fromLatin1(saveState().toBase64()));
}

// ---------------------------------------------------------------------------------------
// Receiver events

void TMainForm::OnMonitor(const TNMEA& nmea) {
    MonitorTexts t;
    const QTime local = nmea.LocalTimeOfDay(2);
    if (!MonitorTextsFor(nmea, local, t)) return;
    if (nmea.kind == kKindGGA) {
        session_->SetLastSentence(nmea.latitude, nmea.longitude,
                                  nmea.altitude + nmea.geoidSeparation);
        pnlGPS->ShowPosition(t);
    } else {
        pnlGPS->ShowCourse(t);
    }
}

bool TMainForm::OnPosition(double x, double y, double h, const QDateTime& time) {
    pnlGPS->ToggleData();
    const TPositionOutcome out = session_->Position(x, y, h, time);
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
    coordColour_ = PositionColour(gps_ ? gps_->Quality() : 0, gps_ ? gps_->DGPSDataSecs() : 0);
    CheckPositionAge();

    emit BoatPos(out.xMm, out.yMm);
    return out.cutIndex >= 0;
}

void TMainForm::CheckPositionAge() {
    const bool lost = gps_ && gps_->IsOpen() && !gps_->IsConnected();
    const CoordinateView v =
        CoordinateViewFor(fixWatch_, lost, xText_, yText_, coordColour_, clock_());
    pnlBottom->SetCoordinateLook(v.colour, v.stale);
    pnlBottom->ShowCoordinates(v.x, v.y);
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
// Map windows

QList<TMapForm*> TMainForm::MapForms() const {
    QList<TMapForm*> out;
    for (QMdiSubWindow* w : mdiArea_->subWindowList(QMdiArea::CreationOrder))
        if (auto* m = qobject_cast<TMapForm*>(w->widget())) out << m;
    return out;
}

TMapForm* TMainForm::ActiveMap() const {
    QMdiSubWindow* w = mdiArea_->activeSubWindow();
    return w ? qobject_cast<TMapForm*>(w->widget()) : nullptr;
}

template <class F>
void TMainForm::PostTo(TMapForm* form, F&& call) {
    // Posted, never sent: the window handles it after the current handler returns, and a
    // window closed in between simply drops it.
    QMetaObject::invokeMethod(form, std::forward<F>(call), Qt::QueuedConnection);
}

void TMainForm::PostToActive(void (TMapForm::*slot)()) {
    if (TMapForm* m = ActiveMap()) PostTo(m, [m, slot] { (m->*slot)(); });
}

TMapForm* TMainForm::CreateMap(int savedIndex, bool maximise) {
    ++mapCounter_;
    // Every map window of the job shares one store of the recorded cuts.
    TPlanSources sources{&session_->Kijun(),  &session_->Tansa(),   &session_->Ijo(),
                         &session_->Misoku(), &session_->Sokusen(), {}};
    for (TMapForm* m : MapForms()) sources.Cuts = m->Session().Scene().Sources().Cuts;
    if (!sources.Cuts) sources.Cuts = std::make_shared<TCutStore>();
    auto* form = new TMapForm(*this, sink_, sources);
    form->setObjectName(QStringLiteral("MapForm%1").arg(mapCounter_));
    QMdiSubWindow* sub = mdiArea_->addSubWindow(form);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    TrackRestoredGeometry(sub);
    sub->setWindowTitle(QStringLiteral("平面図(%1)").arg(mapCounter_));
    const auto q = Qt::QueuedConnection;
    connect(this, &TMainForm::BoatPos, form, &TMapForm::OnBoatPos, q);
    connect(this, &TMainForm::LineEnd, form, &TMapForm::OnLineEnd, q);
    connect(this, &TMainForm::CutAdded, form, &TMapForm::OnCutAdded, q);
    connect(this, &TMainForm::MisokuChanged, form, &TMapForm::OnMisokuChanged, q);
    connect(this, &TMainForm::RemPoint, form, &TMapForm::OnRemPoint, q);
    connect(this, &TMainForm::RefPoint, form, &TMapForm::OnRefPoint, q);
    connect(this, &TMainForm::CircleSize, form, &TMapForm::OnCircleSize, q);
    connect(this, &TMainForm::Ruler, form, &TMapForm::OnRuler, q);
    connect(form, &TMapForm::SwitchesChanged, this, &TMainForm::UpdateActions);
    connect(form, &QObject::destroyed, this, [this] {
        QTimer::singleShot(0, this, [this] {
            UpdateMenus();
            UpdateActions();
        });
    });

    const QColor colour = NamedMapColour(settings_.MapColor);
    PostTo(form, [form, colour] { form->OnMapColor(colour); });
    if (savedIndex < 0) {
        if (maximise)
            sub->showMaximized();
        else
            sub->show();
        PostTo(form, [form] { form->OnFitAll(); });
    } else {
        form->LoadState(cfgPath_, savedIndex);
        if (!sub->isVisible()) sub->show();
    }
    const TRulerRect seg = session_->Guidance().Segment(), ext = session_->Guidance().Extent();
    const int guide = pnlRef->cbxRefPoint->currentIndex() - 1;
    PostTo(form, [form, seg, ext] { form->OnRuler(seg, ext); });
    PostTo(form, [form, guide] { form->OnRefPoint(guide); });
    UpdateMenus();
    UpdateActions();
    return form;
}

void TMainForm::BroadcastGuidePoint() {
    emit RefPoint(pnlRef->cbxRefPoint->currentIndex() - 1);
}

void TMainForm::BroadcastBuoyPoint() {
    const int index = pnlGuide->cbxRemPoint->currentIndex() - 1;
    session_->SetBuoyIndex(index);
    emit RemPoint(index);
}

void TMainForm::BroadcastRuler() {
    emit Ruler(session_->Guidance().Segment(), session_->Guidance().Extent());
}

void TMainForm::ToggleMapSwitch(QAction* action, bool (TMapForm::*get)() const,
                                void (TMapForm::*set)(bool)) {
    TMapForm* m = ActiveMap();
    if (!m) {
        action->setChecked(false);
        return;
    }
    (m->*set)(!(m->*get)());
    action->setChecked((m->*get)());
    RenumberDocks();
}

void TMainForm::PrintActiveMap() {
    TMapForm* m = ActiveMap();
    if (!m) return;
    // The printer goes with the message, so that the dialog's choices (a file output
    // included) reach the print.
    auto printer = std::make_shared<QPrinter>();
    QPrintDialog dialog(printer.get(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    const int copies = printer->copyCount();
    PostTo(m, [m, printer, copies] { m->PrintWith(*printer, copies); });
}

// ---------------------------------------------------------------------------------------
// TMapHost

void TMainForm::ShowInfo(const QString& text) {
    pnlBottom->lblInfo->setText(InfoLineText(text));
}

void TMainForm::AddMark(const QString& name, const QColor& colour, double x, double y) {
    if (session_->Misoku().AddAndSave(x, y, name, ColourToNumber(colour))) emit MisokuChanged();
}

void TMainForm::DeleteMark(int index) {
    if (index < 0 || index >= session_->Misoku().Count()) return;
    if (session_->Misoku().DeleteAndSave(index)) emit MisokuChanged();
}

void TMainForm::ChangeMark(int index, const QString& name, const QColor& colour) {
    if (index < 0 || index >= session_->Misoku().Count()) return;
    if (session_->Misoku().ChangeAndSave(index, name, ColourToNumber(colour))) emit MisokuChanged();
}

void TMainForm::CutCommand() {
    const TSound sound = session_->Recorder().RequestCut();
    pnlCut->ShowLamps(session_->Recorder().Lamps());
    sounds_->Play(sound);
}

int TMainForm::CircleDiameter() {
    return tbCircle->Diameter();
}

int TMainForm::RulerAngle() {
    return tbRuler->AnglePacked();
}

int TMainForm::RulerWidth() {
    return tbRuler->Width();
}

void TMainForm::SetRulerPivot(double x, double y) {
    session_->Guidance().SetPivot({x, y});
    MoveRuler(0);
}

void TMainForm::SetRulerPivotAngle(double x, double y, int packedAngle) {
    tbRuler->SetAngleText(RulerAngleFieldText(packedAngle));
    SetRulerPivot(x, y);
}

void TMainForm::MoveRuler(int direction) {
    TGuidance& g = session_->Guidance();
    g.SetAnglePacked(tbRuler->AnglePacked());
    if (direction == 0)
        g.Recompute();
    else
        g.Move(direction * tbRuler->Step());
    BroadcastRuler();
}

QSize TMainForm::FreeClientSize() const {
    int left = 0, right = 0, topH = 0;
    for (QDockWidget* d : {ToolWinCut, ToolWinRem, ToolWinGPS, ToolWinRef}) {
        if (d->isHidden() || d->isFloating()) continue;
        if (dockWidgetArea(d) == Qt::LeftDockWidgetArea) left = std::max(left, d->width());
        if (dockWidgetArea(d) == Qt::RightDockWidgetArea) right = std::max(right, d->width());
    }
    for (QToolBar* t : std::initializer_list<QToolBar*>{tbStandard, tbOperate, tbCircle, tbRuler})
        if (!t->isHidden() && toolBarArea(t) == Qt::TopToolBarArea)
            topH = std::max(topH, t->y() + t->height());
    const QSize client = size();
    return {std::max(0, client.width() - left - right - 4),
            std::max(0, client.height() - topH - 4)};
}

// ---------------------------------------------------------------------------------------
// Menus and docks

// ---------------------------------------------------------------------------------------
// Recording

bool TMainForm::Recording() const {
    return session_->Recorder().Recording();
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
    session_->StartLine(*name);
    pnlCut->SetRecording(true);
    surveyTimer_->start();
    if (gps_) {
        // The sentences of the line's cuts; an older log of the same number is emptied.
        gps_->SetLogFile(session_->LineLogPath(logDir_));
        gps_->SetLogMode(TLogMode::lmOn);
    }
    actFileClose->setEnabled(false);
    UpdateMenus();
    SetAppTitle(QStringLiteral("計測中"));
}

void TMainForm::SurveyStop() {
    if (!Recording()) return;
    SetAppTitle(QStringLiteral("終了..."));
    surveyTimer_->stop();
    const bool anyCut = session_->StopLine();
    pnlCut->SetRecording(false);
    if (anyCut) emit LineEnd();
    if (gps_) gps_->SetLogMode(TLogMode::lmOff);
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

void TMainForm::TileWindows() {
    QList<QMdiSubWindow*> shown;
    for (QMdiSubWindow* w : mdiArea_->subWindowList(QMdiArea::CreationOrder))
        if (w->isVisible() && !w->isMinimized()) shown << w;
    const QList<QRect> places = TileSideBySide(mdiArea_->viewport()->size(), int(shown.size()));
    for (int i = 0; i < shown.size(); ++i) {
        if (shown[i]->isMaximized()) shown[i]->showNormal();
        shown[i]->setGeometry(places[i]);
    }
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

void TMainForm::RenumberDocks() {
    // The circle-ruler toolbar follows 円定規, the planned-line toolbar and panel follow
    // 計画線; in between the user may show or hide them through the tools menu.
    const bool compass = actCompass->isChecked(), ruler = actRuler->isChecked();
    if (compass != lastCompassCheck_) tbCircle->setVisible(compass);
    if (ruler != lastRulerCheck_) {
        tbRuler->setVisible(ruler);
        pnlBottom->SetRulerShown(ruler);
    }
    lastCompassCheck_ = compass;
    lastRulerCheck_ = ruler;
}

void TMainForm::SyncToolChecks() {
    actTBCircle->setChecked(!tbCircle->isHidden());
    actTBRuler->setChecked(!tbRuler->isHidden());
    ActTBRef->setChecked(!ToolWinRef->isHidden());
    actTWGPS->setChecked(!ToolWinGPS->isHidden());
    actTWCut->setChecked(!ToolWinCut->isHidden());
    actTBRem->setChecked(!ToolWinRem->isHidden());
}

QMenu* TMainForm::createPopupMenu() {
    SyncToolChecks();
    auto* menu = new QMenu(this);
    for (QAction* a : {actTBCircle, actTBRuler, ActTBRef, actTWGPS, actTWCut, actTBRem})
        menu->addAction(a);
    menu->addSeparator();
    menu->addAction(actTBAlign);
    return menu;
}

void TMainForm::ToggleDock(QDockWidget* dock, QWidget* focus) {
    const bool show = dock->isHidden();
    dock->setVisible(show);
    if (show && focus) focus->setFocus();
    RenumberDocks();
    UpdateMenus();
}

void TMainForm::AlignTools() {
    for (QToolBar* t : std::initializer_list<QToolBar*>{tbStandard, tbOperate, tbCircle, tbRuler}) {
        const bool shown = !t->isHidden();
        removeToolBar(t);
        addToolBar(Qt::TopToolBarArea, t);
        t->setVisible(shown);
    }
    for (QDockWidget* d : {ToolWinRef, ToolWinRem, ToolWinGPS, ToolWinCut}) {
        const bool shown = !d->isHidden();
        d->setFloating(false);
        removeDockWidget(d);
        addDockWidget(Qt::RightDockWidgetArea, d);
        d->setVisible(shown);
    }
    RenumberDocks();
    UpdateMenus();
}

}  // namespace tidrun
