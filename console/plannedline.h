// The planned line clipped to its extent, and the parallel move of the line.
// The map windows draw the same segment; both sides use this routine until the plan view's
// own copy takes its place (one function to swap).
#pragma once

#include "planview/mapmessages.h"

namespace tidrun {

// The segment of the line through (pivotX, pivotY) with angle thetaDeg (measured from the
// X axis toward the Y axis), moved sideways by k metres (+k toward +Y for theta 0), clipped
// to extent. All zeros when the line misses the extent.
TRulerRect PlannedLineSegment(const TRulerRect& extent, double pivotX, double pivotY,
                              double thetaDeg, double k);

// Clips the segment a-b to the box (corners in any order); false when nothing is left.
bool ClipSegment(const TRulerRect& box, TRulerRect& segment);

}  // namespace tidrun
