// Runs part of a test in a forked child, for what must not touch the test process: a full
// file system, a lower user, a memory measurement. The child reports failures as text.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cerrno>
#include <csignal>
#include <functional>
#include <string>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tidrun::testing {

// Collects failed checks inside a child.
struct ChildChecks {
    std::string failures;
    void Check(bool ok, const std::string& what) {
        if (!ok) failures += what + "\n";
    }
};

// Runs fn in a child process; returns the failures it reported ("" when all went well).
inline std::string InChild(const std::function<void(ChildChecks&)>& fn) {
    int fds[2];
    if (::pipe(fds) != 0) return "pipe failed";
    const pid_t pid = ::fork();
    if (pid < 0) return "fork failed";
    if (pid == 0) {
        ::close(fds[0]);
        ChildChecks checks;
        fn(checks);
        const std::string& out = checks.failures;
        for (size_t done = 0; done < out.size();) {
            const ssize_t n = ::write(fds[1], out.data() + done, out.size() - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string result;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0) result.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) result += "child did not end normally\n";
    return result;
}

// In a child: makes `dir` (an empty folder) a file system that is full once `setup` has
// written its files there. Where the child may mount, a small tmpfs in a mount namespace
// of its own is filled up; otherwise a file-size limit makes every write past `limit`
// bytes of a file fail as it would on a full disk. Returns a description of the way used.
inline std::string MakeFullFileSystem(const QString& dir, const std::function<void()>& setup,
                                      qint64 limit) {
    const QByteArray path = QFile::encodeName(dir);
    if (::unshare(CLONE_NEWNS) == 0 &&
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
        ::mount("tmpfs", path.constData(), "tmpfs", 0, "size=512k") == 0) {
        setup();
        QFile filler(dir + QStringLiteral("/filler"));
        if (filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size()) {
            }
            while (filler.write("x", 1) == 1) {
            }
        }
        return "tmpfs";
    }
    setup();
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit r{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
    ::setrlimit(RLIMIT_FSIZE, &r);
    return "file size limit";
}

// In a child running as root: goes on as an ordinary user, so that file permissions hold.
inline void DropRoot() {
    if (::geteuid() == 0 &&
        (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)) {
        ::_exit(3);
    }
}

// Kilobytes of the process's peak and current resident set, from /proc.
inline qint64 ProcStatusKb(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').front().toLongLong();
    }
    return -1;
}

}  // namespace tidrun::testing
