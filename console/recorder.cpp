#include "console/recorder.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "surveydata/codec.h"

namespace tidrun {

int TTimeCutRule::CountDown(std::uint32_t elapsedSecs, double) const {
    const std::int64_t e = elapsedSecs;
    if (e > interval_) return 3;
    if (e > interval_ - 2) return 2;
    if (e > interval_ - 4) return 1;
    return 0;
}

int TDistanceCutRule::CountDown(std::uint32_t, double trackM) const {
    if (trackM >= interval_ * 0.8) return 2;
    if (trackM >= interval_ * 0.6) return 1;
    return 0;
}

std::unique_ptr<TCutRule> MakeCutRule(int cutMethodIndex, int intervalSecs, double distanceM) {
    switch (cutMethodIndex) {
        case 3:
            if (distanceM > 0) return std::make_unique<TDistanceCutRule>(distanceM);
            return std::make_unique<THandCutRule>();
        case 0:
            return std::make_unique<TTimeCutRule>(intervalSecs);
        case 2:
            return std::make_unique<TAllDataCutRule>();
        default:
            return std::make_unique<THandCutRule>();
    }
}

QString SoundFileName(TSound sound) {
    switch (sound) {
        case TSound::Cut:
            return QStringLiteral("Sound0.Wav");
        case TSound::Warn:
            return QStringLiteral("Sound1.Wav");
        case TSound::None:
            break;
    }
    return {};
}

TRecorder::TRecorder(TRecordingFileWriter& file, Clock clock)
    : file_(file),
      writers_{&file},
      clock_(std::move(clock)),
      rule_(std::make_unique<THandCutRule>()) {}

void TRecorder::SetWriters(std::vector<TCutWriter*> writers) {
    if (recording_) return;
    std::erase(writers, nullptr);
    if (std::find(writers.begin(), writers.end(), &file_) == writers.end())
        writers.insert(writers.begin(), &file_);
    writers_ = std::move(writers);
    const auto at = std::find(writers_.begin(), writers_.end(), &file_);
    file_.SetEarlier({writers_.begin(), at});
}

void TRecorder::EndLines(size_t count) {
    for (size_t i = 0; i < count && i < writers_.size(); ++i) writers_[i]->EndLine();
}

void TRecorder::SetRule(std::unique_ptr<TCutRule> rule) {
    rule_ = rule ? std::move(rule) : std::make_unique<THandCutRule>();
}

QString TRecorder::DefaultLineName() const {
    return QString::number(static_cast<qint64>(file_.LastLineNo()) + 1);
}

std::optional<int> TRecorder::Start(const QString& lineName) {
    lineName_ = lineName;
    cutTimer_ = clock_();
    hasCut_ = false;
    prevX_ = prevY_ = lastX_ = lastY_ = track_ = 0;
    cutRequest_ = false;
    lamps_ = {};
    recording_ = false;
    lineNo_ = 0;
    const std::optional<int> lineNo = file_.NewLine();
    if (!lineNo) return std::nullopt;
    for (size_t i = 0; i < writers_.size(); ++i) {
        if (!writers_[i]->BeginLine(*lineNo)) {
            // The writers that opened the line close it again; the recording file, which
            // opened it first, too.
            EndLines(i);
            if (std::find(writers_.begin(), writers_.begin() + i, &file_) == writers_.begin() + i)
                file_.EndLine();
            return std::nullopt;
        }
    }
    recording_ = true;
    lineNo_ = *lineNo;
    return lineNo;
}

TPositionStep TRecorder::Position(const TFixValues& fix) {
    TPositionStep step;
    if (hasCut_) step.distance = std::hypot(fix.Y - prevY_, fix.X - prevX_);
    if (!recording_) return step;
    if (hasCut_) {
        track_ += std::hypot(fix.Y - lastY_, fix.X - lastX_);
        lastX_ = fix.X;
        lastY_ = fix.Y;
    }
    // An estimated, typed or simulated position is no cut; a cut asked for waits for a
    // measured fix.
    if (!fix.measured) return step;
    if (hasCut_ && rule_->CutAtPosition(track_)) cutRequest_ = true;
    if (!cutRequest_) return step;

    const std::uint32_t now = clock_();
    TCutInput cut;
    cut.GpsInt = static_cast<int>(SecondsSince(now, cutTimer_));
    cut.LineName = lineName_;
    cut.DA = fix.DA;
    cut.DH = fix.DH;
    cut.DY = fix.DY;
    cut.DX = fix.DX;
    cut.Time = fix.time;
    cut.GpsH = fix.alt;
    cut.GpsB = fix.lon;
    cut.GpsA = fix.lat;
    cut.Dist = step.distance;
    cut.H = fix.H;
    cut.Y = fix.Y;
    cut.X = fix.X;
    const TCut out{cut, lineNo_, fix.sentence};
    for (size_t i = 0; i < writers_.size(); ++i) {
        if (!writers_[i]->Write(out)) {
            // Not stored (the writer said so): the writers before take it back, and the line
            // ends here, so that no later cut is taken that the files would not hold either.
            while (i > 0) writers_[--i]->TakeBack();
            step.lineEnded = true;
            step.lineHadCut = Stop();
            return step;
        }
    }
    step.cutIndex = file_.LastIndex();
    lamps_ = {};
    cutTimer_ = now;
    prevX_ = lastX_ = fix.X;
    prevY_ = lastY_ = fix.Y;
    track_ = 0;
    hasCut_ = true;
    cutRequest_ = false;
    return step;
}

TTickStep TRecorder::Tick() {
    TTickStep t;
    if (!recording_) return t;
    t.elapsedSecs = SecondsSince(clock_(), cutTimer_);
    t.showElapsed = hasCut_;
    if (cutRequest_ || !hasCut_) return t;
    const int stage = rule_->CountDown(t.elapsedSecs, track_);
    if (stage >= 3 && !lamps_.count0) {
        lamps_.count0 = true;
        cutRequest_ = true;
        t.sound = TSound::Cut;
    } else if (stage >= 2) {
        if (!lamps_.count1) t.sound = TSound::Warn;
        lamps_.count1 = true;
    } else if (stage >= 1) {
        if (!lamps_.count2) t.sound = TSound::Warn;
        lamps_.count2 = true;
    }
    return t;
}

TSound TRecorder::RequestCut() {
    if (!recording_) return TSound::None;
    lamps_.count0 = true;
    cutRequest_ = true;
    return TSound::Cut;
}

bool TRecorder::Stop() {
    if (!recording_) return false;
    recording_ = false;
    cutRequest_ = false;
    lamps_ = {};
    EndLines(writers_.size());
    return file_.LineHadCut();
}

QString LeadingBytesOf(const QString& name, int maxBytes) {
    QString out;
    int bytes = 0;
    for (qsizetype i = 0; i < name.size();) {
        const qsizetype n = name.at(i).isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
        const QStringView ch = QStringView(name).mid(i, n);
        const int size = static_cast<int>(EncodeCp932(ch).size());
        if (bytes + size > maxBytes) break;
        bytes += size;
        out += ch;
        i += n;
    }
    return out;
}

TCutPanelTexts CutPanelTexts(const TSokusenColl& lines) {
    TCutPanelTexts t;
    const bool any = lines.Count() > 0;
    const std::optional<TSokusen> last =
        any ? std::optional(lines.Item(lines.Count() - 1)) : std::nullopt;
    const TSokusen* r = last ? &*last : nullptr;
    t.seq = QString::asprintf("前測点 %d", r ? r->Serial : 0);
    t.cutNo = QStringLiteral("測線 %1 ｶｯﾄ %2")
                  .arg(any ? LeadingBytesOf(lines.LineName(lines.Count() - 1), 10) : QString(),
                       QString::number(r ? r->CutNo : 0));
    t.x = QString::asprintf("Ｘ＝%11.3f", r ? r->X : 0.0);
    t.y = QString::asprintf("Ｙ＝%11.3f", r ? r->Y : 0.0);
    t.prevDist = QString::asprintf("%8.1f", r ? r->Dist : 0.0);
    return t;
}

}  // namespace tidrun
