#include "console/gui/mainactions.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include "console/gui/rulertoolbar.h"
#include "console/helpsteps.h"
#include "planview/gui/mapform.h"

namespace tidrun {

void TMainActions::MakeActions(QMainWindow& window) {
    auto make = [&window](const char* name, const QString& text, const QString& shortHint,
                          const QString& longHint = {}, QKeySequence key = {}) {
        auto* a = new QAction(text, &window);
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
    QObject::connect(actFileClose, &QAction::enabledChanged, actFileExport, &QAction::setEnabled);
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
    actTWDepth = make("actTWDepth", QStringLiteral("測深"), QStringLiteral("測深"),
                      QStringLiteral("測深機の水深を表示する"), Qt::SHIFT | Qt::Key_F7);
    for (QAction* a : {actTBCircle, actTBRuler, ActTBRef, actTWGPS, actTWCut, actTBRem, actTWDepth})
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

    const QStyle* st = window.style();
    actFileOpen->setIcon(st->standardIcon(QStyle::SP_DialogOpenButton));
    actFileClose->setIcon(st->standardIcon(QStyle::SP_DialogCloseButton));
    actNewMap->setIcon(st->standardIcon(QStyle::SP_FileDialogNewFolder));
    actSurveyStart->setIcon(st->standardIcon(QStyle::SP_MediaPlay));
    actSurveyStop->setIcon(st->standardIcon(QStyle::SP_MediaStop));
    actExit->setIcon(st->standardIcon(QStyle::SP_TitleBarCloseButton));
}

void TMainActions::MakeMenus(QMainWindow& window, const std::function<void()>& openGuide) {
    menuFile = window.menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    menuFile->addAction(actFileOpen);
    menuFile->addAction(actFileClose);
    if (actFileExport) menuFile->addAction(actFileExport);
    menuFile->addSeparator();
    menuFile->addAction(actExit);
    menuView = window.menuBar()->addMenu(QStringLiteral("表示(&V)"));
    menuView->addAction(actNewMap);
    menuView->addSeparator();
    menuView->addAction(actTWDepth);
    menuSurvey = window.menuBar()->addMenu(QStringLiteral("収録(&S)"));
    menuSurvey->addAction(actSurveyStart);
    menuSurvey->addAction(actSurveyStop);
    menuOperate = window.menuBar()->addMenu(QStringLiteral("操作(&M)"));
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
    menuTools = window.menuBar()->addMenu(QStringLiteral("ﾂｰﾙ(&T)"));
    menuTools->addAction(actTBCircle);
    menuTools->addAction(actTBRuler);
    menuTools->addSeparator();
    menuTools->addAction(ActTBRef);
    menuTools->addAction(actTWGPS);
    menuTools->addAction(actTWCut);
    menuTools->addAction(actTBRem);
    menuTools->addSeparator();
    menuTools->addAction(actTBAlign);
    menuOption = window.menuBar()->addMenu(QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    menuOption->addAction(actCalibrate);
    menuWindow = window.menuBar()->addMenu(QStringLiteral("ｳｨﾝﾄﾞｳ(&W)"));
    menuWindow->addAction(actWindowCascade);
    menuWindow->addAction(actWindowTile);
    menuWindow->addAction(actWindowArrange);
    menuWindow->addAction(actWindowMinimize);
    menuHelp = window.menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    auto* heading = menuHelp->addAction(QStringLiteral("作業手順"));
    heading->setEnabled(false);
    menuHelp->addAction(actHelpSokuryo);
    menuHelp->addAction(actHelpSetuhyo);
    menuHelp->addSeparator();
    QObject::connect(menuHelp->addAction(QStringLiteral("取扱説明書")), &QAction::triggered,
                     &window, openGuide);
    menuHelp->addAction(actAbout);
    // Shortcuts stay live while a menu is hidden (収録 follows its tool window).
    window.addActions({actFileOpen,   actFileClose,  actNewMap,      actSurveyStart,
                       actSurveyStop, actMapZoomRem, actMapZoomIn,   actMapZoomOut,
                       actCompass,    actRuler,      actMapAutoMove, actMapRapidMode,
                       ActTBRef,      actTWGPS,      actTWCut,       actTBRem,
                       actTBAlign,    actTWDepth,    actHelpSokuryo, actHelpSetuhyo});
    const std::pair<QMenu*, const char*> menus[] = {
        {menuFile, "menuFile"},       {menuView, "menuView"},   {menuSurvey, "menuSurvey"},
        {menuOperate, "menuOperate"}, {menuTools, "menuTools"}, {menuOption, "menuOption"},
        {menuWindow, "menuWindow"},   {menuHelp, "menuHelp"}};
    for (const auto& [m, name] : menus) {
        m->setObjectName(QLatin1String(name));
        m->setToolTipsVisible(true);
    }
}

void TMainActions::MakeToolBars(QMainWindow& window, MessageSink& sink) {
    tbStandard = new QToolBar(QStringLiteral("標準"), &window);
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
    window.addToolBar(Qt::TopToolBarArea, tbStandard);

    tbOperate = new QToolBar(QStringLiteral("操作"), &window);
    tbOperate->setObjectName(QStringLiteral("tbOperate"));
    tbOperate->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QAction* a : {actMapZoomRem, actMapZoomIn, actMapZoomOut, actCompass, actRuler,
                       actMapAutoMove, actMapRapidMode, actMapPrint})
        tbOperate->addAction(a);
    window.addToolBar(Qt::TopToolBarArea, tbOperate);

    // The circle-ruler and planned-line bars wrap to a row of their own, so that each row
    // fits a screen 1024 pixels wide.
    window.addToolBarBreak(Qt::TopToolBarArea);
    tbCircle = new TCircleToolBar(sink, &window);
    window.addToolBar(Qt::TopToolBarArea, tbCircle);
    tbCircle->hide();
    tbRuler = new TRulerToolBar(sink, &window);
    window.addToolBar(Qt::TopToolBarArea, tbRuler);
    tbRuler->hide();
}

void TMainActions::Update(bool recording, bool open, bool hasChildren, bool cutWindowShown) {
    const bool idle = !recording;
    actExit->setEnabled(idle);
    actSurveyStart->setEnabled(idle);
    actCalibrate->setEnabled(idle);
    actSurveyStop->setEnabled(recording);
    if (recording) actFileClose->setEnabled(false);
    menuSurvey->menuAction()->setVisible(cutWindowShown);
    const bool startShown = actSurveyStart->isEnabled();
    if (auto* a = tbStandard->findChild<QAction*>(QStringLiteral("slotSurveyStart")))
        a->setVisible(startShown);
    if (auto* a = tbStandard->findChild<QAction*>(QStringLiteral("slotSurveyStop")))
        a->setVisible(!startShown);
    // One action on the file button at a time: a second one would give it a menu arrow.
    QAction* fileAction = actFileOpen->isEnabled() ? actFileOpen : actFileClose;
    if (btnFile->defaultAction() != fileAction) {
        if (QAction* old = btnFile->defaultAction()) btnFile->removeAction(old);
        btnFile->setDefaultAction(fileAction);
    }
    for (QAction* a : {actWindowCascade, actWindowTile, actWindowArrange, actWindowMinimize})
        a->setEnabled(hasChildren);
    // Without a job there is no map to show and no ruler to set.
    actNewMap->setEnabled(open);
    tbCircle->SetFieldsEnabled(open);
    tbRuler->SetFieldsEnabled(open);
}

void TMainActions::ShowMapSwitches(const TMapForm* m) {
    for (QAction* a : {actMapZoomIn, actMapZoomOut, actMapZoomRem, actCompass, actRuler,
                       actMapAutoMove, actMapRapidMode, actMapPrint})
        a->setEnabled(m != nullptr);
    if (!m) return;
    actCompass->setChecked(m->CircleRuler());
    actRuler->setChecked(m->PlannedLine());
    actMapAutoMove->setChecked(m->AutoMove());
    actMapRapidMode->setChecked(m->RapidMode());
}

void TMainActions::SyncToolChecks(const QList<QWidget*>& toolWindows) {
    const QList<QWidget*> shown = QList<QWidget*>{tbCircle, tbRuler} + toolWindows;
    const QList<QAction*> entries = {actTBCircle, actTBRuler, ActTBRef,  actTWGPS,
                                     actTWCut,    actTBRem,   actTWDepth};
    for (int i = 0; i < entries.size() && i < shown.size(); ++i)
        entries[i]->setChecked(!shown[i]->isHidden());
}

QMenu* TMainActions::ToolsPopup(QWidget* parent) const {
    auto* menu = new QMenu(parent);
    menu->addActions({actTBCircle, actTBRuler, ActTBRef, actTWGPS, actTWCut, actTBRem, actTWDepth});
    menu->addSeparator();
    menu->addAction(actTBAlign);
    return menu;
}

void TMainActions::AlignToolBars(QMainWindow& window) {
    for (QToolBar* t : ToolBars()) {
        const bool shown = !t->isHidden();
        window.removeToolBar(t);
        if (t == tbCircle) window.addToolBarBreak(Qt::TopToolBarArea);  // as made: two rows
        window.addToolBar(Qt::TopToolBarArea, t);
        t->setVisible(shown);
    }
}

QAction* TMainActions::ForHelpStep(THelpAction step) const {
    switch (step) {
        case THelpAction::Calibrate:
            return actCalibrate;
        case THelpAction::NewMap:
            return actNewMap;
        case THelpAction::ShowCutWindow:
            return actTWCut;
        case THelpAction::ShowRemWindow:
            return actTBRem;
        case THelpAction::ShowGpsWindow:
            return actTWGPS;
        case THelpAction::StartRecording:
            return actSurveyStart;
        case THelpAction::StopRecording:
            return actSurveyStop;
        case THelpAction::None:
            break;
    }
    return nullptr;
}

QList<QToolBar*> TMainActions::ToolBars() const {
    return {tbStandard, tbOperate, tbCircle, tbRuler};
}

}  // namespace tidrun
