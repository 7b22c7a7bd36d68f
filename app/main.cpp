// Program entry: one running console per user, the splash screen, the main window.
#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QMetaObject>
#include <QScreen>

#include "console/dialogs/splash.h"
#include "console/gui/programicon.h"
#include "console/mainform.h"
#include "platform/gui/messageboxsink.h"
#include "platform/gui/singleinstance.h"
#include "platform/gui/translations.h"
#include "platform/quitsignals.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tidrun for GPS"));
    QApplication::setApplicationVersion(QStringLiteral(TIDRUN_VERSION));
    tidrun::InstallJapaneseQtTranslations(app);
    // Every window of the program shows its own icon, the splash and the boxes too.
    QApplication::setWindowIcon(tidrun::ProgramIcon());

    // A second start ends at once and silently.
    tidrun::SingleInstance instance;
    if (!instance.TryAcquire()) return 0;

    tidrun::MessageBoxSink sink;
    tidrun::TMainForm form(sink, QCoreApplication::applicationDirPath());
    sink.SetWindow(&form);
    // The end of the desktop session closes as 終了 does, without asking, so that the
    // job's values are stored; any dialog still open ends with the event loops.
    tidrun::TQuitSignals quitSignals;
    auto endSession = [&form] {
        form.EndSession();
        QCoreApplication::quit();
    };
    QObject::connect(&quitSignals, &tidrun::TQuitSignals::Received, &form, endSession);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form, endSession);
    {
        tidrun::TSplash splash;
        splash.ShowAndWait(tidrun::TSplash::kShowMs);
    }
    // Maximised; the geometry also holds where no window manager maximises (Xvfb).
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        form.setGeometry(screen->availableGeometry());
    form.showMaximized();
    QMetaObject::invokeMethod(&form, &tidrun::TMainForm::StartUp, Qt::QueuedConnection);
    return app.exec();
}
