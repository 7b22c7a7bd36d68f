// The main window's toolbars and tool windows: their layout stored in the job's file, the
// default layout, the heights of the tool windows, and the docks' menu.
#include "console/gui/mainform.h"

#include <QAction>
#include <QDockWidget>
#include <QLayout>
#include <QMenu>
#include <QScrollArea>
#include <QTimer>
#include <QToolBar>

#include "console/gui/coordpanel.h"
#include "console/gui/guidepanel.h"
#include "console/gui/rulertoolbar.h"
#include "surveydata/inifile.h"

namespace tidrun {

namespace {

const QString kToolSection = QStringLiteral("ツールバー");
const QString kToolKey = QStringLiteral("State");

// The height a tool window asks for: its content's (whose scroll area keeps the hint it
// first had), with the title and frames around it.
int WantedHeight(QDockWidget* dock) {
    const auto* scroll = qobject_cast<const QScrollArea*>(dock->widget());
    if (!scroll || !scroll->widget()) return dock->sizeHint().height();
    if (QLayout* l = scroll->widget()->layout()) l->activate();
    return scroll->widget()->sizeHint().height() + dock->height() - scroll->viewport()->height();
}

}  // namespace

void TMainForm::BalanceToolWindows() {
    QList<QDockWidget*> docks;
    QList<int> heights;
    for (QDockWidget* d : {ToolWinRef, ToolWinRem, ToolWinGPS, ToolWinCut}) {
        if (d->isHidden() || d->isFloating() || dockWidgetArea(d) != Qt::RightDockWidgetArea)
            continue;
        docks << d;
        heights << WantedHeight(d);
    }
    if (!docks.isEmpty()) resizeDocks(docks, heights, Qt::Vertical);
}

void TMainForm::FitDockToContent(QDockWidget* dock) {
    // A dock keeps the height a longer text once gave it; give the room back, or take
    // what a longer text needs.
    if (dock->isHidden()) return;
    if (dock->isFloating()) {
        if (QLayout* l = dock->widget()->layout()) l->activate();
        dock->adjustSize();
        return;
    }
    resizeDocks({dock}, {WantedHeight(dock)}, Qt::Vertical);
}

void TMainForm::RestoreToolPositions() {
    // A job without a layout of its own (or with one that does not read) gets the default
    // one, not what the last job left.
    const QString text = TIniFile(cfgPath_).ReadString(kToolSection, kToolKey, {});
    if (text.isEmpty() || !restoreState(QByteArray::fromBase64(text.toLatin1())))
        ShowDefaultToolWindows();
    RenumberDocks();
}

void TMainForm::ShowDefaultToolWindows() {
    for (QDockWidget* d : {ToolWinRem, ToolWinGPS, ToolWinCut}) {
        // One there already stays (moving it would animate the docks under new windows).
        if (!d->isHidden() && !d->isFloating() && dockWidgetArea(d) == Qt::RightDockWidgetArea)
            continue;
        removeDockWidget(d);
        addDockWidget(Qt::RightDockWidgetArea, d);
        d->show();
    }
    QTimer::singleShot(0, this, &TMainForm::BalanceToolWindows);
    UpdateMenus();
}

void TMainForm::SaveToolPositions() {
    // The layout may not yet have taken in a toolbar shown or hidden a moment ago (a second
    // row of toolbars): the stored heights of the tool windows are those of the window as
    // it now is.
    if (QLayout* l = layout()) l->activate();
    TIniFile(cfgPath_).WriteString(kToolSection, kToolKey,
                                   QString::fromLatin1(saveState().toBase64()));
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
    if (show) QTimer::singleShot(0, this, &TMainForm::BalanceToolWindows);
    if (show && focus) focus->setFocus();
    RenumberDocks();
    UpdateMenus();
}

void TMainForm::AlignTools() {
    for (QToolBar* t : std::initializer_list<QToolBar*>{tbStandard, tbOperate, tbCircle, tbRuler}) {
        const bool shown = !t->isHidden();
        removeToolBar(t);
        if (t == tbCircle) addToolBarBreak(Qt::TopToolBarArea);  // as made: two rows
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
