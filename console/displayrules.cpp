#include "console/displayrules.h"

#include <algorithm>

#include "console/mainlogic.h"

namespace tidrun {

QString WindowCaption(const QString& caption, const QString& appTitle) {
    if (appTitle.isEmpty()) return caption;
    return appTitle + QStringLiteral(" — ") + caption;
}

CoordinateView CoordinateViewFor(const TFixWatch& watch, bool portLost, const QString& lastX,
                                 const QString& lastY, std::uint32_t liveColour, qint64 nowMs) {
    const bool hasPosition = watch.HasPosition() && !lastX.isEmpty() && !lastY.isEmpty();
    const bool silent = watch.Stale(nowMs) || portLost;
    CoordinateView v;
    if (!hasPosition) {
        v.x = DesignXText();
        v.y = DesignYText();
        if (silent) {
            v.x += QStringLiteral(" （測位なし）");
            v.y += QStringLiteral(" （測位なし）");
        }
        return v;
    }
    v.x = lastX;
    v.y = lastY;
    if (!silent) {
        v.colour = liveColour;
        v.stale = false;
        return v;
    }
    const QString suffix = QStringLiteral(" ") + AgeSuffix(watch.Age(nowMs));
    v.x += suffix;
    v.y += suffix;
    v.colour = kStaleColour;
    return v;
}

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
