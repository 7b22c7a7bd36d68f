// The real program under an X server, a pseudo-terminal as its GPS port: the window title
// read from the X server through open, unplug, replug, 閉じる and the end of the session.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

#include "surveydata/codec.h"
#include "surveydata/config.h"
#include "surveydata/inifile.h"
#include "tests/console/realprogram.h"
#include "tests/dialogs/gui_helpers.h"
#include "tests/receiver/receiver_support.h"

namespace tidrun {
namespace {

using test::Pty;
using test::Sentence;
using testing::DemoConsole;
using testing::WaitFor;
using testing::XServer;

QByteArray Gga(int sec) {
    return Sentence("GPGGA,0030" + QByteArray::number(sec % 60).rightJustified(2, '0') +
                    ".00,3536.0000,N,13950.0000,E,4,12,0.8,3.181,M,36.700,M,1.0,0001");
}

TEST(RealConsoleUnderX11, TitleFollowsTheReceiverThroughUnplugAndReplug) {
    if (const std::string why = testing::CannotRunUnderX11(); !why.empty()) GTEST_SKIP() << why;
    XServer x;
    ASSERT_TRUE(x.Start()) << x.State();

    // The program in a folder of its own, so that its Tidrun.INI is this test's; the demo
    // job in a fresh folder; COM1 a link to the pseudo-terminal.
    DemoConsole demo;
    ASSERT_TRUE(demo.Prepare());
    const QString link = QDir(demo.prog.path()).filePath("ttyGPS");
    auto pty = std::make_unique<Pty>();
    ASSERT_TRUE(QFile::link(pty->SlavePath(), link));
    ASSERT_TRUE(TIniFile(demo.Ini()).WriteString("Ports", "COM1", link));

    QProcess app;
    app.setProcessEnvironment(demo.Environment(x.Display()));
    app.start(demo.exe, {});
    ASSERT_TRUE(app.waitForStarted(10000));

    // As a newcomer: keep the preset folder, accept the settings.
    ASSERT_TRUE(x.Keys(QStringLiteral("作業フォルダの選択"), {"Return"}))
        << x.State() << "; the console " << (app.state() == QProcess::Running ? "runs" : "ended")
        << ", said " << app.readAllStandardError().toStdString();
    ASSERT_TRUE(x.Keys(QStringLiteral("初期設定"), {"Return"}));
    QString main;
    ASSERT_TRUE(WaitFor(
        [&] {
            for (const QString& id : x.WindowsNamed(QStringLiteral("東京湾"))) main = id;
            return !main.isEmpty();
        },
        30000));
    int sec = 0;
    // Feeds positions until the title satisfies `want` (or a generous time has passed).
    auto titleBecomes = [&](const std::function<bool(const QString&)>& want, bool feed) {
        return WaitFor(
            [&] {
                if (feed && pty) pty->Write(Gga(sec++));
                QThread::msleep(feed ? 200 : 50);
                return want(x.NameOf(main));
            },
            30000);
    };
    const QString caption = QStringLiteral("Tidrun for GPS　東京湾 深浅測量（デモ）（世界測地系）");
    auto live = [&](const QString& t) { return t.startsWith(caption); };
    auto lost = [&](const QString& t) {
        return t.startsWith(QStringLiteral("未接続 — ") + caption);
    };
    EXPECT_TRUE(titleBecomes(live, true)) << x.NameOf(main).toStdString();

    pty.reset();  // unplugged
    ASSERT_TRUE(QFile::remove(link));
    EXPECT_TRUE(titleBecomes(lost, false)) << x.NameOf(main).toStdString();
    QThread::msleep(4000);  // the position has aged
    x.Shot("lost-port-title.png", main);

    pty = std::make_unique<Pty>();
    ASSERT_TRUE(QFile::link(pty->SlavePath(), link));
    EXPECT_TRUE(titleBecomes(live, true)) << x.NameOf(main).toStdString();

    // ﾌｧｲﾙ → 閉じる: the caption of a closed console.
    ASSERT_TRUE(x.Keys(QStringLiteral("東京湾"), {"alt+f", "c"}));
    EXPECT_TRUE(titleBecomes(
        [](const QString& t) { return t == QStringLiteral("Tidrun Zzz — Tidrun for GPS"); }, false))
        << x.NameOf(main).toStdString();
    x.Shot("closed-gray-position.png", main);
    // ﾌｧｲﾙ → 開く again: live once positions flow.
    ASSERT_TRUE(x.Keys(QStringLiteral("Tidrun for GPS"), {"alt+f", "o"}));
    QThread::msleep(1000);
    x.Shot("folder-chooser-ja.png", main);
    ASSERT_TRUE(x.Keys(QStringLiteral("作業フォルダの選択"), {"Return"}));
    ASSERT_TRUE(x.Keys(QStringLiteral("初期設定"), {"Return"}));
    EXPECT_TRUE(titleBecomes(live, true)) << x.NameOf(main).toStdString();
    // The exit question, Japanese buttons (left unanswered: the session ends over it).
    ASSERT_TRUE(x.Keys(QStringLiteral("東京湾"), {"alt+f", "x"}));
    QThread::msleep(1500);
    x.Shot("exit-question-ja.png", main);

    // The desktop session ends: the job's values and windows are stored, no question.
    // (What 閉じる stored is taken away first, to see it written again.)
    const QString cfg = QDir(demo.job.path()).filePath("Tidrun.CFG");
    const QString firstMap = MapWindowConfig::SectionName(0);
    ASSERT_TRUE(TIniFile(cfg).EraseSection(firstMap));
    ASSERT_TRUE(TIniFile(cfg).WriteString(QStringLiteral("設定"), QStringLiteral("平面図"), "0"));
    ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(20000));
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
    QStringList lines;
    ASSERT_TRUE(ReadCp932Lines(cfg, lines));
    EXPECT_TRUE(TIniFile(cfg).ReadSections().contains(firstMap)) << lines.join('\n').toStdString();
    EXPECT_EQ(TIniFile(cfg).ReadString(QStringLiteral("設定"), QStringLiteral("平面図"), {}), "1");
}

}  // namespace
}  // namespace tidrun
