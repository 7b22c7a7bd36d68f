// The information texts a click on a point of the plan hands to the main window's
// information line, and the text of the step between two guide-line points.
#pragma once

#include <QString>

#include <optional>

#include "surveydata/pointcoll.h"
#include "surveydata/sokusencoll.h"

namespace tidrun {

// The highlighted guide point, for texts that say how far a point is from it. An index
// that does not name a reference point gives an empty name and azimuth and distance 0.
struct TGuideRef {
    bool valid = false;
    QString name;
    double x = 0, y = 0;
};
TGuideRef GuideRefOf(const TKijunColl& refs, int guideIndex);

// "%s\r\n\nＸ＝ %f\r\nＹ＝ %f", then "\r\n" + extra when there is one, then, when a guide
// point is highlighted, "\r\n\n誘導点「%s」から\r\n<azimuth>\r\n%f ｍ".
QString InfoText(const QString& title, double x, double y, const std::optional<QString>& extra,
                 const std::optional<TGuideRef>& guide);

QString ReferenceInfo(const TKijun& p);
QString BuoyInfo(const TIjo& p, const std::optional<TGuideRef>& guide);
QString MarkInfo(const TMisoku& p, const std::optional<TGuideRef>& guide);
// Cut `cut` (0-based in its line) of the line whose first record is `firstRecord`.
QString CutInfo(const TSokusenColl& cuts, int firstRecord, int cut);
// "次の点まで\r\n角度 %s\r\n距離 %f ｍ" from (x0, y0) to (x1, y1).
QString GuideStepText(double x0, double y0, double x1, double y1);

}  // namespace tidrun
