#include "console/gui/dialogs/splash.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QtMath>

namespace tidrun {

namespace {

void DrawCompass(QPainter& p, const QPointF& c, double r) {
    p.save();
    p.setPen(QPen(QColor(200, 220, 240), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r, r);
    p.drawEllipse(c, r * 0.72, r * 0.72);
    for (int i = 0; i < 36; ++i) {
        const double a = qDegreesToRadians(i * 10.0);
        const double inner = (i % 9 == 0) ? r * 0.78 : r * 0.9;
        p.drawLine(QPointF(c.x() + inner * std::sin(a), c.y() - inner * std::cos(a)),
                   QPointF(c.x() + r * std::sin(a), c.y() - r * std::cos(a)));
    }
    // Four-pointed star, the north point red.
    for (int i = 0; i < 4; ++i) {
        const double a = qDegreesToRadians(i * 90.0);
        const double side = qDegreesToRadians(45.0);
        const QPointF tip(c.x() + r * 0.7 * std::sin(a), c.y() - r * 0.7 * std::cos(a));
        const QPointF l(c.x() + r * 0.16 * std::sin(a - side),
                        c.y() - r * 0.16 * std::cos(a - side));
        const QPointF rr(c.x() + r * 0.16 * std::sin(a + side),
                         c.y() - r * 0.16 * std::cos(a + side));
        QPainterPath path;
        path.moveTo(tip);
        path.lineTo(l);
        path.lineTo(c);
        path.lineTo(rr);
        path.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(i == 0 ? QColor(220, 50, 40) : QColor(230, 235, 240));
        p.drawPath(path);
    }
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(static_cast<int>(r * 0.22));
    p.setFont(f);
    p.setPen(QColor(230, 235, 240));
    p.drawText(QRectF(c.x() - r * 0.3, c.y() - r * 1.0 - r * 0.32, r * 0.6, r * 0.3),
               Qt::AlignCenter, QStringLiteral("N"));
    p.restore();
}

void DrawBoat(QPainter& p, const QPointF& at, double w) {
    p.save();
    p.translate(at);
    // Hull
    QPainterPath hull;
    hull.moveTo(-w * 0.5, 0);
    hull.lineTo(w * 0.5, 0);
    hull.lineTo(w * 0.38, w * 0.16);
    hull.lineTo(-w * 0.42, w * 0.16);
    hull.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 240, 235));
    p.drawPath(hull);
    p.setBrush(QColor(200, 60, 50));
    p.drawRect(QRectF(-w * 0.44, w * 0.1, w * 0.84, w * 0.04));
    // Cabin and mast with the antenna
    p.setBrush(QColor(230, 232, 236));
    p.drawRect(QRectF(-w * 0.22, -w * 0.14, w * 0.3, w * 0.14));
    p.setBrush(QColor(60, 90, 130));
    p.drawRect(QRectF(-w * 0.18, -w * 0.11, w * 0.08, w * 0.05));
    p.drawRect(QRectF(-w * 0.07, -w * 0.11, w * 0.08, w * 0.05));
    p.setPen(QPen(QColor(230, 232, 236), 2));
    p.drawLine(QPointF(w * 0.0, -w * 0.14), QPointF(w * 0.0, -w * 0.3));
    p.setBrush(QColor(230, 232, 236));
    p.drawEllipse(QPointF(w * 0.0, -w * 0.32), w * 0.025, w * 0.025);
    p.restore();
}

}  // namespace

TSplash::TSplash(const QString& version)
    : QSplashScreen(Render(version.isEmpty() ? QCoreApplication::applicationVersion() : version),
                    Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Splash"));
}

QPixmap TSplash::Render(const QString& version, const QSize& size) {
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = size.width();
    const double h = size.height();

    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0.0, QColor(10, 40, 80));
    sky.setColorAt(0.62, QColor(20, 90, 130));
    sky.setColorAt(0.63, QColor(0, 110, 120));
    sky.setColorAt(1.0, QColor(0, 70, 85));
    p.fillRect(QRectF(0, 0, w, h), sky);

    // Waves and the survey track behind the boat
    p.setPen(QPen(QColor(120, 200, 210, 140), 1.2));
    for (int row = 0; row < 4; ++row) {
        const double y = h * 0.7 + row * h * 0.07;
        QPainterPath wave;
        wave.moveTo(0, y);
        for (double x = 0; x <= w; x += 24)
            wave.quadTo(x + 6, y - 4, x + 12, y), wave.quadTo(x + 18, y + 4, x + 24, y);
        p.drawPath(wave);
    }
    p.setPen(QPen(QColor(255, 220, 80), 1.5, Qt::DashLine));
    p.drawLine(QPointF(w * 0.06, h * 0.66), QPointF(w * 0.34, h * 0.66));

    DrawBoat(p, QPointF(w * 0.44, h * 0.62), w * 0.26);
    DrawCompass(p, QPointF(w * 0.8, h * 0.36), h * 0.2);

    QFont title = p.font();
    title.setBold(true);
    title.setPixelSize(static_cast<int>(h * 0.11));
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(w * 0.06, h * 0.08, w * 0.6, h * 0.18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Tidrun for GPS"));

    QFont sub = p.font();
    sub.setBold(false);
    sub.setPixelSize(static_cast<int>(h * 0.06));
    p.setFont(sub);
    p.setPen(QColor(200, 225, 245));
    p.drawText(QRectF(w * 0.06, h * 0.27, w * 0.6, h * 0.1), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("測量船 航法・収録コンソール"));
    p.drawText(QRectF(w * 0.06, h * 0.87, w * 0.88, h * 0.1), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Version ") + version);

    p.setPen(QPen(QColor(255, 255, 255, 90), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1, 1, w - 2, h - 2));
    return pixmap;
}

void TSplash::ShowFor(int ms) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    show();
    raise();
    QTimer::singleShot(ms, this, &QWidget::close);
}

void TSplash::ShowAndWait(int ms) {
    ShowFor(ms);
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    close();
}

}  // namespace tidrun
