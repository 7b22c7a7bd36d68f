// The geometry a window has when it is neither minimised nor maximised. Qt keeps it for
// top-level windows only (normalGeometry() is empty for MDI children), so a tracked widget
// remembers it itself, from every move and resize made in the normal state.
#pragma once

#include <QRect>

class QWidget;

namespace tidrun {

// Starts tracking `widget` (the tracker is a child of it). Tracking twice is harmless.
void TrackRestoredGeometry(QWidget* widget);

// Sets the geometry to come back to, for a widget given its place while hidden (before it
// is shown minimised or maximised).
void SetRestoredGeometry(QWidget* widget, const QRect& geometry);

// The last normal-state geometry of a tracked widget; the current geometry while it is
// shown in the normal state (or when it is not tracked).
QRect RestoredGeometry(const QWidget* widget);

}  // namespace tidrun
