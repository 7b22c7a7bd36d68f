// The main window driven as a user meets it: a work folder of code page 932 files on disk,
// a receiver on a pseudo-terminal, the real widgets on the offscreen platform. Shared by the
// main window's test files.
#pragma once

#include "console/gui/mainform.h"

#include "console/gui/coordpanel.h"
#include "console/gui/cutpanel.h"
#include "console/gui/gpspanel.h"
#include "console/gui/guidepanel.h"
#include "console/gui/rulertoolbar.h"

#include "console/gui/dialogs/setupform.h"
#include "planview/gui/mapform.h"
#include "platform/gui/numericedit.h"
#include "platform/gui/restoredgeometry.h"
#include "positioning/gps.h"
#include "surveydata/codec.h"
#include "surveydata/config.h"
#include "surveydata/inifile.h"
#include "surveydata/pointcoll.h"
#include "tests/console/named_child.h"
#include "tests/dialogs/gui_helpers.h"
#include "tests/receiver/receiver_support.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable failure messages for the values these tests compare.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height();
}

namespace tidrun {

// A GGA off Tokyo Bay (zone 9) with a chosen fix quality and differential age.
inline QByteArray Gga(int sec, int quality, double dgpsAge) {
    return test::Sentence("GPGGA,0030" + QByteArray::number(sec).rightJustified(2, '0') +
                          ".00,3523.4241,N,13952.1641,E," + QByteArray::number(quality) +
                          ",12,0.8,3.181,M,36.700,M," + QByteArray::number(dgpsAge, 'f', 1) +
                          ",0001");
}

class MainFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        cwd_ = QDir::currentPath();
        ASSERT_TRUE(prog.isValid() && work.isValid());
        workDir = work.path();
        WriteLines("KIJUN.DAT", {QStringLiteral("基準1 -67895.365 3158.766 2.839"),
                                 QStringLiteral("基準2 -67662.567 3139.242 3.043")});
        WriteLines("CHOSA.DAT",
                   {QStringLiteral("A1 -68000 3000 1 0"), QStringLiteral("A2 -67000 3000 1 0"),
                    QStringLiteral("A3 -67000 4000 1 0")});
        WriteLines("SETUHYO.DAT", {QStringLiteral("設標01 -67563.159 3512.585 灯浮標")});
        WriteLines("MARK.DAT", {QStringLiteral("-67396.604   3875.884 障害物 1")});
        WriteLines("SOKUSEN.DAT", {});
        settings.JobName = QStringLiteral("テスト工事");
        settings.Zone = QStringLiteral("9系");
        // Relative names are taken from the work folder, whatever the current folder is.
        settings.KijunFile = QStringLiteral("KIJUN.DAT");
        settings.TansaFile = QStringLiteral("CHOSA.DAT");
        settings.IjoFile = QDir(workDir).filePath("SETUHYO.DAT");
        settings.SokusenFile = QDir(workDir).filePath("SOKUSEN.DAT");
        settings.MisokuFile = QDir(workDir).filePath("MARK.DAT");
        settings.MapColor = QStringLiteral("Navy");
        ASSERT_TRUE(settings.Store(Cfg()));
    }
    void TearDown() override {
        form.reset();
        QDir::setCurrent(cwd_);
    }

    QString Cfg() const { return QDir(workDir).filePath("Tidrun.CFG"); }
    QString Ini() const { return TidrunIniPath(prog.path()); }
    void WriteLines(const QString& name, const QStringList& lines) {
        ASSERT_TRUE(WriteCp932LinesAtomic(QDir(workDir).filePath(name), lines));
    }
    void MapCom1(const QString& target) {
        ASSERT_TRUE(TIniFile(Ini()).WriteString(QStringLiteral("Ports"), "COM1", target));
    }

    TMainForm& MakeForm() {
        form = std::make_unique<TMainForm>(sink, prog.path());
        form->SetFolderChooser([this](const QString& preset) -> std::optional<QString> {
            presets << preset;
            return chosen;
        });
        form->SetSettingsRunner([this](TJobSettings& s, const QString& cfg) {
            ++settingsRuns;
            if (!acceptSettings) return false;
            s.Load(cfg);
            return s.Accept(cfg, sink);
        });
        form->SetClock([this] { return now; });
        form->resize(1200, 800);
        form->show();
        return *form;
    }
    // Opens the work folder with COM1 on a fresh pseudo-terminal.
    TMainForm& OpenWithPty() {
        pty = std::make_unique<test::Pty>();
        MapCom1(pty->SlavePath());
        chosen = workDir;
        TMainForm& f = MakeForm();
        f.FileOpen();
        return f;
    }
    static QString Text(TMainForm& f, const char* label) {
        auto* l = f.findChild<QLabel*>(QLatin1String(label));
        return l ? l->text() : QStringLiteral("<missing>");
    }
    static QColor Background(QLabel* l) { return l->palette().color(QPalette::Window); }

    QTemporaryDir prog, work;
    QString workDir;
    TJobSettings settings;
    RecordingSink sink;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<test::Pty> pty;
    std::optional<QString> chosen;
    QStringList presets;
    bool acceptSettings = true;
    int settingsRuns = 0;
    qint64 now = 0;

  private:
    QString cwd_;
};

}  // namespace tidrun
