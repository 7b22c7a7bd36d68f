// The main window's rules that need no window: display formats, colours, titles, the
// conversion parameters handed to the receiver, and the watch over the position flow.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <cstdint>
#include <optional>

namespace tidrun {

struct GpsFix;

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

// The information line: a full-width space, then the text with each CR LF as two spaces.
QString InfoLineText(const QString& text);

// Background of the coordinate labels, 0xRRGGBB: gray for a position that was not measured
// (IsMeasuredFix), teal without a differential fix, else by the age of the differential
// data: red above 10 s, purple above 5 s, blue otherwise.
std::uint32_t PositionColour(int quality, double dgpsAgeSecs, bool measured);
constexpr std::uint32_t kStaleColour = 0x808080;  // gray: no position for a while

// Recording mode panel: "%d秒" (自動), "手動", "ALL" (全データ), "？？？" otherwise.
QString RecordingModeText(int cutMethod, int intervalSecs);

// Datum-table indexes and zone handed to the receiver.
struct ConversionParams {
    int gpsDatumMode = 0;  // source datum
    int shiftMode = 0;     // target (map) datum
    int zone = 0;          // 0..18
};
ConversionParams ConversionFor(int gpsDatumIndex, int mapDatumIndex, bool newShift, int zoneIndex);

// Texts of the received-data labels after one sentence.
struct MonitorTexts {
    QString time, lat, lon, alt, sat, quality, dop, station, age;  // position sentences
    QString speed, course;                                         // course sentences
};
// Fills the position texts (GGA, or a GGK that decoded: the station and the age of the
// differential data stay empty, as it carries neither), or the course texts (RMC); false for
// other sentences. localTime is the fix time on the local-time entry of the datum table.
bool MonitorTextsFor(const GpsFix& fix, const QTime& localTime, MonitorTexts& out);

// Coordinate label text "%11.3f" / "%10.3f".
QString FormatX(double x);
QString FormatY(double y);
// Appended to the coordinate labels while the last position is old: "（12秒前）".
QString AgeSuffix(qint64 ageMs);

// Watches the flow of positions: stale when nothing arrived for more than 3 s while the
// port is connected.
class TFixWatch {
  public:
    static constexpr qint64 kStaleMs = 3000;
    void Connected(qint64 nowMs) {
        connected_ = true;
        since_ = nowMs;
    }
    void Disconnected() { connected_ = false; }
    void Position(qint64 nowMs) { last_ = nowMs; }
    bool IsConnected() const { return connected_; }
    // Milliseconds since the last position (or since the connection when none came yet).
    qint64 Age(qint64 nowMs) const { return nowMs - (last_ ? *last_ : since_); }
    bool HasPosition() const { return last_.has_value(); }
    bool Stale(qint64 nowMs) const { return connected_ && Age(nowMs) > kStaleMs; }

  private:
    bool connected_ = false;
    qint64 since_ = 0;
    std::optional<qint64> last_;
};

}  // namespace tidrun
