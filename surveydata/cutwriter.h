// Where each cut of a recorded line goes. The recorder hands every cut to a list of writers
// in a fixed order: the recording file counts the cut; whatever else stores the cut (the line
// log, a depth file) comes before it, so that a counted cut is in every file; whatever only
// announces a counted cut (the transfer text) comes after it. A writer reports its own
// failure (one message); the recorder then ends the line.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "surveydata/sokusencoll.h"

namespace tidrun {

// One cut as the writers get it: what its record keeps, its line's number and the sentence
// that made its position ("$" through the carriage return; empty when none was given).
struct TCut {
    const TCutInput& record;
    int lineNo = 0;
    std::string_view sentence;
};

class TCutWriter {
  public:
    virtual ~TCutWriter() = default;
    // Opens line lineNo; false when the line cannot be stored (the writer said why).
    virtual bool BeginLine(int lineNo) = 0;
    // Stores the cut (on disk before returning, or, for a writer before the recording file,
    // by the end of Settle); false when it was not stored.
    virtual bool Write(const TCut& cut) = 0;
    // Waits for what Write left running (a sync on a thread of its own, so that the files
    // of a cut sync together); false when it failed, reported, with nothing of the cut left.
    // The recording file settles the writers before it once its own line is synced and
    // before it counts the cut.
    virtual bool Settle() { return true; }
    // A writer after this one failed the cut just written: nothing of it may stay.
    virtual void TakeBack() {}
    virtual void EndLine() = 0;
};

// The recording file through the survey-line collection: it numbers the lines and counts
// the cuts, each line of the file appended and synced before Write returns. A counted cut
// is never taken back: only writers that cannot fail come after it.
class TRecordingFileWriter : public TCutWriter {
  public:
    explicit TRecordingFileWriter(TSokusenColl& lines) : lines_(lines) {}
    int LastLineNo() const { return lines_.LineNo(); }
    // The writers before this one, settled before a cut is counted.
    void SetEarlier(std::vector<TCutWriter*> earlier) { earlier_ = std::move(earlier); }
    // Opens the file and numbers a new line; nothing when it cannot be stored (reported). A
    // number past the 32-bit range is held at its top; the collection refuses such a cut.
    std::optional<int> NewLine();
    // The line NewLine opened.
    bool BeginLine(int) override { return lines_.Recording(); }
    bool Write(const TCut& cut) override;
    void EndLine() override { lineHadCut_ = lines_.EndLine(); }
    // Index of the record of the last cut written.
    int LastIndex() const { return lines_.Count() - 1; }
    // Whether the line ended last got a cut.
    bool LineHadCut() const { return lineHadCut_; }

  private:
    bool SettleEarlier();

    TSokusenColl& lines_;
    std::vector<TCutWriter*> earlier_;
    bool lineHadCut_ = false;
};

}  // namespace tidrun
