// The real program under an X server with a disk that takes no more writes (a file-size
// limit on the running program): 閉じる says once that the settings could not be written and
// the console stays usable; at 終了 the same box comes and, once it is closed, the program
// has ended (before, it lived on unseen and held the lock, so the next start ended at once).
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>

#include "tests/console/realprogram.h"
#include "tests/dialogs/gui_helpers.h"

namespace tidrun {
namespace {

using testing::DemoConsole;
using testing::WaitFor;
using testing::XServer;

// The message boxes on screen: visible windows with the program's own title.
QStringList Boxes(const XServer& x) {
    return x.Tool({"search", "--onlyvisible", "--name", "^Tidrun for GPS$"})
        .split('\n', Qt::SkipEmptyParts);
}

// Waits for a box that was not up before, presses `key` in it and waits until it is gone
// (with TIDRUN_SHOT_DIR set, a screenshot `shot` is taken of it first).
bool AnswerNewBox(const XServer& x, const QStringList& before, const QString& key,
                  const QString& shot = {}) {
    QString box;
    const bool up = WaitFor(
        [&] {
            for (const QString& id : Boxes(x))
                if (!before.contains(id)) box = id;
            return !box.isEmpty();
        },
        30000);
    if (!up) return false;
    x.Tool({"windowfocus", "--sync", box});
    QThread::msleep(300);
    if (!shot.isEmpty()) x.Shot(shot, box);
    x.Tool({"key", key});
    return WaitFor([&] { return !Boxes(x).contains(box); }, 30000);
}

bool LimitFileSize(qint64 pid, rlim_t bytes) {
    const rlimit r{bytes, RLIM_INFINITY};
    return ::prlimit(static_cast<pid_t>(pid), RLIMIT_FSIZE, &r, nullptr) == 0;
}

TEST(RealConsoleUnderX11, AFullDiskAtCloseAndAtExitIsSaidOnceAndTheProgramEnds) {
    if (const std::string why = testing::CannotRunUnderX11(); !why.empty()) GTEST_SKIP() << why;
    XServer x;
    ASSERT_TRUE(x.Start()) << x.State();
    DemoConsole demo;
    ASSERT_TRUE(demo.Prepare());
    ASSERT_TRUE(TIniFile(demo.Ini())
                    .WriteString("Ports", "COM1",
                                 "replay:" + QDir(demo.job.path()).filePath("track.nmea")));

    QProcess app;
    app.setProcessEnvironment(demo.Environment(x.Display()));
    // A write past the limit fails as on a full disk instead of ending the program.
    app.setChildProcessModifier([] { std::signal(SIGXFSZ, SIG_IGN); });
    app.start(demo.exe, {});
    ASSERT_TRUE(app.waitForStarted(10000));
    const QString job = QStringLiteral("東京湾");
    auto open = [&] {
        return x.Keys(QStringLiteral("作業フォルダの選択"), {"Return"}) &&
               x.Keys(QStringLiteral("初期設定"), {"Return"}) &&
               WaitFor([&] { return !x.WindowsNamed(job).isEmpty(); }, 30000);
    };
    ASSERT_TRUE(open()) << x.State() << "; the console "
                        << (app.state() == QProcess::Running ? "runs" : "ended");
    const QStringList quiet = Boxes(x);

    // 閉じる on a full disk: one box, then the console is closed and still answers.
    ASSERT_TRUE(LimitFileSize(app.processId(), 1));
    ASSERT_TRUE(x.Keys(job, {"alt+f", "c"}));
    ASSERT_TRUE(AnswerNewBox(x, quiet, "Return", "close-full-disk.png"));
    WaitFor([] { return false; }, 1000);
    EXPECT_EQ(Boxes(x), quiet);
    ASSERT_EQ(app.state(), QProcess::Running);
    ASSERT_TRUE(LimitFileSize(app.processId(), RLIM_INFINITY));
    ASSERT_TRUE(x.Keys(QStringLiteral("Tidrun Zzz"), {"alt+f", "o"}));
    ASSERT_TRUE(open());

    // 終了 on a full disk: the question, the box, and then the program has ended.
    ASSERT_TRUE(LimitFileSize(app.processId(), 1));
    ASSERT_TRUE(x.Keys(job, {"alt+f", "x"}));
    ASSERT_TRUE(AnswerNewBox(x, quiet, "Return"));                        // 終了しますか: Yes
    ASSERT_TRUE(AnswerNewBox(x, quiet, "Return", "exit-full-disk.png"));  // 設定ファイル…
    EXPECT_TRUE(app.waitForFinished(20000)) << "the program lives on after its last box";
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
    if (app.state() != QProcess::NotRunning) {
        app.kill();
        app.waitForFinished(10000);
    }
}

}  // namespace
}  // namespace tidrun
