// What the console shows of the receiver's positions, decided without a window: the texts
// of the received-data labels, the coordinate labels and their colour, the watch over the
// flow of positions.
#pragma once

#include <QString>
#include <QTime>

#include <cstdint>
#include <optional>

#include "positioning/depth.h"

namespace tidrun {

struct GpsFix;

// Background of the coordinate labels, 0xRRGGBB: gray for a position that was not measured
// (IsMeasuredFix), teal without a differential fix, else by the age of the differential
// data: red above 10 s, purple above 5 s, blue otherwise.
std::uint32_t PositionColour(int quality, double dgpsAgeSecs, bool measured);
constexpr std::uint32_t kStaleColour = 0x808080;  // gray: no position for a while

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

// Coordinate labels before any position of the open job ("design-time" texts).
inline QString DesignXText() {
    return QStringLiteral("        0.000");
}
inline QString DesignYText() {
    return QStringLiteral("       0.000");
}
// Gray, as an old position: no live colour for what is not a live position.
constexpr std::uint32_t kDesignColour = 0x808080;

struct CoordinateView {
    QString x, y;
    std::uint32_t colour = kDesignColour;
    bool stale = true;  // gray: the texts are not a live position
    bool operator==(const CoordinateView&) const = default;
};

// The coordinate labels. watch follows the open job's receiver (reset at open and close);
// portLost: the port was open and went away; lastX/lastY and liveColour belong to the last
// position of this job (empty texts when none came). A position older than the stale limit,
// or one left from before the port was lost, is shown gray with its age; with no position
// at all the design texts stay gray, with "（測位なし）" once the receiver has been silent
// past the limit or is lost.
CoordinateView CoordinateViewFor(const TFixWatch& watch, bool portLost, const QString& lastX,
                                 const QString& lastY, std::uint32_t liveColour, qint64 nowMs);

// The 測深 window: the depth below the surface "%6.2f m" of the last depth sentence
// ("（水深なし）" when the sounder found no bottom), its kind and age; gray when it is older
// than the stale limit or the port is lost (portLost names it: "測深 COM3 ...").
struct DepthView {
    QString depth, kind, age, port;
    bool stale = true;
    bool operator==(const DepthView&) const = default;
};
// last: nothing before the first depth of the open job; portName: the sounder's port.
DepthView DepthViewFor(const std::optional<TDepthReading>& last, qint64 ageMs, bool portLost,
                       const QString& portName);

}  // namespace tidrun
