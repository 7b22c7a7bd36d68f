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
#include "tests/dialogs/gui_helpers.h"
#include "tests/receiver/receiver_support.h"

namespace tidrun {
namespace {

using test::Pty;
using test::Sentence;
using testing::WaitFor;

QString ProgramPath() {
    return QFileInfo(QStringLiteral(TIDRUN_TOOL_PATH)).dir().filePath("../app/tidrun");
}

QByteArray Gga(int sec) {
    return Sentence("GPGGA,0030" + QByteArray::number(sec % 60).rightJustified(2, '0') +
                    ".00,3536.0000,N,13950.0000,E,4,12,0.8,3.181,M,36.700,M,1.0,0001");
}

// An X server of its own (Xvfb), and xdotool run against it.
class XServer {
  public:
    bool Start() {
        xvfb_.setProgram(QStandardPaths::findExecutable("Xvfb"));
        // -noreset: the server keeps its state when its last client (xdotool) leaves.
        xvfb_.setArguments(
            {"-displayfd", "1", "-screen", "0", "1600x1000x24", "-nolisten", "tcp", "-noreset"});
        xvfb_.start();
        if (!xvfb_.waitForStarted(10000)) return false;
        if (!WaitFor([&] { return xvfb_.canReadLine() || xvfb_.state() != QProcess::Running; },
                     20000))
            return false;
        const QByteArray n = xvfb_.readLine().trimmed();
        if (n.isEmpty()) return false;
        display_ = ":" + QString::fromLatin1(n);
        // Ready when a client is served.
        return WaitFor([&] { return !Tool({"getdisplaygeometry"}).isEmpty(); }, 20000);
    }
    // What the X server said and whether it still runs, for a failure's message.
    std::string State() {
        return "X server " + display_.toStdString() +
               (xvfb_.state() == QProcess::Running ? " running" : " gone") + ", said " +
               xvfb_.readAllStandardError().toStdString();
    }
    ~XServer() {
        xvfb_.terminate();
        if (!xvfb_.waitForFinished(5000)) xvfb_.kill();
        xvfb_.waitForFinished(5000);
    }
    const QString& Display() const { return display_; }
    QString Tool(const QStringList& args) const {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display_);
        p.setProcessEnvironment(env);
        p.start(QStandardPaths::findExecutable("xdotool"), args);
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
    // The name of every top-level window whose name contains `part`, by window id.
    QStringList WindowsNamed(const QString& part) const {
        QStringList ids = Tool({"search", "--name", part}).split('\n', Qt::SkipEmptyParts);
        return ids;
    }
    QString NameOf(const QString& id) const { return Tool({"getwindowname", id}); }
    // Focuses the first window named `part` and presses keys there.
    bool Keys(const QString& part, const QStringList& keys) const {
        QString id;
        if (!WaitFor(
                [&] {
                    const QStringList ids = WindowsNamed(part);
                    if (ids.isEmpty()) return false;
                    id = ids.last();
                    return true;
                },
                30000))
            return false;
        Tool({"windowfocus", "--sync", id});
        QThread::msleep(300);
        Tool(QStringList{"key", "--delay", "150"} + keys);
        return true;
    }
    // With TIDRUN_SHOT_DIR set: a screenshot of the screen, and beside it the title of
    // window `id` as the X server gives it (no window manager draws title bars here).
    void Shot(const QString& name, const QString& id) const {
        const QString dir = qEnvironmentVariable("TIDRUN_SHOT_DIR");
        const QString import = QStandardPaths::findExecutable("import");
        if (dir.isEmpty() || import.isEmpty()) return;
        QDir().mkpath(dir);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display_);
        p.setProcessEnvironment(env);
        p.start(import, {"-window", "root", QDir(dir).filePath(name)});
        p.waitForFinished(20000);
        QFile title(QDir(dir).filePath(name + ".title.txt"));
        if (title.open(QIODevice::WriteOnly)) title.write(NameOf(id).toUtf8() + '\n');
    }

  private:
    QProcess xvfb_;
    QString display_;
};

TEST(RealConsoleUnderX11, TitleFollowsTheReceiverThroughUnplugAndReplug) {
    if (QStandardPaths::findExecutable("Xvfb").isEmpty() ||
        QStandardPaths::findExecutable("xdotool").isEmpty())
        GTEST_SKIP() << "needs Xvfb and xdotool (scripts/deps.sh installs them)";
    if (!QFileInfo::exists(ProgramPath())) GTEST_SKIP() << "tidrun not built";
    XServer x;
    ASSERT_TRUE(x.Start()) << x.State();

    // The program in a folder of its own, so that its Tidrun.INI is this test's; the demo
    // job in a fresh folder; COM1 a link to the pseudo-terminal.
    QTemporaryDir prog, job, runtime;
    ASSERT_TRUE(prog.isValid() && job.isValid() && runtime.isValid());
    const QString exe = QDir(prog.path()).filePath("tidrun");
    ASSERT_TRUE(QFile::copy(ProgramPath(), exe));
    const QDir demo(QStringLiteral(TIDRUN_SOURCE_DIR "/examples/demo"));
    for (const QString& f : demo.entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(demo.filePath(f), QDir(job.path()).filePath(f)));
    const QString link = QDir(prog.path()).filePath("ttyGPS");
    auto pty = std::make_unique<Pty>();
    ASSERT_TRUE(QFile::link(pty->SlavePath(), link));
    const QString ini = QDir(prog.path()).filePath("Tidrun.INI");
    ASSERT_TRUE(TIniFile(ini).WriteString(QString(), "WORKDIR", job.path()));
    ASSERT_TRUE(TIniFile(ini).WriteString("Ports", "COM1", link));

    QProcess app;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", x.Display());
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    app.setProcessEnvironment(env);
    app.start(exe, {});
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
    const QString cfg = QDir(job.path()).filePath("Tidrun.CFG");
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
