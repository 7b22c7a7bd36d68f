#include "console/jobsession.h"

#include "console/statustexts.h"
#include "planview/cutstore.h"
#include "planview/mapmessages.h"
#include "positioning/gps.h"
#include "positioning/nmea.h"
#include "surveydata/jobsettings.h"

namespace tidrun {

TJobSession::TJobSession(MessageSink& sink, TRecorder::Clock clock)
    : kijun_(std::make_unique<TKijunColl>(sink)),
      tansa_(std::make_unique<TTansaColl>(sink)),
      ijo_(std::make_unique<TIjoColl>(sink)),
      sokusen_(std::make_unique<TSokusenColl>(sink)),
      misoku_(std::make_unique<TMisokuColl>(sink)),
      recordingFile_(*sokusen_),
      lineLog_(sink),
      depth_(*sokusen_, sink),
      transfer_(*sokusen_, &depth_),
      recorder_(recordingFile_, std::move(clock)) {
    // The line log and the depth file hold every counted cut: they are written first; the
    // transfer text announces a counted cut: last.
    recorder_.SetWriters({&lineLog_, &depth_, &recordingFile_, &transfer_});
}

TJobSession::~TJobSession() = default;

void TJobSession::SetLastSentence(double lat, double lon, double alt, bool measured) {
    lastLat_ = lat;
    lastLon_ = lon;
    lastAlt_ = alt;
    lastMeasured_ = measured;
}

void TJobSession::SetPositionSentence(const GpsFix& fix) {
    SetLastSentence(fix.latitude, fix.longitude, fix.height(), IsMeasuredFix(fix));
}

void TJobSession::SetBuoyIndex(int index) {
    const auto& items = ijo_->Items();
    if (index >= 0 && index < static_cast<int>(items.size()))
        guidance_.SetBuoy(TPoint2{items[size_t(index)].X, items[size_t(index)].Y});
    else
        guidance_.SetBuoy(std::nullopt);
}

void TJobSession::InitRulerExtent() {
    guidance_.InitExtent(tansa_->MinX(), tansa_->MinY(), tansa_->MaxX(), tansa_->MaxY());
}

TPositionOutcome TJobSession::Position(const TGpsPosition& p) {
    if (p.nmea) SetPositionSentence(*p.nmea);
    return Position(p.X, p.Y, p.h, p.time, p.sentence, p.receivedUtcMs);
}

TPositionOutcome TJobSession::Position(double x, double y, double h, const QDateTime& time,
                                       std::string_view sentence, qint64 receivedUtcMs) {
    depth_.PositionArrived(receivedUtcMs != 0 ? receivedUtcMs
                                              : QDateTime::currentMSecsSinceEpoch());
    TPositionOutcome out;
    out.X = x + offsets_.X;
    out.Y = y + offsets_.Y;
    out.H = h + offsets_.H - offsets_.A;
    TFixValues fix;
    fix.X = out.X;
    fix.Y = out.Y;
    fix.H = out.H;
    fix.lat = lastLat_;
    fix.lon = lastLon_;
    fix.alt = lastAlt_;
    fix.measured = lastMeasured_;
    fix.time = time;
    fix.DX = offsets_.X;
    fix.DY = offsets_.Y;
    fix.DH = offsets_.H;
    fix.DA = offsets_.A;
    fix.sentence = sentence;
    const TPositionStep step = recorder_.Position(fix);
    out.cutIndex = step.cutIndex;
    if (out.cutIndex >= 0 && cuts_) {
        cuts_->SyncFrom(*sokusen_);
        if (const auto d = depth_.On() ? depth_.DepthForCut() : std::nullopt)
            cuts_->SetDepth(out.cutIndex, static_cast<float>(*d));
    }
    out.lineEnded = step.lineEnded;
    out.lineHadCut = step.lineHadCut;
    out.distance = step.distance;
    out.recording = recorder_.Recording();
    out.guide = guidance_.Update(lastBoat_, {out.X, out.Y});
    out.xMm = ToMillimetres(out.X);
    out.yMm = ToMillimetres(out.Y);
    lastBoat_ = {out.X, out.Y};
    return out;
}

QString TJobSession::UseCutMethodOf(const TJobSettings& s) {
    const int method = s.EffectiveCutMethod();
    recorder_.SetRule(MakeCutRule(method, s.IntervalSeconds(), s.CutDistanceMetres()));
    return RecordingModeText(method, s.IntervalSeconds(), s.CutDistanceMetres());
}

QString TJobSession::StartProblem(const TJobSettings& settings) {
    // A list of the missing items, each with a leading "、"; the survey-line file is the
    // only one asked for.
    QString missing;
    if (settings.SokusenPath().isEmpty()) missing += QStringLiteral("、測線");
    if (missing.isEmpty()) return {};
    return missing.mid(1) + QStringLiteral("が正しく設定されていません。");
}

std::optional<int> TJobSession::StartLine(const QString& lineName) {
    lastBoat_ = {};
    return recorder_.Start(lineName);
}

}  // namespace tidrun
