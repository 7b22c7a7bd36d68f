// Colours of depth on the plan: a ramp from shallow (light yellow) to deep (dark blue)
// whose lightness falls steadily, so that it reads the same to colour-blind eyes and in
// gray print.
#pragma once

#include <QRgb>

#include <optional>
#include <vector>

namespace tidrun {

struct TDepthRange {
    float shallow = 0, deep = 1;  // metres; shallow < deep
};

// The colour of a depth within the range; depths outside take the nearer end.
QRgb DepthRampColour(float depth, const TDepthRange& range);

// The cuts on the plan take one of kDepthLevels steps of the ramp, so that neighbouring cuts
// of a like depth share a colour and are drawn as one run: step 0 is the shallow end's
// colour, the last step the deep end's.
inline constexpr int kDepthLevels = 64;
int DepthLevel(float depth, const TDepthRange& range);
QRgb DepthLevelColour(int level, const TDepthRange& range);

// The range of the depths given (NaN entries are no depth); nothing when none has one. A
// single depth gets half a metre either side, so the ramp still has a span.
std::optional<TDepthRange> DepthRangeOf(const std::vector<float>& depths);

// A range the user typed: both numbers, shallow above or at 0 and below deep.
std::optional<TDepthRange> TypedDepthRange(double shallow, double deep);

}  // namespace tidrun
