#include "platform/quitsignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#endif

namespace tidrun {

#ifdef Q_OS_UNIX
namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP};

// A signal handler can reach nothing but process-wide state: the write end of the pipe
// that wakes the event loop. Owned by the one live TQuitSignals.
std::atomic<int> gWriteFd{-1};
int gReadFd = -1;
struct sigaction gPrevious[std::size(kSignals)];

extern "C" void OnQuitSignal(int signo) {
    const int saved = errno;
    const int fd = gWriteFd.load();
    const unsigned char byte = static_cast<unsigned char>(signo);
    if (fd >= 0 && ::write(fd, &byte, 1) < 0) {
        // Nothing can be done about it inside a handler; the pipe is non-blocking.
    }
    errno = saved;
}

}  // namespace
#endif

TQuitSignals::TQuitSignals(QObject* parent) : QObject(parent) {
#ifdef Q_OS_UNIX
    if (gWriteFd.load() >= 0) return;
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0) return;
    gReadFd = fds[0];
    gWriteFd.store(fds[1]);
    notifier_ = new QSocketNotifier(gReadFd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TQuitSignals::ReadPipe);
    struct sigaction sa {};
    sa.sa_handler = OnQuitSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &sa, &gPrevious[i]);
#endif
}

TQuitSignals::~TQuitSignals() {
#ifdef Q_OS_UNIX
    if (!notifier_) return;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &gPrevious[i], nullptr);
    const int w = gWriteFd.exchange(-1);
    delete notifier_;
    notifier_ = nullptr;
    ::close(w);
    ::close(gReadFd);
    gReadFd = -1;
#endif
}

void TQuitSignals::ReadPipe() {
#ifdef Q_OS_UNIX
    unsigned char bytes[16];
    ssize_t n;
    while ((n = ::read(gReadFd, bytes, sizeof bytes)) > 0)
        for (ssize_t i = 0; i < n; ++i) emit Received(bytes[i]);
#endif
}

}  // namespace tidrun
