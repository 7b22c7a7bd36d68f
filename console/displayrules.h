// What the main window shows about the receiver and its windows, decided without a window:
// the caption the window system shows, the look of the coordinate labels, and the places
// of side-by-side map windows.
#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>

namespace tidrun {

class TFixWatch;

// The main window's caption as the window system shows it: the application title
// ("未接続", "準備中...", "計測中", "Tidrun Zzz", ...) in front of the window caption, so that
// a taskbar or window list that cuts the caption still shows the state; nothing in front
// when the application title is empty.
QString WindowCaption(const QString& caption, const QString& appTitle);

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

// Vertical tiling: the windows side by side, each the full height of the area, the width
// shared out from left to right (the last column takes what the division leaves).
QList<QRect> TileSideBySide(const QSize& area, int count);

// Cascading: each window one step right of and below the one before, all of one size, the
// area less the steps of the others but at least half of it; a window that would reach past
// the area starts again at the top left.
QList<QRect> CascadeFromTopLeft(const QSize& area, int count, int step);

}  // namespace tidrun
