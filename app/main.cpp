// Program entry: one running console per user, the splash screen, the main window.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMetaObject>
#include <QScreen>

#include "console/gui/dialogs/splash.h"
#include "console/gui/mainform.h"
#include "console/gui/programicon.h"
#include "platform/gui/messageboxsink.h"
#include "platform/gui/singleinstance.h"
#include "platform/gui/translations.h"
#include "platform/quitsignals.h"
#include "platform/runtimefolder.h"

int main(int argc, char** argv) {
    // The runtime folder of this user alone holds the single-instance lock and, through
    // XDG_RUNTIME_DIR, the runtime files of the libraries, which would otherwise fall back to
    // the shared temporary folder when the variable is not set (or names a folder that
    // others can write).
    const QString runtime = tidrun::UserRuntimeFolder();
    if (!runtime.isEmpty()) qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tidrun for GPS"));
    QApplication::setApplicationVersion(QStringLiteral(TIDRUN_VERSION));
    tidrun::InstallJapaneseQtTranslations(app);
    // Every window of the program shows its own icon, the splash and the boxes too.
    QApplication::setWindowIcon(tidrun::ProgramIcon());

    if (runtime.isEmpty()) {
        // No folder of this user's alone for the lock (not even in the home folder): a lock
        // elsewhere could be held by another user, and none would let a second console run.
        tidrun::MessageBoxSink sink;
        sink.Error(QStringLiteral("二重起動防止用フォルダが作成できません\r\nﾌｫﾙﾀﾞ名：") +
                   tidrun::PrivateCacheFolder());
        sink.ShowWaiting();
        return 1;
    }
    // A second start ends at once and silently.
    tidrun::SingleInstance instance(tidrun::SingleInstance::DefaultName(), runtime);
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
    // The program ends with its main window, whatever other window is still up.
    QObject::connect(&form, &tidrun::TMainForm::Closed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
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
