#include "console/recorder.h"

#include <cmath>

#include "surveydata/codec.h"

namespace tidrun {

int TTimeCutRule::CountDown(std::uint32_t elapsedSecs) const {
    const std::int64_t e = elapsedSecs;
    if (e > interval_) return 3;
    if (e > interval_ - 2) return 2;
    if (e > interval_ - 4) return 1;
    return 0;
}

std::unique_ptr<TCutRule> MakeCutRule(int cutMethodIndex, int intervalSecs) {
    switch (cutMethodIndex) {
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

TRecorder::TRecorder(TCutWriter& writer, Clock clock)
    : writer_(writer), clock_(std::move(clock)), rule_(std::make_unique<THandCutRule>()) {}

void TRecorder::SetRule(std::unique_ptr<TCutRule> rule) {
    rule_ = rule ? std::move(rule) : std::make_unique<THandCutRule>();
}

QString TRecorder::DefaultLineName() const {
    return QString::number(static_cast<qint64>(writer_.LastLineNo()) + 1);
}

std::optional<int> TRecorder::Start(const QString& lineName) {
    lineName_ = lineName;
    cutTimer_ = clock_();
    hasCut_ = false;
    prevX_ = prevY_ = 0;
    cutRequest_ = false;
    lamps_ = {};
    const std::optional<int> lineNo = writer_.BeginLine();
    recording_ = lineNo.has_value();
    lineNo_ = lineNo.value_or(0);
    return lineNo;
}

TPositionStep TRecorder::Position(const TFixValues& fix) {
    TPositionStep step;
    if (hasCut_) step.distance = std::hypot(fix.Y - prevY_, fix.X - prevX_);
    if (!recording_) return step;
    // An estimated, typed or simulated position is no cut; a cut asked for waits for a
    // measured fix.
    if (!fix.measured) return step;
    if (hasCut_ && rule_->CutAtPosition(step.distance)) cutRequest_ = true;
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
    const int index = writer_.Write(cut);
    if (index < 0) {
        // Not stored (the writer said so): the line ends here, so that no later cut is
        // taken that the file would not hold either.
        step.lineEnded = true;
        step.lineHadCut = Stop();
        return step;
    }
    step.cutIndex = index;
    lamps_ = {};
    cutTimer_ = now;
    prevX_ = fix.X;
    prevY_ = fix.Y;
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
    const int stage = rule_->CountDown(t.elapsedSecs);
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
    return writer_.EndLine();
}

QString TRecorder::LineLogName(int lineNo) {
    return QStringLiteral("Line%1.Log").arg(lineNo);
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
    const TSokusen* r = any ? &lines.Item(lines.Count() - 1) : nullptr;
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
