// Receive times as the job files write them, "yyyy-MM-dd HH:mm:ss.zzz" in the computer's
// local time, the same text QDateTime::toString gives, at a small part of its cost: the
// local offset is asked once per hour of UTC and the digits are written by hand. An hour in
// which the offset changes, and times before 1970 or after 9999, go through QDateTime.
#pragma once

#include <QDateTime>
#include <QString>

#include <limits>

namespace tidrun {

class TLocalStamp {
  public:
    // Appends the 23 characters of the instant; nothing for an invalid time.
    void AppendTo(QString& out, const QDateTime& time);
    void AppendTo(QString& out, qint64 utcMs);

  private:
    qint64 hour_ = std::numeric_limits<qint64>::min();  // the UTC hour held
    qint64 offsetMs_ = 0;                               // its local offset
    bool steady_ = false;                               // the offset holds the whole hour
};

}  // namespace tidrun
