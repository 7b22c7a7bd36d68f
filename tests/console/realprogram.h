// The real program: where the build put it, and an X server of its own (Xvfb) to run it
// under, driven by xdotool as a user drives it with keys.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <string>

#include "surveydata/inifile.h"
#include "tests/dialogs/gui_helpers.h"

namespace tidrun::testing {

// The program is built beside the tool: <build>/app/tidrun.
inline QString ProgramPath() {
    return QFileInfo(QStringLiteral(TIDRUN_TOOL_PATH)).dir().filePath("../app/tidrun");
}

// Why the real program cannot be run under an X server here; empty when it can.
inline std::string CannotRunUnderX11() {
    if (QStandardPaths::findExecutable("Xvfb").isEmpty() ||
        QStandardPaths::findExecutable("xdotool").isEmpty())
        return "needs Xvfb and xdotool (scripts/deps.sh installs them)";
    if (!QFileInfo::exists(ProgramPath())) return "tidrun not built";
    return {};
}

// The program copied into a folder of its own, so that its Tidrun.INI is the test's; the
// demo job in a fresh work folder, preset there; a runtime folder of its own for the lock.
struct DemoConsole {
    QTemporaryDir prog, job, runtime;
    QString exe;
    bool Prepare() {
        if (!prog.isValid() || !job.isValid() || !runtime.isValid()) return false;
        exe = QDir(prog.path()).filePath("tidrun");
        if (!QFile::copy(ProgramPath(), exe)) return false;
        const QDir demo(QStringLiteral(TIDRUN_SOURCE_DIR "/examples/demo"));
        for (const QString& f : demo.entryList(QDir::Files))
            if (!QFile::copy(demo.filePath(f), QDir(job.path()).filePath(f))) return false;
        return TIniFile(Ini()).WriteString(QString(), "WORKDIR", job.path());
    }
    QString Ini() const { return QDir(prog.path()).filePath("Tidrun.INI"); }
    // The environment of the program on that X server.
    QProcessEnvironment Environment(const QString& display) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display);
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        return env;
    }
};

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

}  // namespace tidrun::testing
