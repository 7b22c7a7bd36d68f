// Recording of survey lines: the cut rules (by hand, by time, every position), the
// count-down lamps and sounds of the 100 ms timer, and the hand-over of each cut to the
// writer that numbers and stores it. Time comes from an injected 32-bit millisecond tick
// counter; all tick arithmetic is modular, so a line survives the counter wrapping.
#pragma once

#include <algorithm>
#include <cstdint>

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "surveydata/sokusencoll.h"

namespace tidrun {

// When a cut is taken besides the cut button.
class TCutRule {
  public:
    virtual ~TCutRule() = default;
    // After the first cut of a line: take a cut at this position too (distanceM from the
    // previous cut).
    virtual bool CutAtPosition(double distanceM) const {
        (void)distanceM;
        return false;
    }
    // Count-down for the whole seconds since the previous cut: 0 nothing yet, 1 the first
    // warning lamp, 2 the second, 3 the cut is due.
    virtual int CountDown(std::uint32_t elapsedSecs) const {
        (void)elapsedSecs;
        return 0;
    }
};

// 手動 (and an unknown cut type): only the button.
class THandCutRule : public TCutRule {};

// 自動: a cut when more than the interval has passed, warnings 4 and 2 seconds before.
class TTimeCutRule : public TCutRule {
  public:
    explicit TTimeCutRule(int intervalSecs) : interval_(intervalSecs) {}
    int CountDown(std::uint32_t elapsedSecs) const override;

  private:
    int interval_;
};

// 全データ: every position after the first cut.
class TAllDataCutRule : public TCutRule {
  public:
    bool CutAtPosition(double) const override { return true; }
};

// The rule for the settings' cut type (0 自動, 1 手動, 2 全データ, other: by hand only).
std::unique_ptr<TCutRule> MakeCutRule(int cutMethodIndex, int intervalSecs);

// Where cuts go. The job's recording file numbers lines and records; a writer of further
// data per cut (a companion file) would follow its numbering. A writer reports its own
// failures (one message each); the recorder then ends the line.
class TCutWriter {
  public:
    virtual ~TCutWriter() = default;
    virtual int LastLineNo() const = 0;
    // Opens a new line; returns its number, or nothing when the line cannot be stored.
    virtual std::optional<int> BeginLine() = 0;
    // Stores the cut (on disk before returning); returns the index of its record, or -1
    // when it was not stored (nothing of it is kept).
    virtual int Write(const TCutInput& cut) = 0;
    // Closes the line; true when it got at least one cut.
    virtual bool EndLine() = 0;
};

// The recording file through the survey-line collection.
class TRecordingFileWriter : public TCutWriter {
  public:
    explicit TRecordingFileWriter(TSokusenColl& lines) : lines_(lines) {}
    int LastLineNo() const override { return lines_.LineNo(); }
    // A number past the 32-bit range is held at its top; the collection refuses such a cut.
    std::optional<int> BeginLine() override {
        const std::int64_t n = lines_.BeginLine();
        if (!lines_.Recording()) return std::nullopt;
        return static_cast<int>(std::min<std::int64_t>(n, INT32_MAX));
    }
    int Write(const TCutInput& cut) override { return lines_.AddCut(cut); }
    bool EndLine() override { return lines_.EndLine(); }

  private:
    TSokusenColl& lines_;
};

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

    TRecorder(TCutWriter& writer, Clock clock);

    void SetRule(std::unique_ptr<TCutRule> rule);
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

    // The per-line log of the sentences of the cuts: "Line%d.Log".
    static QString LineLogName(int lineNo);

  private:
    std::uint32_t SecondsSince(std::uint32_t now, std::uint32_t then) const {
        return static_cast<std::uint32_t>(now - then) / 1000u;  // modular: wrap-safe
    }

    TCutWriter& writer_;
    Clock clock_;
    std::unique_ptr<TCutRule> rule_;
    bool recording_ = false;
    bool cutRequest_ = false;
    bool hasCut_ = false;
    double prevX_ = 0, prevY_ = 0;
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
