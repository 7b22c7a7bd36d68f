#include "console/gui/linerecording.h"

#include <QTimer>
#include <QWidget>

#include "console/gui/cutpanel.h"
#include "console/gui/dialogs/linedlgform.h"
#include "console/gui/signalsounds.h"
#include "console/jobsession.h"
#include "console/statustexts.h"
#include "platform/messagesink.h"

namespace tidrun {

TLineRecording::TLineRecording(TJobSession& session, TCutPanel& panel, MessageSink& sink,
                               QWidget& window)
    : QObject(&window),
      session_(session),
      panel_(panel),
      sink_(sink),
      window_(window),
      sounds_(new TSignalSounds(this)),
      timer_(new QTimer(this)) {
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &TLineRecording::Tick);
    askLineName_ = [this](const QString& preset) -> std::optional<QString> {
        if (!lineDlg_) lineDlg_ = new TLineDlgForm(sink_, &window_);
        lineDlg_->SetLineName(preset);
        if (!lineDlg_->Execute()) return std::nullopt;
        return lineDlg_->LineName();
    };
}

bool TLineRecording::Start(const TJobSettings& settings) {
    const QString problem = TJobSession::StartProblem(settings);
    if (!problem.isEmpty()) {
        sink_.Warning(problem);
        return false;
    }
    const std::optional<QString> name = askLineName_(session_.Recorder().DefaultLineName());
    window_.activateWindow();
    if (!name) return false;
    emit TitleChanged(QStringLiteral("準備中..."));
    // A recording file or a line log that cannot be opened is said now; no line starts.
    if (!session_.StartLine(*name)) {
        emit TitleChanged(IdleAppTitle());
        return false;
    }
    panel_.SetRecording(true);
    timer_->start();
    return true;
}

void TLineRecording::Ended() {
    timer_->stop();
    panel_.SetRecording(false);
}

void TLineRecording::Tick() {
    const TTickStep t = session_.Recorder().Tick();
    if (t.showElapsed) panel_.ShowElapsed(t.elapsedSecs);
    panel_.ShowLamps(session_.Recorder().Lamps());
    sounds_->Play(t.sound);
}

void TLineRecording::Cut() {
    const TSound sound = session_.Recorder().RequestCut();
    panel_.ShowLamps(session_.Recorder().Lamps());
    sounds_->Play(sound);
}

}  // namespace tidrun
