// The main window's own widgets and the wiring of its actions, toolbars, tool windows and
// map windows; the tool windows' and toolbars' check marks; its dialogs: calibration,
// export, the work-procedure help.
#include "console/gui/mainform.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "console/gui/calibratedlg.h"
#include "console/gui/coordpanel.h"
#include "console/gui/cutpanel.h"
#include "console/gui/dialogs/aboutbox.h"
#include "console/gui/formhelp.h"
#include "console/gui/guidepanel.h"
#include "console/gui/mainactions.h"
#include "console/gui/mapwindows.h"
#include "console/gui/receiverview.h"
#include "console/gui/rulertoolbar.h"
#include "console/gui/rulertools.h"
#include "console/gui/tooldocks.h"
#include "console/helpsteps.h"
#include "planview/gui/mapform.h"
#include "platform/gui/numericedit.h"

#ifdef TIDRUN_EXPORT
#include "console/gui/exportdlg.h"
#endif

namespace tidrun {

void TMainForm::CreateCentral() {
    auto* central = new QWidget(this);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    maps_ = new TMapWindows(*this, sink_, central);
    v->addWidget(maps_->Area(), 1);
    pnlBottom_ = new TCoordPanel(central);
    v->addWidget(pnlBottom_);
    setCentralWidget(central);
    // The date at the bottom right, where it leaves the coordinates their room.
    lblDate_ = new QLabel(this);
    lblDate_->setObjectName(QStringLiteral("lblDate"));
    statusBar()->addPermanentWidget(lblDate_);
}

void TMainForm::ConnectActions() {
    const std::pair<QAction*, void (TMainForm::*)()> commands[] = {
        {ui_->actFileOpen, &TMainForm::FileOpen},
        {ui_->actFileClose, &TMainForm::FileClose},
        {ui_->actSurveyStart, &TMainForm::SurveyStart},
        {ui_->actSurveyStop, &TMainForm::SurveyStop},
        {ui_->actTBAlign, &TMainForm::AlignTools},
        {ui_->actCalibrate, &TMainForm::Calibrate},
        {ui_->actFileExport, &TMainForm::FileExport}};
    for (const auto& [action, command] : commands)
        if (action) connect(action, &QAction::triggered, this, command);  // export: with GDAL
    connect(ui_->actExit, &QAction::triggered, this, &QWidget::close);
    connect(ui_->actNewMap, &QAction::triggered, this, [this] {
        if (IsOpen()) CreateMap(-1, false);
    });
    // Messages to the active map window.
    const std::pair<QAction*, void (TMapForm::*)()> toActive[] = {
        {ui_->actMapZoomIn, &TMapForm::OnZoomIn},
        {ui_->actMapZoomOut, &TMapForm::OnZoomOut},
        {ui_->actMapZoomRem, &TMapForm::OnZoomRem}};
    for (const auto& [action, slot] : toActive)
        connect(action, &QAction::triggered, this, [this, slot] { maps_->PostToActive(slot); });
    connect(ui_->actCompass, &QAction::triggered, this, [this] {
        ToggleMapSwitch(ui_->actCompass, &TMapForm::CircleRuler, &TMapForm::SetCircleRuler);
        if (ui_->actCompass->isChecked()) ui_->tbCircle->edtCircleSize->setFocus();
    });
    connect(ui_->actRuler, &QAction::triggered, this, [this] {
        ToggleMapSwitch(ui_->actRuler, &TMapForm::PlannedLine, &TMapForm::SetPlannedLine);
        if (ui_->actRuler->isChecked()) ui_->tbRuler->edtRulerAngle->setFocus();
    });
    connect(ui_->actMapAutoMove, &QAction::triggered, this, [this] {
        ToggleMapSwitch(ui_->actMapAutoMove, &TMapForm::AutoMove, &TMapForm::SetAutoMove);
    });
    connect(ui_->actMapRapidMode, &QAction::triggered, this, [this] {
        ToggleMapSwitch(ui_->actMapRapidMode, &TMapForm::RapidMode, &TMapForm::SetRapidMode);
    });
    connect(ui_->actMapPrint, &QAction::triggered, this, [this] { maps_->PrintActive(this); });
    connect(ui_->actTBCircle, &QAction::triggered, this,
            [this](bool on) { ui_->tbCircle->setVisible(on); });
    connect(ui_->actTBRuler, &QAction::triggered, ruler_, &TRulerTools::ShowRulerBar);
    const std::pair<QAction*, QDockWidget*> docks[] = {{ui_->ActTBRef, docks_->GuideDock()},
                                                       {ui_->actTWGPS, docks_->GpsDock()},
                                                       {ui_->actTWCut, docks_->CutDock()},
                                                       {ui_->actTBRem, docks_->BuoyDock()},
                                                       {ui_->actTWDepth, docks_->DepthDock()}};
    for (const auto& [action, dock] : docks)
        connect(action, &QAction::triggered, this, [this, dock] { docks_->Toggle(dock); });
    connect(ui_->actHelpSokuryo, &QAction::triggered, this,
            [this] { ShowHelp(THelpKind::Recording, ui_->actHelpSokuryo); });
    connect(ui_->actHelpSetuhyo, &QAction::triggered, this,
            [this] { ShowHelp(THelpKind::BuoySetting, ui_->actHelpSetuhyo); });
    connect(ui_->actAbout, &QAction::triggered, this, [this] {
        TAboutBox box(this);
        box.Execute();
    });
    connect(ui_->actWindowCascade, &QAction::triggered, maps_, &TMapWindows::Cascade);
    connect(ui_->actWindowTile, &QAction::triggered, maps_, &TMapWindows::Tile);
    connect(ui_->actWindowArrange, &QAction::triggered, maps_, &TMapWindows::ArrangeIcons);
    connect(ui_->actWindowMinimize, &QAction::triggered, maps_, &TMapWindows::MinimizeAll);
    connect(ui_->menuTools, &QMenu::aboutToShow, this, &TMainForm::SyncToolChecks);
    connect(ui_->menuView, &QMenu::aboutToShow, this, &TMainForm::SyncToolChecks);

    TCutPanel& cut = docks_->Cut();
    connect(&cut, &TCutPanel::StartClicked, ui_->actSurveyStart, &QAction::trigger);
    connect(&cut, &TCutPanel::StopClicked, ui_->actSurveyStop, &QAction::trigger);
    connect(&cut, &TCutPanel::CutClicked, this, &TMainForm::CutCommand);
    // A choice in the tool windows is the console's choice, told to every map window.
    connect(&docks_->Ref(), &TRefPanel::GuideChosen, this, [this](int index) {
        state_.guide.Choose(index);
        BroadcastGuidePoint();
    });
    connect(&docks_->Guide(), &TGuidePanel::BuoyChosen, this, [this](int index) {
        state_.buoy.Choose(index);
        BroadcastBuoyPoint();
    });
    connect(docks_, &TToolDocks::VisibilityChanged, this, [this] { UpdateMenus(); });
    connect(docks_, &TToolDocks::Moved, this, &TMainForm::RenumberDocks);
    connect(docks_, &TToolDocks::Toggled, this, [this] {
        RenumberDocks();
        UpdateMenus();
    });
    connect(receiverView_, &TReceiverView::PortTextChanged, this, [this] {
        QTimer::singleShot(0, this, [this] { docks_->FitToContent(docks_->GpsDock()); });
    });

    // Every map window hears what this window says.
    connect(this, &TMainForm::LineEnd, maps_, &TMapWindows::LineEnd);
    connect(this, &TMainForm::BoatPos, maps_, &TMapWindows::BoatPos);
    connect(this, &TMainForm::CutAdded, maps_, &TMapWindows::CutAdded);
    connect(ruler_, &TRulerTools::CircleSize, maps_, &TMapWindows::CircleSize);
    connect(ruler_, &TRulerTools::Ruler, maps_, &TMapWindows::Ruler);
    connect(maps_, &TMapWindows::SwitchesChanged, this, &TMainForm::UpdateActions);
    connect(maps_, &TMapWindows::WindowGone, this,
            [this] { QTimer::singleShot(0, this, &TMainForm::UpdateAll); });
}

void TMainForm::RenumberDocks() {
    ruler_->Follow(ui_->actCompass->isChecked(), ui_->actRuler->isChecked());
}

void TMainForm::SyncToolChecks() {
    ui_->SyncToolChecks({docks_->GuideDock(), docks_->GpsDock(), docks_->CutDock(),
                         docks_->BuoyDock(), docks_->DepthDock()});
}

QMenu* TMainForm::createPopupMenu() {
    SyncToolChecks();
    return ui_->ToolsPopup(this);
}

void TMainForm::AlignTools() {
    ui_->AlignToolBars(*this);
    docks_->Align();
    RenumberDocks();
    UpdateMenus();
}

void TMainForm::Calibrate() {
    if (Recording()) return;
    const TOffsets& now = session_->Offsets();
    calibrateDlg_->SetJob(Gps(), &session_->Kijun(), folder_.cfg, folder_.calib);
    calibrateDlg_->SetValues(now.X, now.Y, now.H, now.A);
    if (!calibrateDlg_->Execute()) return;  // cancel keeps the values
    TOffsets o;
    calibrateDlg_->GetValues(o.X, o.Y, o.H, o.A);
    session_->SetOffsets(o);
}

void TMainForm::FileExport() {
#ifdef TIDRUN_EXPORT
    if (Recording() || !session_) return;
    RunJobExportDialog(this, sink_, settings_, *session_, folder_.work);
#endif
}

void TMainForm::ShowHelp(THelpKind kind, const QAction* action) {
    formHelp_->Fill(kind, action->text());
    formHelp_->ShowBeside(frameGeometry());
}

void TMainForm::HelpLink(THelpKind kind, int link) {
    const THelpState state{Recording(), !docks_->CutDock()->isHidden(),
                           !docks_->BuoyDock()->isHidden(), !docks_->GpsDock()->isHidden()};
    // Each step runs as its action does (disabled actions do nothing).
    if (QAction* a = ui_->ForHelpStep(HelpActionFor(kind, link, state))) a->trigger();
}

}  // namespace tidrun
