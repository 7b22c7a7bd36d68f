// The planned line: the line through a pivot at an angle, cut to a box, its parallel moves
// and the two offset lines the map windows draw beside it. The guidance and the map windows
// share this routine so that what is steered by is what is drawn.
#pragma once

#include "planview/mapmessages.h"

namespace tidrun {

// Cuts segment s to the box (X0..X1, Y0..Y1 in either order), bounds included. False when
// nothing is left; s is then unchanged.
bool ClipToBox(TRulerRect& s, const TRulerRect& box);

// The planned line through (pivotX, pivotY) at thetaDegrees (from X towards Y), moved
// sideways by k metres, from one side of the extent to the other and cut to it. All zero
// when the line misses the extent.
TRulerRect PlannedLineSegment(double pivotX, double pivotY, double thetaDegrees,
                              const TRulerRect& extent, double k);

// The two lines of the same direction through the middle of the segment, moved by -width
// and +width. Shown only for a positive width and a segment that is not all zero.
struct TOffsetLines {
    bool shown = false;
    TRulerRect left, right;
};
TOffsetLines PlannedLineOffsets(const TRulerRect& segment, const TRulerRect& extent,
                                double thetaDegrees, double width);

}  // namespace tidrun
