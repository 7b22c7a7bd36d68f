#include "console/windowlayout.h"

#include <algorithm>

namespace tidrun {

QList<QRect> TileSideBySide(const QSize& area, int count) {
    QList<QRect> out;
    if (count <= 0 || area.isEmpty()) return out;
    const int w = area.width() / count;
    for (int i = 0; i < count; ++i) {
        const int left = i * w;
        const int width = i == count - 1 ? area.width() - left : w;
        out << QRect(left, 0, width, area.height());
    }
    return out;
}

QList<QRect> CascadeFromTopLeft(const QSize& area, int count, int step) {
    QList<QRect> out;
    if (count <= 0 || area.isEmpty()) return out;
    step = std::max(step, 1);
    const int w = std::max(area.width() - (count - 1) * step, area.width() / 2);
    const int h = std::max(area.height() - (count - 1) * step, area.height() / 2);
    for (int i = 0, k = 0; i < count; ++i, ++k) {
        if (k * step + w > area.width() || k * step + h > area.height()) k = 0;
        out << QRect(k * step, k * step, w, h);
    }
    return out;
}

}  // namespace tidrun
