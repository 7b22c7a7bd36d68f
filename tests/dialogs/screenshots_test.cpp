// Renders every dialog to PNG files for review when TIDRUN_DIALOG_SHOTS names a folder;
// otherwise only checks that each renders.
#include "console/gui/dialogs/aboutbox.h"
#include "console/gui/dialogs/linedlgform.h"
#include "console/gui/dialogs/setupform.h"
#include "console/gui/dialogs/splash.h"
#include "platform/gui/numericedit.h"
#include "platform/messagesink.h"

#include <QDir>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tidrun {
namespace {

void Save(QWidget& w, const QString& name) {
    w.adjustSize();
    w.show();
    const QImage image = w.grab().toImage();
    EXPECT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 100);
    const QString dir = qEnvironmentVariable("TIDRUN_DIALOG_SHOTS");
    if (!dir.isEmpty()) image.save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

TEST(DialogScreenshots, EveryDialogRenders) {
    RecordingSink sink;
    QTemporaryDir work;
    TSetupForm setup(sink);
    setup.SetPortDescriber([](const QString& name) {
        return name == QStringLiteral("COM1") ? QStringLiteral("COM1 → replay:demo-track.nmea")
                                              : name + QStringLiteral(" → /dev/ttyS1");
    });
    setup.Load(QDir(work.path()).filePath(QStringLiteral("Tidrun.CFG")));
    setup.edtJobName->setText(QStringLiteral("木更津港 深浅測量"));
    setup.edtTansa->setText(QStringLiteral("/home/survey/job/CHOSA.DAT"));
    for (int page = 0; page < setup.PageControl->count(); ++page) {
        setup.PageControl->setCurrentIndex(page);
        Save(setup, QStringLiteral("setup%1").arg(page));
    }
    TLineDlgForm line(sink);
    line.SetLineName(QStringLiteral("No.12"));
    Save(line, QStringLiteral("linedlg"));
    TAboutBox about(1.0, QStringLiteral("1.0.0"));
    Save(about, QStringLiteral("about"));
    TSplash splash(QStringLiteral("1.0.0"));
    Save(splash, QStringLiteral("splash"));
    NumericEdit field(QStringLiteral("#######.###"), 0, 100);
    field.setText(QStringLiteral("150"));
    field.Validate();
    Save(field, QStringLiteral("numeric_error"));
}

}  // namespace
}  // namespace tidrun
