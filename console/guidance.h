// Guidance to a buoy point and along the planned line: the offsets, bearing and compass
// angle at every position, the NEWS display, the boat's distance from the planned line with
// its arrow, the planned line's geometry and the entry fields of the planned line and the
// circle ruler. No widgets: the panels show what Update returns.
#pragma once

#include <QString>

#include <optional>

#include "planview/angles.h"
#include "planview/mapmessages.h"

namespace tidrun {

// Angles typed as degrees.minutesseconds (45.3 is 45 deg 30 min) travel as the packed
// integer DDDMMSS (planview/angles.h). The compass label for an angle in radians:
QString CompassAngleText(double radians);

// What an entry field yields and whether it shows the error colour (fuchsia).
struct TFieldValue {
    int value = 0;
    bool bad = false;
    friend bool operator==(const TFieldValue&, const TFieldValue&) = default;
};
// Circle-ruler diameter, metres 1..999: clamped, bad when clamped or not a number.
TFieldValue ParseDiameter(const QString& text);
// Planned-line width and parallel-move step, metres 0..999, as the diameter.
TFieldValue ParseRulerWidth(const QString& text);
// Planned-line angle: text x 10000 truncated to a packed angle; 0 and bad outside
// -3600000..3600000 or when not a number.
TFieldValue ParseRulerAngle(const QString& text);
// The angle field's text for a packed angle set from a map window ("45.3").
QString RulerAngleFieldText(int packed);

struct TPoint2 {
    double X = 0, Y = 0;
};

// North/south and east/west distances to the buoy point.
struct TNewsView {
    bool north = true;  // else south
    bool east = true;   // else west
    double ns = 0;      // |dX|
    double ew = 0;      // |dY|
    friend bool operator==(const TNewsView&, const TNewsView&) = default;
};
TNewsView NewsFor(double dY, double dX);
QString NewsDistanceText(double metres);  // "%9.3f"

struct TGuideView {
    bool hasBuoy = false;  // the buoy displays below are valid
    double dX = 0, dY = 0, distance = 0;
    TNewsView news;
    bool compassChanged = false;  // redraw the compass for compassAngle
    double compassAngle = 0;      // radians, bearing to the buoy relative to the heading
    double rulerOffset = 0;       // signed distance from the planned line (+: +Y side at 0 deg)
    bool leftArrow = true;        // else the right arrow
};
QString DeltaText(double metres);          // "%10.3f"
QString RulerDistanceText(double offset);  // "%6.1f" of |offset|, 9999.9 from 10000 on

class TGuidance {
  public:
    static constexpr double kCompassStep = 0.0872664626;  // 5 degrees in radians

    // Buoy point to steer to; none clears it.
    void SetBuoy(std::optional<TPoint2> buoy) { buoy_ = buoy; }
    // One position: P0 the previous corrected boat position, P1 the new one.
    TGuideView Update(TPoint2 p0, TPoint2 p1);
    double LastCompassAngle() const { return lastCompass_; }
    void ResetCompass() { lastCompass_ = 0; }

    // Planned line. The angle is the packed value of the angle field.
    void SetAnglePacked(int packed) { angleDeg_ = PackedToDegrees(packed); }
    double AngleDegrees() const { return angleDeg_; }
    void SetPivot(TPoint2 p) { pivot_ = p; }
    TPoint2 Pivot() const { return pivot_; }
    void SetExtent(const TRulerRect& e) { extent_ = e; }
    const TRulerRect& Extent() const { return extent_; }
    const TRulerRect& Segment() const { return segment_; }
    // At open: an extent whose X0 and X1 are both 0 becomes the survey area grown by
    // 100 km on every side, with the pivot at its centre. Then recomputes.
    void InitExtent(double minX, double minY, double maxX, double maxY);
    // The segment for the current pivot and angle.
    const TRulerRect& Recompute();
    // Moves the line sideways by k metres and puts the pivot on it (the segment's middle).
    // A line moved out of the extent keeps a pivot moved by k, so that moving back returns.
    const TRulerRect& Move(double k);

  private:
    std::optional<TPoint2> buoy_;
    double lastCompass_ = 0;
    double angleDeg_ = 0;
    TPoint2 pivot_;
    TRulerRect extent_, segment_;
};

}  // namespace tidrun
