#include "console/gui/compass.h"

#include <QPainter>
#include <QPolygon>

#include <cmath>

namespace tidrun {

QImage CompassImage(double angle, const QColor& face) {
    QImage img(100, 100, QImage::Format_RGB32);
    img.fill(face);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black));
    p.setBrush(QColor(0x00, 0x00, 0xFF));
    p.drawEllipse(0, 0, 99, 99);
    // The arrow's points (p, q) turned by the angle: x across, y down the image.
    static const int kArrow[4][2] = {{-45, 0}, {40, 20}, {20, 0}, {40, -20}};
    const double c = std::cos(angle), s = std::sin(angle);
    QPolygon poly;
    for (const auto& a : kArrow) {
        const double pp = a[0], q = a[1];
        poly << QPoint(50 + static_cast<int>(std::trunc(q * c - pp * s)),
                       50 + static_cast<int>(std::trunc(pp * c + q * s)));
    }
    p.setBrush(QColor(0xFF, 0xFF, 0x00));
    p.drawPolygon(poly);
    return img;
}

}  // namespace tidrun
