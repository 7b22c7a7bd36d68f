// Serial devices as the user chooses them, and a device this user may not open.
#include "platform/portdevices.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tidrun {
namespace {

TEST(PortDevices, DeviceTextNamesPathDescriptionAndMaker) {
    const struct {
        const char *description, *maker, *want;
    } cases[] = {
        {"u-blox GNSS receiver", "u-blox AG", "/dev/ttyUSB0 — u-blox GNSS receiver (u-blox AG)"},
        {"FT232R USB UART", "", "/dev/ttyUSB0 — FT232R USB UART"},
        {"", "FTDI", "/dev/ttyUSB0 — FTDI"},
        {"  ", " ", "/dev/ttyUSB0"},
        {"Prolific", "Prolific", "/dev/ttyUSB0 — Prolific"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PortDeviceText("/dev/ttyUSB0", QString::fromUtf8(c.description),
                                 QString::fromUtf8(c.maker)),
                  QString::fromUtf8(c.want));
}

// A mapped path the system does not list is there when it is a terminal that opens: a
// pseudo-terminal as a GPS simulator gives one, or a link to it (as /dev/serial/by-id/...).
TEST(PortDevices, MappedTerminalThatOpensIsPresent) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    const QString pts = QString::fromLocal8Bit(name);
    ASSERT_TRUE(QFile::link(pts, dir.filePath("ttyGPS")));
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const struct {
        QString path;
        bool present;
    } cases[] = {
        {pts, true},
        {dir.filePath("ttyGPS"), true},
        {dir.filePath("ttyNone"), false},
        {dir.filePath("plain"), false},
        {dir.path(), false},
        {QString(), false},
    };
    for (const auto& c : cases) {
        const std::optional<PortDevice> d = ProbePortDevice(c.path);
        EXPECT_EQ(d.has_value(), c.present) << c.path.toStdString();
        if (d) {
            EXPECT_EQ(*d, (PortDevice{c.path, c.path, true}));
        }
    }
    ::close(slave);
    ::close(master);
    EXPECT_FALSE(ProbePortDevice(dir.filePath("ttyGPS")).has_value()) << "the other end gone";
}

// A real device node would need a real receiver; a file with the same permission bits is
// refused the same way. As root (who may open anything) the check runs as "nobody".
TEST(PortDevices, PermissionProblemNamesTheDeviceAndTheDialoutGroup) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString dev = dir.filePath("ttyUSB7");
    QFile f(dev);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(PortPermissionProblem(dir.filePath("ttyNone")).isEmpty());
    ASSERT_TRUE(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));

    QString problem;
    if (::geteuid() != 0) {
        ASSERT_TRUE(f.setPermissions({}));
        problem = PortPermissionProblem(dev);
    } else {
        ASSERT_TRUE(QFile::setPermissions(dir.path(),
                                          QFile::permissions(dir.path()) | QFileDevice::ExeOther));
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(fds[0]);
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
            const QByteArray text = PortPermissionProblem(dev).toUtf8();
            const ssize_t n = ::write(fds[1], text.constData(), size_t(text.size()));
            ::_exit(n == text.size() ? 0 : 3);
        }
        ::close(fds[1]);
        QByteArray got;
        char buf[512];
        ssize_t n;
        while ((n = ::read(fds[0], buf, sizeof buf)) > 0) got.append(buf, n);
        ::close(fds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        problem = QString::fromUtf8(got);
        EXPECT_TRUE(PortPermissionProblem(dev).isEmpty());  // the owner may
    }
    EXPECT_TRUE(problem.startsWith(dev + QStringLiteral(" を開く権限がありません。")))
        << problem.toStdString();
    EXPECT_TRUE(problem.contains(QStringLiteral("dialout")));
}

}  // namespace
}  // namespace tidrun
