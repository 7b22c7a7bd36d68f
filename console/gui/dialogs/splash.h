// The splash screen shown while the main window starts: drawn, on top, centred.
#pragma once

#include <QPixmap>
#include <QSize>
#include <QSplashScreen>
#include <QString>

namespace tidrun {

class TSplash : public QSplashScreen {
    Q_OBJECT
  public:
    static constexpr int kShowMs = 2000;

    // Version text under the title; empty: the application's version.
    explicit TSplash(const QString& version = {});

    static QPixmap Render(const QString& version, const QSize& size = QSize(460, 280));

    // Shows the splash centred on the primary screen and keeps processing events until
    // `ms` have passed, then closes it.
    void ShowAndWait(int ms = kShowMs);
    // Shows it and returns at once; it closes itself after `ms`.
    void ShowFor(int ms = kShowMs);
};

}  // namespace tidrun
