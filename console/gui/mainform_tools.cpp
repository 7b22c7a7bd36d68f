// The main window's calibration dialog and work-procedure help window.
#include "console/gui/calibratedlg.h"
#include "console/gui/formhelp.h"
#include "console/gui/mainform.h"
#include "console/helpsteps.h"
#include "console/jobsession.h"

#include <QAction>
#include <QDockWidget>

namespace tidrun {

void TMainForm::Calibrate() {
    if (Recording()) return;
    const TOffsets& now = session_->Offsets();
    calibrateDlg_->SetJob(gps_, &session_->Kijun(), cfgPath_, calibDir_);
    calibrateDlg_->SetValues(now.X, now.Y, now.H, now.A);
    if (!calibrateDlg_->Execute()) return;  // cancel keeps the values
    TOffsets o;
    calibrateDlg_->GetValues(o.X, o.Y, o.H, o.A);
    session_->SetOffsets(o);
}

void TMainForm::ShowHelp(THelpKind kind, const QAction* action) {
    formHelp_->Fill(kind, action->text());
    formHelp_->ShowBeside(frameGeometry());
}

void TMainForm::HelpLink(THelpKind kind, int link) {
    const THelpState state{Recording(), !ToolWinCut->isHidden(), !ToolWinRem->isHidden(),
                           !ToolWinGPS->isHidden()};
    // Each step runs as its action does (disabled actions do nothing).
    switch (HelpActionFor(kind, link, state)) {
        case THelpAction::Calibrate:
            actCalibrate->trigger();
            break;
        case THelpAction::NewMap:
            actNewMap->trigger();
            break;
        case THelpAction::ShowCutWindow:
            actTWCut->trigger();
            break;
        case THelpAction::ShowRemWindow:
            actTBRem->trigger();
            break;
        case THelpAction::ShowGpsWindow:
            actTWGPS->trigger();
            break;
        case THelpAction::StartRecording:
            actSurveyStart->trigger();
            break;
        case THelpAction::StopRecording:
            actSurveyStop->trigger();
            break;
        case THelpAction::None:
            break;
    }
}

}  // namespace tidrun
