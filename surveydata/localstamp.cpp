#include "surveydata/localstamp.h"

namespace tidrun {

namespace {

constexpr qint64 kHourMs = 3600000;
constexpr qint64 kDayMs = 24 * kHourMs;
constexpr qint64 kLastMs = 253402300799999;  // 9999-12-31 23:59:59.999 UTC

qint64 OffsetMsAt(qint64 utcMs) {
    return qint64{QDateTime::fromMSecsSinceEpoch(utcMs).offsetFromUtc()} * 1000;
}

char16_t* Digits(char16_t* p, unsigned value, int count) {
    for (int i = count - 1; i >= 0; --i) {
        p[i] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    }
    return p + count;
}

}  // namespace

void TLocalStamp::AppendTo(QString& out, const QDateTime& time) {
    if (time.isValid()) AppendTo(out, time.toMSecsSinceEpoch());
}

void TLocalStamp::AppendTo(QString& out, qint64 utcMs) {
    const qint64 hour = utcMs >= 0 ? utcMs / kHourMs : -1;
    if (hour != hour_ && hour >= 0) {
        hour_ = hour;
        offsetMs_ = OffsetMsAt(hour * kHourMs);
        steady_ = OffsetMsAt(hour * kHourMs + kHourMs - 1) == offsetMs_;
    }
    const qint64 local = utcMs + offsetMs_;
    if (hour < 0 || !steady_ || local < 0 || utcMs > kLastMs || local > kLastMs) {
        out += QDateTime::fromMSecsSinceEpoch(utcMs).toString(
            QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        return;
    }
    // The civil date of a day count from 1970-01-01 (days of 400-year eras from 0000-03-01).
    const qint64 days = local / kDayMs;
    unsigned msOfDay = static_cast<unsigned>(local % kDayMs);
    const qint64 z = days + 719468;
    const qint64 era = z / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned day = doy - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    const unsigned year = static_cast<unsigned>(yoe + era * 400) + (month <= 2);

    char16_t text[23];
    char16_t* p = Digits(text, year, 4);
    *p++ = u'-';
    p = Digits(p, month, 2);
    *p++ = u'-';
    p = Digits(p, day, 2);
    *p++ = u' ';
    p = Digits(p, msOfDay / 3600000, 2);
    msOfDay %= 3600000;
    *p++ = u':';
    p = Digits(p, msOfDay / 60000, 2);
    msOfDay %= 60000;
    *p++ = u':';
    p = Digits(p, msOfDay / 1000, 2);
    *p++ = u'.';
    Digits(p, msOfDay % 1000, 3);
    out.append(QStringView(text, 23));
}

}  // namespace tidrun
