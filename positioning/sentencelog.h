// A log of received sentences: the line log of a recorded line (the sentence of each cut) and
// the calibration log (each sample's numbers and its sentence). Whoever uses a sentence
// writes it; the receiver itself writes nothing.
#pragma once

#include "positioning/backgroundsync.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <string_view>

namespace tidrun {

class MessageSink;

enum class TLogMode { lmOff, lmOn, lmAppend };

class TSentenceLog {
  public:
    // Failures are reported to sink, which must outlive the log.
    explicit TSentenceLog(MessageSink& sink) : sink_(sink) {}
    ~TSentenceLog();  // switches the log off (closing the file)
    TSentenceLog(const TSentenceLog&) = delete;
    TSentenceLog& operator=(const TSentenceLog&) = delete;

    TLogMode LogMode() const { return logMode_; }
    // A log file is never opened through a symbolic link (nor a pipe without a reader):
    // such a name is reported as a file that cannot be created.
    void SetLogMode(TLogMode mode);
    QString LogFile() const { return logFile_; }
    void SetLogFile(const QString& name);
    // Appends text to the open log unchanged (no line end added) and flushes it. False when
    // the log is off or the write failed; a failure is reported once and switches it off.
    bool Write(std::string_view text);
    bool Write(const QByteArray& text) { return Write(std::string_view(text.data(), text.size())); }
    // Takes the last Write off the file again (what was written after it too). A failure is
    // reported as a failed write.
    void TakeBackLastWrite();

  private:
    bool OpenLogFile(TLogMode mode);
    void CloseLogFile();
    bool SyncLog();
    void WriteFailed();  // reported once, the log switched off

    MessageSink& sink_;
    TLogMode logMode_ = TLogMode::lmOff;
    QString logFile_ = QStringLiteral("GPS.LOG");
    QFile log_;
    qint64 size_ = 0;          // of the open file, kept here to spare a system call a write
    qint64 lastWriteAt_ = -1;  // the file's size before the last write, -1 none
    QElapsedTimer syncAge_;    // since the log was last sent to the disk
    TBackgroundSync logSync_;  // the once-a-second sync, off the receiver's thread
};

}  // namespace tidrun
