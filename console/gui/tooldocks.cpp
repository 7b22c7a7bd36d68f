#include "console/gui/tooldocks.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QLayout>
#include <QMainWindow>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

#include "console/consolestate.h"
#include "console/gui/cutpanel.h"
#include "console/gui/depthpanel.h"
#include "console/gui/gpspanel.h"
#include "console/gui/guidepanel.h"
#include "console/gui/mainactions.h"
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

TToolDocks::TToolDocks(QMainWindow& window, const TMainActions& actions)
    : QObject(&window), window_(window) {
    pnlCut_ = new TCutPanel(&window);
    ToolWinCut_ = MakeDock("ToolWinCut", *actions.actTWCut, pnlCut_);
    pnlGuide_ = new TGuidePanel(&window);
    ToolWinRem_ = MakeDock("ToolWinRem", *actions.actTBRem, pnlGuide_);
    pnlGPS_ = new TGpsPanel(&window);
    ToolWinGPS_ = MakeDock("ToolWinGPS", *actions.actTWGPS, pnlGPS_);
    pnlRef_ = new TRefPanel(&window);
    ToolWinRef_ = MakeDock("ToolWinRef", *actions.ActTBRef, pnlRef_);
    pnlDepth_ = new TDepthPanel(&window);
    ToolWinDepth_ = MakeDock("ToolWinDepth", *actions.actTWDepth, pnlDepth_);
    for (QDockWidget* d : All())
        connect(d, &QDockWidget::dockLocationChanged, this, [this, d] {
            emit Moved();
            if (QWidget* focus = FocusOf(d)) focus->setFocus();
        });
}

QDockWidget* TToolDocks::MakeDock(const char* name, const QAction& action, QWidget* content) {
    auto* d = new QDockWidget(action.text(), &window_);
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
    window_.addDockWidget(Qt::RightDockWidgetArea, d);
    d->hide();
    connect(d, &QDockWidget::visibilityChanged, this, &TToolDocks::VisibilityChanged);
    return d;
}

QList<QDockWidget*> TToolDocks::All() const {
    return {ToolWinRef_, ToolWinRem_, ToolWinGPS_, ToolWinCut_, ToolWinDepth_};
}

QWidget* TToolDocks::FocusOf(QDockWidget* dock) const {
    if (dock == ToolWinRef_) return pnlRef_->cbxRefPoint;
    if (dock == ToolWinRem_) return pnlGuide_->cbxRemPoint;
    return nullptr;
}

void TToolDocks::ShowPointChoices(const TConsoleState& state) {
    ShowPointChooser(pnlRef_->cbxRefPoint, state.guide.Names(), state.guide.Index());
    ShowPointChooser(pnlGuide_->cbxRemPoint, state.buoy.Names(), state.buoy.Index());
}

void TToolDocks::Balance() {
    QList<QDockWidget*> docks;
    QList<int> heights;
    for (QDockWidget* d : All()) {
        if (d->isHidden() || d->isFloating() ||
            window_.dockWidgetArea(d) != Qt::RightDockWidgetArea)
            continue;
        docks << d;
        heights << WantedHeight(d);
    }
    if (!docks.isEmpty()) window_.resizeDocks(docks, heights, Qt::Vertical);
}

void TToolDocks::FitToContent(QDockWidget* dock) {
    // A dock keeps the height a longer text once gave it; give the room back, or take
    // what a longer text needs.
    if (dock->isHidden()) return;
    if (dock->isFloating()) {
        if (QLayout* l = dock->widget()->layout()) l->activate();
        dock->adjustSize();
        return;
    }
    window_.resizeDocks({dock}, {WantedHeight(dock)}, Qt::Vertical);
}

void TToolDocks::RestoreLayout(const QString& cfgPath) {
    // A job without a layout of its own (or with one that does not read) gets the default
    // one, not what the last job left.
    const QString text = TIniFile(cfgPath).ReadString(kToolSection, kToolKey, {});
    if (text.isEmpty() || !window_.restoreState(QByteArray::fromBase64(text.toLatin1())))
        ShowDefaults();
}

void TToolDocks::ShowDefaults() {
    for (QDockWidget* d : {ToolWinRem_, ToolWinGPS_, ToolWinCut_}) {
        // One there already stays (moving it would animate the docks under new windows).
        if (!d->isHidden() && !d->isFloating() &&
            window_.dockWidgetArea(d) == Qt::RightDockWidgetArea)
            continue;
        window_.removeDockWidget(d);
        window_.addDockWidget(Qt::RightDockWidgetArea, d);
        d->show();
    }
    QTimer::singleShot(0, this, &TToolDocks::Balance);
}

void TToolDocks::SaveLayout(const QString& cfgPath) {
    // The layout may not yet have taken in a toolbar shown or hidden a moment ago (a second
    // row of toolbars): the stored heights of the tool windows are those of the window as
    // it now is.
    if (QLayout* l = window_.layout()) l->activate();
    TIniFile(cfgPath).WriteString(kToolSection, kToolKey,
                                  QString::fromLatin1(window_.saveState().toBase64()));
}

void TToolDocks::Toggle(QDockWidget* dock) {
    const bool show = dock->isHidden();
    dock->setVisible(show);
    if (show) QTimer::singleShot(0, this, &TToolDocks::Balance);
    if (QWidget* focus = FocusOf(dock); show && focus) focus->setFocus();
    emit Toggled();
}

void TToolDocks::Align() {
    for (QDockWidget* d : All()) {
        const bool shown = !d->isHidden();
        d->setFloating(false);
        window_.removeDockWidget(d);
        window_.addDockWidget(Qt::RightDockWidgetArea, d);
        d->setVisible(shown);
    }
}

int TToolDocks::DockedWidth() const {
    int left = 0, right = 0;
    for (QDockWidget* d : All()) {
        if (d->isHidden() || d->isFloating()) continue;
        if (window_.dockWidgetArea(d) == Qt::LeftDockWidgetArea) left = std::max(left, d->width());
        if (window_.dockWidgetArea(d) == Qt::RightDockWidgetArea)
            right = std::max(right, d->width());
    }
    return left + right;
}

}  // namespace tidrun
