// The time-tagged raw log: every sentence of the GPS receiver and of the sounder, one line
// each in <folder>/Raw<yyyyMMdd>.log (the local day it arrived):
//   yyyy-MM-dd HH:mm:ss.zzz TAB source TAB sentence CR LF
// in code page 932, so that latency can be corrected afterwards. Times never decrease
// within a file. Each line is handed to the system at once and put on the disk at least
// once a second, off the GUI thread (TSentenceLog); a failure is reported once and the log
// switched off.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>

#include "positioning/sentencelog.h"

namespace tidrun {

class MessageSink;

enum class TRawSource { GPS, Sounder };

class TRawLog {
  public:
    explicit TRawLog(MessageSink& sink) : log_(sink) {}
    // Starts logging into folder (made when missing); Stop ends it.
    void Start(const QString& folder);
    void Stop();
    bool On() const { return on_; }
    // The file of a local day.
    QString PathOf(const QDate& day) const;

    // One sentence (its line end is dropped) received at receivedUtcMs (ms since the
    // epoch, UTC). False when the log is off or the write failed.
    bool Write(TRawSource source, QByteArrayView sentence, qint64 receivedUtcMs);

  private:
    TSentenceLog log_;
    QString folder_;
    bool on_ = false;
    QDate day_;
    qint64 lastMs_ = 0;
    QByteArray line_;  // reused for each line
};

}  // namespace tidrun
