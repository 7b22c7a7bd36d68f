// SerialLink that plays a recorded file as if it arrived on a port: the bytes come in steps,
// one fix per step, paced by the fix times in the file (at most 2 s between two), and the
// file starts again at its end. The file is read as it plays, a step at a time, so its size
// does not matter. Where the fixes are and what time they carry is told by a pacing hook,
// so that the link knows nothing of the sentences it plays.
#pragma once

#include "platform/seriallink.h"

#include <QByteArray>
#include <QFile>
#include <QTimer>

#include <memory>
#include <optional>

class QIODevice;

namespace tidrun {

// Finds the fixes a replay is paced by. Fed the file's bytes in order, one at a time, it
// returns the fix's time of day in milliseconds for the byte that ends a fix.
class ReplayPacing {
  public:
    virtual ~ReplayPacing() = default;
    virtual std::optional<int> Feed(char c) = 0;
    // The file is read again from its beginning.
    virtual void Restart() = 0;
};

// Cuts a replay file into steps while reading it. A step runs through the byte that ends the
// next fix; without one it ends at the end of the file, or after kMaxStepBytes (a file with
// no fixes, or no sentences at all, still plays in bounded pieces). Without a pacing hook
// there are no fixes.
class ReplayCutter {
  public:
    static constexpr qsizetype kMaxStepBytes = 64 * 1024;
    static constexpr int kMaxStepMs = 2000;
    static constexpr int kDefaultStepMs = 1000;

    explicit ReplayCutter(std::unique_ptr<ReplayPacing> pacing);

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
    std::unique_ptr<ReplayPacing> pacing_;
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

    ReplayLink(const QString& file, std::unique_ptr<ReplayPacing> pacing,
               QObject* parent = nullptr);

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
