// ファイル → エクスポート... through the main window: the dialog's choices follow the
// format, and the export it starts writes the chosen kinds beside the chosen name.
#ifdef TIDRUN_EXPORT
#include "console/gui/exportdlg.h"
#include "console/gui/mainform.h"

#include "surveydata/codec.h"
#include "surveydata/config.h"
#include "tests/console/jobfiles.h"
#include "tests/console/named_child.h"
#include "tests/dialogs/gui_helpers.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace tidrun {
namespace {

using testing::BoxCloser;
using testing::OnModal;

QCheckBox* Box(QWidget* dlg, const QString& text) {
    for (QCheckBox* b : dlg->findChildren<QCheckBox*>()) {
        if (b->text() == text) return b;
    }
    ADD_FAILURE() << "no check box " << text.toStdString();
    return nullptr;
}

TEST(MainFormExport, DialogChoicesAndTheExportItStarts) {
    QTemporaryDir prog, work, out;
    const QString workDir = work.path();
    ASSERT_TRUE(WriteCp932LinesAtomic(QDir(workDir).filePath("KIJUN.DAT"),
                                      {QStringLiteral("基準1 -67895.365 3158.766 2.839")}));
    ASSERT_TRUE(WriteCp932LinesAtomic(
        QDir(workDir).filePath("CHOSA.DAT"),
        {QStringLiteral("A1 -68000 3000 1 0"), QStringLiteral("A2 -67000 3000 1 0"),
         QStringLiteral("A3 -67000 4000 1 0")}));
    ASSERT_TRUE(WriteCp932LinesAtomic(QDir(workDir).filePath("SOKUSEN.DAT"), {}));
    ASSERT_TRUE(WriteCp932LinesAtomic(QDir(workDir).filePath("MARK.DAT"), {}));
    ASSERT_TRUE(WriteCp932LinesAtomic(QDir(workDir).filePath("SETUHYO.DAT"),
                                      {QStringLiteral("設標01 -67563.159 3512.585 灯浮標")}));
    TJobSettings settings;
    settings.Zone = QStringLiteral("9系");
    NameJobFiles(settings);
    ASSERT_TRUE(settings.Store(QDir(workDir).filePath("Tidrun.CFG")));
    RecordingSink sink;
    TMainForm form(sink, prog.path());
    ASSERT_FALSE(Act(form, "actFileExport")->isEnabled());  // no job yet
    AnswerOpenDialogs(form, workDir, sink);
    form.show();
    form.FileOpen();
    ASSERT_TRUE(Act(form, "actFileExport")->isEnabled());

    // Each format: the file name's extension, and whether WGS84 is a choice and its state.
    struct Choice {
        int format;
        const char* extension;
        bool wgsEnabled, wgsChecked;
    };
    const Choice choices[] = {{3, "kml", false, true},
                              {5, "dxf", false, false},
                              {0, "gpkg", true, false},
                              {4, "gpx", false, true},
                              {1, "geojson", true, true}};  // the last kept from GPX
    const QString target = out.filePath("job.gpkg");
    BoxCloser boxes;
    auto modal = OnModal<TExportDlg>([&](TExportDlg* d) {
        auto* file = d->findChild<QLineEdit*>();
        auto* format = d->findChild<QComboBox*>();
        file->setText(target);
        QCheckBox* wgs = Box(d, QStringLiteral("緯度経度（WGS84）で出力"));
        for (const Choice& c : choices) {
            format->setCurrentIndex(c.format);
            EXPECT_EQ(file->text(), out.filePath(QStringLiteral("job.") + c.extension));
            EXPECT_EQ(wgs->isEnabled(), c.wgsEnabled) << c.extension;
            EXPECT_EQ(wgs->isChecked(), c.wgsChecked) << c.extension;
        }
        wgs->setChecked(false);
        for (const char* kind : {"測線", "カット", "水深", "調査区域", "マーク"}) {
            Box(d, QString::fromUtf8(kind))->setChecked(false);
        }
        d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    Act(form, "actFileExport")->trigger();
    EXPECT_TRUE(sink.entries.empty()) << sink.Texts().join(" | ").toStdString();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_TRUE(boxes.seen[0].text.startsWith(QStringLiteral("2個のファイルに書き出しました")));
    QFile buoys(out.filePath("job_buoy_points.geojson"));
    ASSERT_TRUE(buoys.open(QIODevice::ReadOnly));
    const QByteArray json = buoys.readAll();
    EXPECT_TRUE(json.contains(QStringLiteral("灯浮標").toUtf8()));
    EXPECT_TRUE(json.contains("EPSG::6677"));  // plane zone 9, WGS84 left off
    EXPECT_TRUE(QFile::exists(out.filePath("job_reference_points.geojson")));
    EXPECT_EQ(QDir(out.path())
                  .entryList(QDir::Files | QDir::Hidden | QDir::AllDirs | QDir::NoDotAndDotDot)
                  .size(),
              2);
}

}  // namespace
}  // namespace tidrun
#endif
