// The real program started twice: the second start ends at once and silently.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/dialogs/gui_helpers.h"

namespace {

QString ProgramPath() {
    // The program is built beside the tool: <build>/app/tidrun.
    return QFileInfo(QStringLiteral(TIDRUN_TOOL_PATH)).dir().filePath("../app/tidrun");
}

TEST(SecondInstance, EndsAtOnceWhileTheFirstRuns) {
    if (!QFileInfo::exists(ProgramPath())) GTEST_SKIP() << "tidrun not built";
    QTemporaryDir runtime;  // the lock lives here, apart from a console the user runs
    ASSERT_TRUE(runtime.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(ProgramPath(), {});
    ASSERT_TRUE(first.waitForStarted());
    // Holding the lock: a file appears in the runtime folder.
    ASSERT_TRUE(tidrun::testing::WaitFor(
        [&] { return !QDir(runtime.path()).entryList(QDir::Files).isEmpty(); }, 30000));

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(ProgramPath(), {});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_EQ(first.state(), QProcess::Running);

    first.kill();
    first.waitForFinished(10000);
}

}  // namespace
