// The receiver's two ports as a job's settings choose them: the GPS port and the transfer
// port ("転送"), each found through the [Ports] mapping of Tidrun.INI, and what the
// transfer sends: nothing ("しない"), every received sentence unchanged ("受信データ"), or
// the transfer text with a carriage return at each recorded cut ("文字").
#pragma once

#include "platform/seriallink.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace tidrun {

class TGPS;
class TJobSettings;
class TSounder;

enum class TOutputMode { None = 0, ReceivedData = 1, Text = 2 };

// The mode of the settings' transfer type; an unknown type sends nothing.
TOutputMode OutputModeOf(const TJobSettings& settings);
// The bytes sent at each cut in the text mode: the text trimmed of blanks, in code page 932,
// then "\r". Empty in the other modes.
QByteArray TransferBytes(const TJobSettings& settings);

class TReceiverPorts {
  public:
    // iniPath: the Tidrun.INI holding [Ports]; programDir: where relative replay files are.
    TReceiverPorts(QString iniPath, QString programDir);
    ~TReceiverPorts();
    TReceiverPorts(const TReceiverPorts&) = delete;
    TReceiverPorts& operator=(const TReceiverPorts&) = delete;

    // Makes the GPS port and, unless the mode is "しない", the transfer port from the
    // settings (replacing earlier ones; speeds 4800 or 9600 by the choosers, other entries
    // keep the port's default) and hands them to the receiver with the conversion settings
    // (relaying in the "受信データ" mode). Nothing is opened: the receiver's Open opens both
    // and fails as a whole. In the "文字" mode the job session sends the text, to OutPort.
    void Configure(TGPS& gps, const TJobSettings& settings);
    // The same, and the sounder's port from [拡張] 測深入力: none ("しない"); the transfer
    // port itself ("転送通信": listened to while the receiver opens it, or the sounder's own
    // when the transfer sends nothing); or a port of its own (COM1..COM8 at 測深速度). The
    // draft goes to the sounder. Nothing is opened.
    void Configure(TGPS& gps, TSounder& sounder, const TJobSettings& settings);
    // Drops every port (closing them).
    void Release();

    SerialLink* GpsPort() const { return gpsPort_.get(); }
    SerialLink* OutPort() const { return outPort_.get(); }
    // The sounder's port (the transfer port in the one-cable case); nullptr for none.
    SerialLink* DepthPort() const { return depthPort_ ? depthPort_.get() : depthOnOut_; }
    TOutputMode Mode() const { return mode_; }
    // Where the text of each cut goes (the transfer port in the "文字" mode, else nowhere),
    // and the text (TransferBytes).
    SerialLink* TextPort() const { return mode_ == TOutputMode::Text ? outPort_.get() : nullptr; }
    const QByteArray& Text() const { return text_; }

  private:
    std::unique_ptr<SerialLink> MakeLink(const QString& portName, int baud) const;

    QString iniPath_;
    QString programDir_;
    std::unique_ptr<SerialLink> gpsPort_;
    std::unique_ptr<SerialLink> outPort_;
    std::unique_ptr<SerialLink> depthPort_;
    SerialLink* depthOnOut_ = nullptr;  // the transfer port, when it carries the depth
    TOutputMode mode_ = TOutputMode::None;
    QByteArray text_;
};

}  // namespace tidrun
