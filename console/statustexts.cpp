#include "console/statustexts.h"

namespace tidrun {

QString FormatShortDate(const QDate& date) {
    return date.toString(QStringLiteral("yy/MM/dd"));
}

QString FormatShortTime(const QTime& time) {
    return time.toString(QStringLiteral("H:mm:ss"));
}

QString FormatShortDateTime(const QDateTime& dateTime) {
    return FormatShortDate(dateTime.date()) + QLatin1Char(' ') + FormatShortTime(dateTime.time());
}

QString DateLabelText(const QDate& date) {
    static const char16_t* const kDays[] = {u"月", u"火", u"水", u"木", u"金", u"土", u"日"};
    if (!date.isValid()) return QStringLiteral("　");
    return QStringLiteral("%1年%2月%3日(%4)　")
        .arg(date.year())
        .arg(date.month())
        .arg(date.day())
        .arg(QString::fromUtf16(kDays[date.dayOfWeek() - 1]));
}

QString JobTitle(const QString& jobName, const QString& mapDatumText) {
    return BaseTitle() + QStringLiteral("　") + jobName.trimmed() + QStringLiteral("（") +
           mapDatumText + QStringLiteral("）");
}

QString WindowCaption(const QString& caption, const QString& appTitle) {
    if (appTitle.isEmpty()) return caption;
    return appTitle + QStringLiteral(" — ") + caption;
}

QString InfoLineText(const QString& text) {
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("  "));
    return QStringLiteral("　") + out;
}

QString RecordingModeText(int cutMethod, int intervalSecs, double distanceM) {
    switch (cutMethod) {
        case 3:
            return QString::asprintf("%gm", distanceM);
        case 0:
            return QStringLiteral("%1秒").arg(intervalSecs);
        case 1:
            return QStringLiteral("手動");
        case 2:
            return QStringLiteral("ALL");
        default:
            return QStringLiteral("？？？");
    }
}

}  // namespace tidrun
