// Helpers of the receiver tests: NMEA sentences with checksums, an in-process link,
// event-loop waits and a pseudo-terminal pair.
#pragma once

#include "platform/seriallink.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tidrun::test {

// "$" + body + "*hh" + CR (+ LF when withLf).
inline QByteArray Sentence(const QByteArray& body, bool withLf = true) {
    unsigned char sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", sum);
    return "$" + body + "*" + hex + (withLf ? "\r\n" : "\r");
}

// Packet as the framer delivers it: without the line feed.
inline QByteArray Packet(const QByteArray& sentence) {
    return sentence.endsWith('\n') ? sentence.left(sentence.size() - 1) : sentence;
}

// A GGA fix off Tokyo Bay (zone 9) at 12:35:<sec> UTC.
inline QByteArray Gga(int sec = 19, int quality = 1) {
    return Sentence(QByteArray("GPGGA,1235") + QByteArray::number(sec).rightJustified(2, '0') +
                    ".78,3525.1234,N,13945.6789,E," + QByteArray::number(quality) +
                    ",08,0.9,10.0,M,39.0,M,2.5,0123");
}
inline QByteArray GgaNoFix() {
    return Sentence("GPGGA,123520.00,,,,,0,00,,,M,,M,,");
}
inline QByteArray Ggk() {
    return Sentence("PTNL,GGK,123521.00,120826,3525.1234,N,13945.6789,E,3,08,1.2,EHT49.000,M");
}
inline QByteArray Rmc() {
    return Sentence("GPRMC,123522.00,A,3525.1234,N,13945.6789,E,5.5,054.7,081226,,,A");
}
// A GGA whose checksum does not match (one data character changed). It says quality 4, so
// that taking its values shows.
inline QByteArray GgaBadChecksum() {
    QByteArray s = Gga(30, 4);
    s.replace("3525.1234", "3525.9234");
    return s;
}

// The process's time zone set to tz (as "Asia/Tokyo") for the life of the scope.
class TimeZoneScope {
  public:
    explicit TimeZoneScope(const char* tz)
        : had_(qEnvironmentVariableIsSet("TZ")), old_(qgetenv("TZ")) {
        qputenv("TZ", tz);
        tzset();
    }
    ~TimeZoneScope() {
        if (had_)
            qputenv("TZ", old_);
        else
            qunsetenv("TZ");
        tzset();
    }
    TimeZoneScope(const TimeZoneScope&) = delete;
    TimeZoneScope& operator=(const TimeZoneScope&) = delete;

  private:
    bool had_;
    QByteArray old_;
};

// A file's bytes, or "<missing>".
inline QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Runs the event loop until pred holds or timeoutMs passes; returns pred().
inline bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!pred()) {
        if (clock.elapsed() > timeoutMs) return pred();
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}
// Runs the event loop for ms milliseconds.
inline void Spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// In-process link: records what happens to it; Push delivers bytes as a port would.
class FakeLink : public SerialLink {
  public:
    using SerialLink::SerialLink;
    void SetBaudRate(int baud) override { this->baud = baud; }
    void SetStandardLineSettings() override { lineSettings = true; }
    bool Open() override {
        ++openCalls;
        if (failOpen) return false;
        open = true;
        return true;
    }
    void Close() override {
        ++closeCalls;
        open = false;
    }
    bool IsOpen() const override { return open; }
    void FlushReceive() override { ++flushes; }
    qint64 FreeSendSpace() const override { return freeSpace; }
    bool Write(const QByteArray& data) override {
        if (!open) return false;
        written += data;
        if (events) events->push_back("write:" + data.toStdString());
        return true;
    }
    QString Source() const override { return QStringLiteral("fake"); }
    QString ErrorText() const override { return {}; }

    void Push(const QByteArray& data) { emit BytesReceived(data); }
    void Unplug() {
        open = false;
        emit Lost();
    }

    bool open = false, failOpen = false, lineSettings = false;
    int baud = 0, openCalls = 0, closeCalls = 0, flushes = 0;
    qint64 freeSpace = 4096;
    QByteArray written;
    std::vector<std::string>* events = nullptr;
};

// A pseudo-terminal pair: the test writes and reads the master side; a link opens the
// slave by its path.
class Pty {
  public:
    Pty() {
        int slave = -1;
        char name[256] = {};
        if (openpty(&master_, &slave, name, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        termios tio{};
        tcgetattr(slave, &tio);
        cfmakeraw(&tio);  // no echo until the link sets its own mode
        tcsetattr(slave, TCSANOW, &tio);
        slave_ = slave;
        path_ = QString::fromLocal8Bit(name);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        // A program the test starts must not hold the terminal open after the test lets go.
        fcntl(master_, F_SETFD, FD_CLOEXEC);
        fcntl(slave_, F_SETFD, FD_CLOEXEC);
    }
    ~Pty() { CloseAll(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const QString& SlavePath() const { return path_; }
    void Write(const QByteArray& data) {
        qsizetype done = 0;
        while (done < data.size()) {
            const ssize_t n = ::write(master_, data.constData() + done, size_t(data.size() - done));
            if (n <= 0) throw std::runtime_error("write to pty master failed");
            done += n;
        }
    }
    QByteArray ReadAvailable() {
        QByteArray out;
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) break;
            out.append(buf, n);
        }
        return out;
    }
    // The device disappears: both ends of the test are closed.
    void CloseAll() {
        if (slave_ >= 0) ::close(slave_);
        if (master_ >= 0) ::close(master_);
        slave_ = master_ = -1;
    }

  private:
    int master_ = -1;
    int slave_ = -1;
    QString path_;
};

}  // namespace tidrun::test
