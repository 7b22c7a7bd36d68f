// Places of the map windows inside the main window's area, decided without a window.
#pragma once

#include <QList>
#include <QRect>
#include <QSize>

namespace tidrun {

// Vertical tiling: the windows side by side, each the full height of the area, the width
// shared out from left to right (the last column takes what the division leaves).
QList<QRect> TileSideBySide(const QSize& area, int count);

// Cascading: each window one step right of and below the one before, all of one size, the
// area less the steps of the others but at least half of it; a window that would reach past
// the area starts again at the top left.
QList<QRect> CascadeFromTopLeft(const QSize& area, int count, int step);

}  // namespace tidrun
