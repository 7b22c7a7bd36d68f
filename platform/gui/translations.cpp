#include "platform/gui/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tidrun {

bool InstallJapaneseQtTranslations(QCoreApplication& app) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    // Dates and sizes in those dialogs read as Japanese too (our own texts format with
    // fixed formats and do not follow the default locale).
    QLocale::setDefault(japanese);
    bool base = false;
    // qtbase holds the dialogs and buttons; the others add the serial port's and the sound
    // module's own messages where they are installed.
    for (const char* catalogue : {"qtbase", "qtserialport", "qtmultimedia"}) {
        auto* t = new QTranslator(&app);
        if (t->load(japanese, QLatin1String(catalogue), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(t);
            if (QLatin1String(catalogue) == QLatin1String("qtbase")) base = true;
        } else {
            delete t;
        }
    }
    return base;
}

}  // namespace tidrun
