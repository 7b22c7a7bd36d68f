// A plan view's job in memory, and a paint of it, for the plan view's tests.
#pragma once

#include <QImage>
#include <QPainter>

#include <memory>

#include "planview/chartview.h"
#include "planview/cutstore.h"
#include "planview/paintplan.h"
#include "planview/planscene.h"
#include "platform/messagesink.h"
#include "surveydata/pointcoll.h"
#include "surveydata/sokusencoll.h"

namespace tidrun {

struct Job {
    NullSink sink;
    TKijunColl kijun{sink};
    TTansaColl tansa{sink};
    TIjoColl ijo{sink};
    TMisokuColl misoku{sink};
    TSokusenColl sokusen{sink};
    std::shared_ptr<TCutStore> cuts = std::make_shared<TCutStore>();
    TPlanSources Sources() { return {&kijun, &tansa, &ijo, &misoku, &sokusen, cuts}; }
    void AddCut(const QString& line, double x, double y, int cutNo) {
        TSokusen r{};
        r.X = x;
        r.Y = y;
        r.CutNo = cutNo;
        sokusen.Add(r, line);
    }
};

inline QImage Paint(const TChartView& view, const TPlanScene& scene, TPlanPaintOptions::Mode mode,
                    TPlanLayerCache* cache = nullptr, QImage target = {}, QRect region = {}) {
    if (target.isNull()) target = QImage(view.WidgetSize(), QImage::Format_RGB32);
    QPainter p(&target);
    TPlanPaintOptions o;
    o.Draw = mode;
    o.Cache = cache;
    o.Region = region;
    PaintPlan(p, view, scene, o);
    return target;
}

// Pixels drawn in a (differing from the bare chart) that have no pixel of the same colour
// within one pixel in b.
inline int FarPixels(const QImage& a, const QImage& b, const QImage& bare) {
    int far = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb c = a.pixel(x, y);
            if (b.pixel(x, y) == c || bare.pixel(x, y) == c) continue;
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx)
                    near = b.valid(x + dx, y + dy) && b.pixel(x + dx, y + dy) == c;
            far += near ? 0 : 1;
        }
    return far;
}

}  // namespace tidrun
