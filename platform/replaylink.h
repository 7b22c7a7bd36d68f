// SerialLink that plays a recorded NMEA file as if it arrived on a port: the bytes come in
// steps, one position sentence (GGA or GGK) per step, paced by the time fields of those
// sentences (at most 2 s between two), and the file starts again at its end. The file is
// read as it plays, a step at a time, so its size does not matter.
#pragma once

#include "platform/seriallink.h"
#include "positioning/framer.h"

#include <QByteArray>
#include <QFile>
#include <QTimer>

#include <optional>

class QIODevice;

namespace tidrun {

// Cuts a replay file into steps while reading it. A step runs through the carriage return of
// the next position sentence; without one it ends at the end of the file, or after
// kMaxStepBytes (a file with no fixes, or no sentences at all, still plays in bounded pieces).
class ReplayCutter {
  public:
    static constexpr qsizetype kMaxStepBytes = 64 * 1024;
    static constexpr int kMaxStepMs = 2000;
    static constexpr int kDefaultStepMs = 1000;

    struct Step {
        QByteArray bytes;  // empty at the end of the file
        int delayMs = 0;   // wait before this step: the time from the previous fix
    };
    // Reads the next step from file, from where the previous one ended.
    Step Next(QIODevice& file);
    // For reading the file again from its beginning.
    void Restart();

  private:
    static constexpr qsizetype kReadPiece = 4096;
    SentenceFramer framer_;
    QByteArray read_;  // read from the file, not yet in a step
    qsizetype readAt_ = 0;
    std::optional<int> lastFixMs_;
};

class ReplayLink : public SerialLink {
    Q_OBJECT
  public:
    static constexpr int kMaxStepMs = ReplayCutter::kMaxStepMs;
    // Pause before the file starts again when its own times give no step.
    static constexpr int kDefaultStepMs = ReplayCutter::kDefaultStepMs;

    explicit ReplayLink(const QString& file, QObject* parent = nullptr);

    void SetBaudRate(int) override {}
    void SetStandardLineSettings() override {}

    // Opens the file, which must be a regular file (a device or pipe would never end).
    // Playing starts at its beginning.
    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    void FlushReceive() override {}
    qint64 FreeSendSpace() const override { return open_ ? kSendSpace : 0; }
    // Written data goes nowhere.
    bool Write(const QByteArray& data) override { return open_ && !data.isNull(); }
    QString Source() const override { return QStringLiteral("replay:") + file_; }
    QString ErrorText() const override { return errorText_; }

  private:
    static constexpr qint64 kSendSpace = 4096;
    bool ReadStep();
    void Play();

    QString file_;
    QString errorText_;
    QFile input_;
    ReplayCutter cutter_;
    ReplayCutter::Step next_;
    int stepInPass_ = 0;                // index of next_ in the current pass of the file
    int loopDelayMs_ = kDefaultStepMs;  // pause before the file starts again
    bool open_ = false;
    QTimer timer_;
};

}  // namespace tidrun
