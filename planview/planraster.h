// The fast canvas: draws straight into the pixels of an ARGB32 premultiplied image.
// Lines are one pixel wide (Bresenham), symbols are stamped from sprites that the exact
// painter drew once, and a symbol whose centre pixel already holds the same sprite since
// the last change of colour is not stamped again (so a million cuts cost what the pixels
// they fall on cost). Labels and ellipses are queued and drawn through QPainter on Flush.
#pragma once

#include <QFont>
#include <QImage>

#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

#include "planview/series.h"

namespace tidrun {

class TChartView;
class TLineLineSeries;

class TRasterCanvas : public TCanvas {
  public:
    // image: ARGB32_Premultiplied; nothing is drawn outside clip.
    TRasterCanvas(QImage& image, const QRect& clip, const QFont& font);
    void Line(QPoint a, QPoint b, TColour colour) override;
    void Symbol(QPoint p, const TSymbol& symbol, TColour fill) override;
    void Label(QPoint p, const QString& text, const TMarks& marks) override;
    void Ellipse(const QRectF& pixels, TColour pen) override;
    // Draws what was queued.
    void Flush();

    // A series as Draw would, with recorded lines walked chunk by chunk over the cut
    // store: chunks outside the window are skipped, chunks wholly inside need no clipping.
    // Point series are stamped; other line series go through QPainter on the image.
    void DrawSeries(const TChartSeries& series, const TChartView& view);

  private:
    struct Sprite {
        int x0, y0, w, h;               // bounding box relative to the centre
        std::vector<std::uint32_t> px;  // w * h premultiplied pixels, 0 = transparent
        std::uint64_t signature;
    };
    const Sprite& SpriteFor(const TSymbol& s, TColour fill);
    void Stamp(QPoint p, const Sprite& sprite);
    void Use(std::uint64_t signature) {
        if (signature != signature_) {
            signature_ = signature;
            ++epoch_;
        }
    }
    void DrawLine(int x0, int y0, int x1, int y1, std::uint32_t argb);
    void DrawRecordedLine(const TLineLineSeries& s, const TChartView& view);

    QImage& image_;
    std::uint32_t* bits_;
    int stride_;  // in pixels
    QRect clip_;
    QFont font_;
    std::vector<std::uint32_t> stamps_;  // epoch of the last stamp centred on each pixel
    std::uint32_t epoch_ = 1;
    std::uint64_t signature_ = 0;
    std::map<std::tuple<int, int, int, TColour, TColour>, Sprite> sprites_;
    struct Queued {
        bool ellipse;
        QPoint p;
        QRectF r;
        QString text;
        TMarks marks;
        TColour colour;
    };
    std::vector<Queued> queued_;
};

}  // namespace tidrun
