// The console's cut writers besides the recording file: the line log, which keeps the
// sentence of every cut of a line in <log folder>/Line<n>.Log, and the transfer sender,
// which sends the fixed transfer text to the transfer port at every cut.
#pragma once

#include <QByteArray>
#include <QPointer>
#include <QString>

#include "platform/seriallink.h"
#include "positioning/sentencelog.h"
#include "surveydata/cutwriter.h"

namespace tidrun {

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

class TTransferWriter : public TCutWriter {
  public:
    // The port is not owned; nullptr or empty text: nothing is sent.
    void SetTarget(SerialLink* port, const QByteArray& text);
    bool BeginLine(int) override { return true; }
    // A full send buffer or a lost port drops the text: the cut is stored all the same.
    bool Write(const TCut&) override;
    void EndLine() override {}

  private:
    QPointer<SerialLink> port_;
    QByteArray text_;
};

}  // namespace tidrun
