// The texts of the main window that are not about a position: dates and times, the window
// and application titles, the information line, the recording mode.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace tidrun {

// Program-wide short date "yy/MM/dd" and short time "H:mm:ss".
QString FormatShortDate(const QDate& date);
QString FormatShortTime(const QTime& time);
QString FormatShortDateTime(const QDateTime& dateTime);
// The date label: "2026年12月8日(火)" followed by a full-width space.
QString DateLabelText(const QDate& date);

// Window caption of an open job: "Tidrun for GPS　<job>（<map datum>）".
QString JobTitle(const QString& jobName, const QString& mapDatumText);
inline QString BaseTitle() {
    return QStringLiteral("Tidrun for GPS");
}
// Application (taskbar) titles.
inline QString IdleAppTitle() {
    return QStringLiteral("Tidrun Zzz");
}
inline QString DisconnectedAppTitle() {
    return QStringLiteral("未接続");
}
// The transfer port (named as in the settings, "COM2") is lost.
inline QString OutputLostAppTitle(const QString& outPort) {
    return QStringLiteral("転送 %1 未接続").arg(outPort);
}

// The main window's caption as the window system shows it: the application title
// ("未接続", "準備中...", "計測中", "Tidrun Zzz", ...) in front of the window caption, so that
// a taskbar or window list that cuts the caption still shows the state; nothing in front
// when the application title is empty.
QString WindowCaption(const QString& caption, const QString& appTitle);

// The information line: a full-width space, then the text with each CR LF as two spaces.
QString InfoLineText(const QString& text);

// Recording mode panel: "%d秒" (自動), "手動", "ALL" (全データ), "%gm" (距離), "？？？"
// otherwise.
QString RecordingModeText(int cutMethod, int intervalSecs, double distanceM = 0);

}  // namespace tidrun
