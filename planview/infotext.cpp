#include "planview/infotext.h"

#include <cmath>

#include "planview/angles.h"

namespace tidrun {

TGuideRef GuideRefOf(const TKijunColl& refs, int guideIndex) {
    TGuideRef g;
    if (guideIndex < 0 || guideIndex >= refs.Count()) return g;
    const TKijun& k = refs.Item(guideIndex);
    g.valid = true;
    g.name = k.Name;
    g.x = k.X;
    g.y = k.Y;
    return g;
}

QString InfoText(const QString& title, double x, double y, const std::optional<QString>& extra,
                 const std::optional<TGuideRef>& guide) {
    QString text = title + QString::asprintf("\r\n\nＸ＝ %f\r\nＹ＝ %f", x, y);
    if (extra) text += QStringLiteral("\r\n") + *extra;
    if (guide) {
        QString azimuth;
        double distance = 0;
        if (guide->valid) {
            azimuth = AngleText(AzimuthPacked(guide->x, guide->y, x, y));
            distance = std::hypot(x - guide->x, y - guide->y);
        }
        text += QStringLiteral("\r\n\n誘導点「%1」から\r\n%2\r\n")
                    .arg(guide->valid ? guide->name : QString(), azimuth) +
                QString::asprintf("%f ｍ", distance);
    }
    return text;
}

QString ReferenceInfo(const TKijun& p) {
    return InfoText(QStringLiteral("基準点「%1」").arg(p.Name), p.X, p.Y,
                    QString::asprintf("Ｚ＝ %f", p.Z), std::nullopt);
}

QString BuoyInfo(const TIjo& p, const std::optional<TGuideRef>& guide) {
    return InfoText(QStringLiteral("設標点「%1」").arg(p.Name), p.X, p.Y,
                    QStringLiteral("( %1 )").arg(p.Note), guide);
}

QString MarkInfo(const TMisoku& p, const std::optional<TGuideRef>& guide) {
    return InfoText(p.Name, p.X, p.Y, std::nullopt, guide);
}

QString CutInfo(const TSokusenColl& cuts, int firstRecord, int cut) {
    const int record = firstRecord + cut;
    if (record < 0 || record >= cuts.Count()) return {};
    const TSokusen& r = cuts.Item(record);
    QString extra;
    if (cut > 0) {
        const TSokusen& prev = cuts.Item(record - 1);
        extra = QString::asprintf("間隔 %f ｍ", std::hypot(r.X - prev.X, r.Y - prev.Y));
    }
    // One arg() for both: a % in the line name must not be taken for a place marker.
    extra += QStringLiteral("\r\n\n測線 %1\r\nｶｯﾄ  %2")
                 .arg(cuts.LineName(record), QString::number(cut + 1));
    return InfoText(QStringLiteral("収録点 %1").arg(record), r.X, r.Y, extra, std::nullopt);
}

QString GuideStepText(double x0, double y0, double x1, double y1) {
    return QStringLiteral("次の点まで\r\n角度 %1\r\n")
               .arg(AngleText(AzimuthPacked(x0, y0, x1, y1))) +
           QString::asprintf("距離 %f ｍ", std::hypot(x1 - x0, y1 - y0));
}

}  // namespace tidrun
