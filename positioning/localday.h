// The local calendar date of an instant, kept between calls for as long as it is sure to
// hold: building a local date from the clock looks up the time zone (microseconds), which a
// receiver handling twenty fixes a second need not pay each time.
#pragma once

#include <QDate>
#include <QtGlobal>

namespace tidrun {

class LocalDay {
  public:
    struct Date {
        QDate date;
        int utcOffsetSecs = 0;  // of the local time at that instant
    };

    // The local date and UTC offset at utcMs (milliseconds since the epoch). Exact at every
    // midnight and when the clock is set back; a change of the UTC offset (summer time) is
    // seen within a minute.
    Date At(qint64 utcMs);

  private:
    static constexpr qint64 kOffsetRecheckMs = 60 * 1000;
    Date cached_;
    qint64 validFrom_ = 0, validTo_ = 0;  // [from, to) in UTC milliseconds
};

}  // namespace tidrun
