#include "positioning/localday.h"

#include <QDateTime>
#include <QTime>

#include <algorithm>

namespace tidrun {

LocalDay::Date LocalDay::At(qint64 utcMs) {
    if (utcMs >= validFrom_ && utcMs < validTo_) return cached_;
    const QDateTime now = QDateTime::fromMSecsSinceEpoch(utcMs);  // local time
    cached_.date = now.date();
    cached_.utcOffsetSecs = now.offsetFromUtc();
    const qint64 dayStart = QDateTime(cached_.date, QTime(0, 0)).toMSecsSinceEpoch();
    const qint64 nextDay = QDateTime(cached_.date.addDays(1), QTime(0, 0)).toMSecsSinceEpoch();
    validFrom_ = std::min(dayStart, utcMs);
    validTo_ = std::clamp(nextDay, utcMs + 1, utcMs + kOffsetRecheckMs);
    return cached_;
}

}  // namespace tidrun
