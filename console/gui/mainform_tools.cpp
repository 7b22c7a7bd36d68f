// The main window's calibration dialog, the export and the work-procedure help window.
#include "console/gui/calibratedlg.h"
#include "console/gui/formhelp.h"
#include "console/gui/mainform.h"
#include "console/helpsteps.h"
#include "console/jobsession.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QMessageBox>

#ifdef TIDRUN_EXPORT
#include "console/gui/exportdlg.h"
#endif

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

void TMainForm::FileExport() {
#ifdef TIDRUN_EXPORT
    if (Recording() || !session_) return;
    const QString recording = settings_.Resolve(settings_.SokusenPath());
    const QFileInfo rec(recording);
    TExportDlg dlg(QDir(workDir_).filePath(rec.completeBaseName() + QStringLiteral(".gpkg")), this);
    if (dlg.exec() != QDialog::Accepted) return;
    TDepthTable depths;
    bool hasDepths = false;
    if (!settings_.SokusenPath().isEmpty()) {
        const QString problem = LoadDepthsOf(recording, depths, hasDepths);
        if (!problem.isEmpty()) sink_.Error(problem);
    }
    const TExportSource source{
        settings_, Kijun(), Tansa(), Sokusen(), Ijo(), Misoku(), hasDepths ? &depths : nullptr};
    const TExportResult result = RunExportWithProgress(this, source, dlg.OutPath(), dlg.Options());
    if (!result.ok) {
        sink_.Error(result.error);
        return;
    }
    QMessageBox::information(this, QStringLiteral("エクスポート"),
                             QStringLiteral("%1個のファイルに書き出しました\r\n%2")
                                 .arg(result.files.size())
                                 .arg(result.files.join(QStringLiteral("\r\n"))));
#endif
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
