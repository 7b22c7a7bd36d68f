// The main window's actions, menus, toolbars and tool windows, made once at construction.
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
#include <QScrollArea>
#include <QScrollBar>
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
#include "console/gui/rulertoolbar.h"
#include "console/gui/signalsounds.h"
#include "console/jobsession.h"
#include "console/transfer.h"
#include "console/userguide.h"
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
#ifdef TIDRUN_EXPORT
    actFileExport = make("actFileExport", QStringLiteral("エクスポート(&E)..."),
                         QStringLiteral("GISやCADで読める形式で書き出す"));
    actFileExport->setEnabled(false);
    // Open while a job is open and nothing is being recorded: as 閉じる.
    connect(actFileClose, &QAction::enabledChanged, actFileExport, &QAction::setEnabled);
    connect(actFileExport, &QAction::triggered, this, &TMainForm::FileExport);
#endif
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
    connect(actWindowCascade, &QAction::triggered, this, &TMainForm::CascadeWindows);
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
    if (actFileExport) menuFile->addAction(actFileExport);
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
    connect(menuHelp->addAction(QStringLiteral("取扱説明書")), &QAction::triggered, this,
            [this] { OpenUserGuide(sink_, programDir_); });
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
    // The date at the bottom right, where it leaves the coordinates their room.
    lblDate = new QLabel(this);
    lblDate->setObjectName(QStringLiteral("lblDate"));
    statusBar()->addPermanentWidget(lblDate);
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

    // The circle-ruler and planned-line bars wrap to a row of their own, so that each row
    // fits a screen 1024 pixels wide.
    addToolBarBreak(Qt::TopToolBarArea);
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
        // Where the screen is too low for every tool window at its full height, a tool
        // window keeps a few lines and scrolls; its width stays the content's.
        auto* scroll = new QScrollArea(d);
        scroll->setObjectName(QLatin1String(name) + QStringLiteral("Scroll"));
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        scroll->setWidget(content);
        scroll->setMinimumSize(
            content->minimumSizeHint().width() + scroll->verticalScrollBar()->sizeHint().width(),
            4 * content->fontMetrics().lineSpacing());
        d->setWidget(scroll);
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

}  // namespace tidrun
