// The console's cut writers besides the recording file: the line log, which keeps the
// sentence of every cut of a line in <log folder>/Line<n>.Log, the depth companion file,
// which keeps the sounder's depth of every cut, and the transfer sender, which sends the
// transfer text (its fields filled in) to the transfer port at every cut.
#pragma once

#include <QByteArray>
#include <QPointer>
#include <QString>

#include <optional>

#include "platform/seriallink.h"
#include "positioning/depth.h"
#include "positioning/sentencelog.h"
#include "surveydata/cutwriter.h"
#include "surveydata/depthfile.h"

namespace tidrun {

class MessageSink;

class TLineLogWriter : public TCutWriter {
  public:
    explicit TLineLogWriter(MessageSink& sink) : log_(sink) {}
    // The job's log folder; empty: no line log is written.
    void SetFolder(const QString& folder) { folder_ = folder; }
    const QString& Folder() const { return folder_; }
    // "Line%d.Log" in the folder.
    QString PathOf(int lineNo) const;

    // The line's log is started afresh (an older log of the same number is emptied); a log
    // that cannot be created is reported and the line does not start.
    bool BeginLine(int lineNo) override;
    // A failure is reported once and the log switched off.
    bool Write(const TCut& cut) override;
    void TakeBack() override { log_.TakeBackLastWrite(); }
    void EndLine() override { log_.SetLogMode(TLogMode::lmOff); }

  private:
    TSentenceLog log_;
    QString folder_;
};

// The depth companion of the recording file (depthfile.h). It comes before the recording
// file in the writer list, so it predicts the serial and cut number the recording file will
// give. The depth of a cut is the last one the sounder gave before the position's sentence
// arrived, when it is at most kMaxAgeMs older.
class TDepthCutWriter : public TCutWriter {
  public:
    static constexpr qint64 kMaxAgeMs = 3000;
    // lines: the recording file's collection (its file name places the companion).
    TDepthCutWriter(const TSokusenColl& lines, MessageSink& sink) : lines_(lines), sink_(sink) {}
    // Off (the default): nothing is written and every call succeeds.
    void SetOn(bool on) { on_ = on; }
    bool On() const { return on_; }

    // A reading of the sounder and when it arrived (ms since the epoch, UTC).
    void Depth(const TDepthReading& reading, qint64 receivedUtcMs);
    // The sentence of the next position arrived then.
    void PositionArrived(qint64 receivedUtcMs) { positionMs_ = receivedUtcMs; }
    // The depth a cut at the next position gets and its age; nothing when none is due.
    std::optional<double> DepthForCut() const;

    // Opens the companion file (a torn last line gets its line end); a file that cannot
    // be opened is reported and the line does not start.
    bool BeginLine(int lineNo) override;
    // The row appended and its sync started, to run while the recording file syncs; Settle
    // waits for it. A failure of either is reported once.
    bool Write(const TCut& cut) override;
    bool Settle() override;
    void TakeBack() override;
    void EndLine() override;

  private:
    bool Fail();
    QString Path() const;

    const TSokusenColl& lines_;
    MessageSink& sink_;
    TDepthWriter file_;
    bool on_ = false;
    int cutNo_ = 0;         // cuts of the line written here
    bool syncing_ = false;  // the last row's sync runs
    std::optional<TDepthReading> last_;
    qint64 lastMs_ = 0;
    qint64 positionMs_ = 0;
};

// At a job's open, with the recording file loaded: reads its companion, repairs a torn last
// line when depth is recorded (depthOn), and returns the one message for cuts without a row
// (or for a companion that cannot be read); empty when all is well. read, when given, is
// the companion as the open read it (its path the recording's), which is then not read again.
QString CheckDepthCompanion(const TSokusenColl& lines, bool depthOn,
                            const TDepthCompanion* read = nullptr);

class TTransferWriter : public TCutWriter {
  public:
    // lines gives a counted cut's numbers; depth, when given, its depth.
    explicit TTransferWriter(const TSokusenColl& lines, const TDepthCutWriter* depth = nullptr)
        : lines_(lines), depth_(depth) {}
    // The port is not owned; nullptr or empty text: nothing is sent. The text (code page
    // 932) may hold the fields of transfertemplate.h; one without a brace is sent as it is.
    void SetTarget(SerialLink* port, const QByteArray& text);
    bool BeginLine(int) override { return true; }
    // A full send buffer or a lost port drops the text: the cut is stored all the same.
    bool Write(const TCut& cut) override;
    void EndLine() override {}

  private:
    const TSokusenColl& lines_;
    const TDepthCutWriter* depth_;
    QPointer<SerialLink> port_;
    QByteArray text_;
    QString template_;  // the text decoded, when it holds a brace
};

}  // namespace tidrun
