// SerialLink that plays a recorded NMEA file as if it arrived on a port: the bytes come in
// steps, one position sentence (GGA or GGK) per step, paced by the time fields of those
// sentences (at most 2 s between two), and the file starts again at its end.
#pragma once

#include "platform/seriallink.h"

#include <QTimer>

#include <vector>

namespace tidrun {

class ReplayLink : public SerialLink {
    Q_OBJECT
  public:
    static constexpr int kMaxStepMs = 2000;
    // Pause before the file starts again when its own times give no step.
    static constexpr int kDefaultStepMs = 1000;

    explicit ReplayLink(const QString& file, QObject* parent = nullptr);

    void SetBaudRate(int) override {}
    void SetStandardLineSettings() override {}

    // Reads the whole file; fails when it cannot be read. Playing starts at its beginning.
    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    void FlushReceive() override {}
    qint64 FreeSendSpace() const override { return open_ ? kSendSpace : 0; }
    // Written data goes nowhere.
    bool Write(const QByteArray& data) override { return open_ && !data.isNull(); }
    QString Source() const override { return QStringLiteral("replay:") + file_; }
    QString ErrorText() const override { return errorText_; }

    struct Step {
        qsizetype end;  // bytes [previous end, end) are sent in this step
        int delayMs;    // wait before this step
    };
    // The steps of a file's content; the first step's delay is the pause used when the
    // file starts again. Exposed for tests.
    static std::vector<Step> PlanSteps(const QByteArray& content);

  private:
    static constexpr qint64 kSendSpace = 4096;
    void Play();

    QString file_;
    QString errorText_;
    QByteArray content_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    bool open_ = false;
    QTimer timer_;
};

}  // namespace tidrun
