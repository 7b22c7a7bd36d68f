// The main window's actions, menus and toolbars, made once. Held privately by the
// main window as a form's generated interface class is: the main window connects them and
// keeps their states; tests reach them as children by their object names.
#pragma once

#include <QList>

#include <functional>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class QToolButton;
class QWidget;

namespace tidrun {

class MessageSink;
enum class THelpAction;
class TCircleToolBar;
class TMapForm;
class TRulerToolBar;

struct TMainActions {
    // Made in this order (the window's own widgets may come in between): the actions, the
    // menus in the window's menu bar (openGuide runs 取扱説明書), the toolbars at its top.
    void MakeActions(QMainWindow& window);
    void MakeMenus(QMainWindow& window, const std::function<void()>& openGuide);
    void MakeToolBars(QMainWindow& window, MessageSink& sink);
    // The states that follow recording, the job and the workspace.
    void Update(bool recording, bool open, bool hasChildren, bool cutWindowShown);
    // The map actions follow the active map window (nullptr: none) and its switches.
    void ShowMapSwitches(const TMapForm* active);
    // The check marks of the tools menu's entries from what is shown: the toolbars, then
    // the tool windows (guide, GPS, cut, buoy).
    void SyncToolChecks(const QList<QWidget*>& toolWindows);
    // The toolbar's context menu: the tools menu's entries.
    QMenu* ToolsPopup(QWidget* parent) const;
    // ﾂｰﾙの整理 of the toolbars: at the top in two rows as made, shown or hidden as they were.
    void AlignToolBars(QMainWindow& window);
    QList<QToolBar*> ToolBars() const;
    // The action that runs a step of the work-procedure help (nullptr: none).
    QAction* ForHelpStep(THelpAction step) const;

    QAction *actFileOpen, *actFileClose, *actExit;
    QAction* actFileExport = nullptr;  // only when built with GDAL
    QAction* actNewMap;
    QAction *actSurveyStart, *actSurveyStop;
    QAction *actMapZoomRem, *actMapZoomIn, *actMapZoomOut, *actCompass, *actRuler;
    QAction *actMapAutoMove, *actMapRapidMode, *actMapPrint;
    QAction *actTBCircle, *actTBRuler, *ActTBRef, *actTWGPS, *actTWCut, *actTBRem, *actTBAlign;
    QAction* actTWDepth;  // 表示 → 測深
    QAction* actCalibrate;
    QAction *actWindowCascade, *actWindowTile, *actWindowArrange, *actWindowMinimize;
    QAction *actHelpSokuryo, *actHelpSetuhyo, *actAbout;
    QMenu *menuFile, *menuView, *menuSurvey, *menuOperate, *menuTools, *menuOption, *menuWindow,
        *menuHelp;
    QToolBar *tbStandard, *tbOperate;
    TCircleToolBar* tbCircle;
    TRulerToolBar* tbRuler;
    QToolButton *btnFile, *btnSurveyStartTool, *btnSurveyStopTool;
};

}  // namespace tidrun
