// Recording of survey lines: the cut rules (by hand, by time, every position, by distance), the
// count-down lamps and sounds of the 100 ms timer, and the hand-over of each cut to the
// writers that store it. Time comes from an injected 32-bit millisecond tick
// counter; all tick arithmetic is modular, so a line survives the counter wrapping.
#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "surveydata/cutwriter.h"

namespace tidrun {

// When a cut is taken besides the cut button. A rule overrides one of the two questions and
// gets its case in MakeCutRule.
class TCutRule {
  public:
    virtual ~TCutRule() = default;
    // After the first cut of a line: take a cut at this position too. trackM: the distance
    // travelled along the track since the previous cut (the sum of the steps between
    // positions), this position's step included.
    virtual bool CutAtPosition(double trackM) const {
        (void)trackM;
        return false;
    }
    // Count-down for the whole seconds and the track metres since the previous cut: 0
    // nothing yet, 1 the first warning lamp, 2 the second, 3 the cut is due (taken at the
    // next position).
    virtual int CountDown(std::uint32_t elapsedSecs, double trackM) const {
        (void)elapsedSecs;
        (void)trackM;
        return 0;
    }
};

// 手動 (and an unknown cut type): only the button.
class THandCutRule : public TCutRule {};

// 自動: a cut when more than the interval has passed, warnings 4 and 2 seconds before.
class TTimeCutRule : public TCutRule {
  public:
    explicit TTimeCutRule(int intervalSecs) : interval_(intervalSecs) {}
    int CountDown(std::uint32_t elapsedSecs, double trackM) const override;

  private:
    int interval_;
};

// 全データ: every position after the first cut.
class TAllDataCutRule : public TCutRule {
  public:
    bool CutAtPosition(double) const override { return true; }
};

// 距離: a cut at the first position whose track since the previous cut reaches the interval;
// the warning lamps at 60 % and 80 % of it. The cut is never left to the timer, so that it
// falls on that position.
class TDistanceCutRule : public TCutRule {
  public:
    explicit TDistanceCutRule(double intervalM) : interval_(intervalM) {}
    bool CutAtPosition(double trackM) const override { return trackM >= interval_; }
    int CountDown(std::uint32_t elapsedSecs, double trackM) const override;

  private:
    double interval_;
};

// The rule for the cut type (0 自動, 1 手動, 2 全データ, 3 距離 with distanceM above 0; other:
// by hand only).
std::unique_ptr<TCutRule> MakeCutRule(int cutMethodIndex, int intervalSecs, double distanceM = 0);

enum class TSound { None, Cut, Warn };
// "Sound0.Wav" for a cut, "Sound1.Wav" for a warning.
QString SoundFileName(TSound sound);

struct TLamps {
    bool count2 = false, count1 = false, count0 = false;
    friend bool operator==(const TLamps&, const TLamps&) = default;
};

// One corrected position with what a cut record keeps of it.
struct TFixValues {
    double X = 0, Y = 0, H = 0;             // corrected plane position and height
    double lat = 0, lon = 0, alt = 0;       // of the sentence that made the position
    bool measured = true;                   // a measured fix: only such a position is a cut
    QDateTime time;                         // fix time
    double DX = 0, DY = 0, DH = 0, DA = 0;  // calibration offsets
    std::string_view sentence;              // the sentence itself, valid during Position
};

struct TPositionStep {
    int cutIndex = -1;    // record index of the cut taken here, -1 for none
    double distance = 0;  // from the previous cut, 0 before the first
    // The cut due here could not be stored: the line has ended (as Stop ends it), and
    // lineHadCut says whether it got a cut before (the maps then finish it).
    bool lineEnded = false;
    bool lineHadCut = false;
};

struct TTickStep {
    std::uint32_t elapsedSecs = 0;  // since the previous cut (or the start)
    bool showElapsed = false;       // only once the line has a cut
    TSound sound = TSound::None;
};

class TRecorder {
  public:
    using Clock = std::function<std::uint32_t()>;

    // The recording file numbers the lines; until SetWriters it is the only writer.
    TRecorder(TRecordingFileWriter& file, Clock clock);

    void SetRule(std::unique_ptr<TCutRule> rule);
    // The writers in the order they get each cut (cutwriter.h); the recording file is added
    // at the front when the list does not hold it. Not while recording.
    void SetWriters(std::vector<TCutWriter*> writers);
    bool Recording() const { return recording_; }
    // The line-name dialog's preset: the next line number.
    QString DefaultLineName() const;
    // Starts a line after the name was confirmed; returns its number, or nothing when the
    // line cannot be stored (the writer said why; not recording).
    std::optional<int> Start(const QString& lineName);
    // The recording step at a position.
    TPositionStep Position(const TFixValues& fix);
    // The 100 ms timer.
    TTickStep Tick();
    // The cut button: the cut is taken at the next position. None when not recording.
    TSound RequestCut();
    // Ends the line; true when it got a cut (the maps finish the line).
    bool Stop();

    const TLamps& Lamps() const { return lamps_; }
    bool CutPending() const { return cutRequest_; }
    bool HasCut() const { return hasCut_; }
    const QString& LineName() const { return lineName_; }
    int LineNo() const { return lineNo_; }

  private:
    std::uint32_t SecondsSince(std::uint32_t now, std::uint32_t then) const {
        return static_cast<std::uint32_t>(now - then) / 1000u;  // modular: wrap-safe
    }
    // Ends the line for the first count writers of the list.
    void EndLines(size_t count);

    TRecordingFileWriter& file_;
    std::vector<TCutWriter*> writers_;
    Clock clock_;
    std::unique_ptr<TCutRule> rule_;
    bool recording_ = false;
    bool cutRequest_ = false;
    bool hasCut_ = false;
    double prevX_ = 0, prevY_ = 0;  // the previous cut
    double lastX_ = 0, lastY_ = 0;  // the previous position after it
    double track_ = 0;              // along the track since the previous cut
    std::uint32_t cutTimer_ = 0;
    QString lineName_;
    int lineNo_ = 0;
    TLamps lamps_;
};

// Texts of the cut panel for the last record of the collection (zeros and an empty name
// when there is none).
struct TCutPanelTexts {
    QString seq, cutNo, x, y, prevDist;
};
TCutPanelTexts CutPanelTexts(const TSokusenColl& lines);
// The first maxBytes bytes of the name in code page 932, never ending in half a character.
QString LeadingBytesOf(const QString& name, int maxBytes);

}  // namespace tidrun
