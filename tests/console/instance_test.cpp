// The real program started twice: the second start ends at once and silently, wherever
// the lock lies.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

#include "tests/console/realprogram.h"
#include "tests/dialogs/gui_helpers.h"

namespace {

using tidrun::testing::ProgramPath;

// The lock lies in the runtime folder named by XDG_RUNTIME_DIR when that is private.
// Without one (none named, or one another user could write) it lies in a folder of this
// user's alone, the same for both starts, never in the shared temporary folder.
TEST(SecondInstance, EndsAtOnceWhileTheFirstRuns) {
    if (!QFileInfo::exists(ProgramPath())) GTEST_SKIP() << "tidrun not built";
    const bool sessionFolder = QFileInfo(QStringLiteral("/run/user/%1").arg(::geteuid())).isDir();
    struct Case {
        const char* what;
        bool firstNamesRuntime;  // XDG_RUNTIME_DIR of the first: the private runtime folder
        bool secondNamesShared;  // XDG_RUNTIME_DIR of the second: the shared folder
    };
    const Case cases[] = {
        {"a private runtime folder named", true, false},
        {"none named, then one everyone may write", false, true},
    };
    for (const Case& c : cases) {
        if (!c.firstNamesRuntime && sessionFolder) continue;  // /run/user/<uid> would serve
        QTemporaryDir runtime, home, shared;
        ASSERT_TRUE(runtime.isValid() && home.isValid() && shared.isValid());
        ASSERT_TRUE(QFile::setPermissions(runtime.path(), QFileDevice::Permissions(0x7700)));
        ASSERT_TRUE(QFile::setPermissions(shared.path(), QFileDevice::Permissions(0x7777)));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("XDG_CACHE_HOME");
        env.insert("HOME", home.path());
        env.insert("TMPDIR", shared.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        if (c.firstNamesRuntime)
            env.insert("XDG_RUNTIME_DIR", runtime.path());
        else
            env.remove("XDG_RUNTIME_DIR");
        const QString folder =
            c.firstNamesRuntime ? runtime.path() : QDir(home.path()).filePath(".cache/tidrun");
        const QString lock = QDir(folder).filePath("Tidrun_Mutex.lock");

        QProcess first;
        first.setProcessEnvironment(env);
        first.start(ProgramPath(), {});
        ASSERT_TRUE(first.waitForStarted());
        ASSERT_TRUE(tidrun::testing::WaitFor([&] { return QFileInfo::exists(lock); }, 30000))
            << c.what << ": the console " << (first.state() == QProcess::Running ? "runs" : "ended")
            << ", said " << first.readAllStandardError().toStdString();
        EXPECT_EQ(QFileInfo(folder).permissions() & QFileDevice::Permissions(0x7777),
                  QFileDevice::Permissions(0x7700))
            << c.what;

        if (c.secondNamesShared) env.insert("XDG_RUNTIME_DIR", shared.path());
        QProcess second;
        second.setProcessEnvironment(env);
        second.start(ProgramPath(), {});
        ASSERT_TRUE(second.waitForFinished(30000)) << c.what;
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit) << c.what;
        EXPECT_EQ(second.exitCode(), 0) << c.what;
        EXPECT_TRUE(second.readAllStandardOutput().isEmpty()) << c.what;
        EXPECT_EQ(first.state(), QProcess::Running) << c.what;
        EXPECT_EQ(QDir(shared.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList())
            << c.what;

        first.kill();
        first.waitForFinished(10000);
    }
}

}  // namespace
