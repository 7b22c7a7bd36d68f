#include "console/fixview.h"

#include <algorithm>

#include "positioning/depth.h"
#include "positioning/nmea.h"

namespace tidrun {

std::uint32_t PositionColour(int quality, double dgpsAgeSecs, bool measured) {
    if (!measured) return kStaleColour;
    if (quality < 2) return 0x008080;
    if (dgpsAgeSecs > 10) return 0xFF0000;
    if (dgpsAgeSecs > 5) return 0x800080;
    return 0x0000FF;
}

bool MonitorTextsFor(const GpsFix& fix, const QTime& localTime, MonitorTexts& out) {
    const bool ggk = fix.kind == kKindGGK;
    // A GGK with an impossible time was not decoded: its values are the sentence's before.
    if (fix.kind == kKindGGA || (ggk && fix.errorFlag == 0)) {
        out.time = localTime.toString(QStringLiteral("hh:mm:ss"));
        out.lat = QString::asprintf("緯度:%.6f", fix.latitude);
        out.lon = QString::asprintf("経度:%.6f", fix.longitude);
        out.alt = QString::asprintf("高度:%.3f", fix.height());
        out.sat = QString::asprintf("衛星数:%d", fix.satellites);
        out.quality = QString::asprintf("測位状態:%d", fix.quality);
        out.dop = QString::asprintf("DOP:%f", fix.dop);
        out.station =
            ggk ? QStringLiteral("基地局ID:") : QString::asprintf("基地局ID:%d", fix.stationId);
        out.age = ggk ? QStringLiteral("間隔:") : QString::asprintf("間隔:%.1f", fix.dgpsAge);
        return true;
    }
    if (fix.kind == kKindRMC) {
        out.speed = QString::asprintf("速度:%f", fix.speed);
        out.course = QString::asprintf("方向:%f", fix.course);
        return true;
    }
    return false;
}

QString FormatX(double x) {
    return QString::asprintf("%11.3f", x);
}
QString FormatY(double y) {
    return QString::asprintf("%10.3f", y);
}

QString AgeSuffix(qint64 ageMs) {
    const qint64 secs = ageMs / 1000;
    if (secs < 60) return QStringLiteral("（%1秒前）").arg(secs);
    if (secs < 3600) return QStringLiteral("（%1分前）").arg(secs / 60);
    return QStringLiteral("（%1時間前）").arg(secs / 3600);
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

DepthView DepthViewFor(const std::optional<TDepthReading>& last, qint64 ageMs, bool portLost,
                       const QString& portName) {
    DepthView v;
    if (portLost) v.port = QStringLiteral("測深 %1 が切断されました（再接続中）").arg(portName);
    if (!last) {
        v.depth = QStringLiteral("   --.-- m");
        return v;
    }
    v.depth = last->hasBottom ? QString::asprintf("%6.2f m", last->belowSurface)
                              : QStringLiteral("（水深なし）");
    v.kind = QString::fromLatin1(DepthKindName(last->kind));
    const qint64 age = std::max<qint64>(0, ageMs);
    v.age = age < 10000 ? QString::asprintf("%.1f秒前", double(age) / 1000.0)
                        : QStringLiteral("%1秒前").arg(age / 1000);
    v.stale = portLost || age > TFixWatch::kStaleMs;
    return v;
}

}  // namespace tidrun
