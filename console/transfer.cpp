#include "console/transfer.h"

#include "platform/portmap.h"
#include "positioning/fixpacing.h"
#include "positioning/gps.h"
#include "positioning/sounder.h"
#include "surveydata/codec.h"
#include "surveydata/config.h"
#include "surveydata/jobsettings.h"

namespace tidrun {

TOutputMode OutputModeOf(const TJobSettings& settings) {
    switch (settings.OutMethodIndex()) {
        case 1:
            return TOutputMode::ReceivedData;
        case 2:
            return TOutputMode::Text;
        default:
            return TOutputMode::None;
    }
}

QByteArray TransferBytes(const TJobSettings& settings) {
    if (OutputModeOf(settings) != TOutputMode::Text) return {};
    return EncodeCp932(settings.TransferText());
}

TReceiverPorts::TReceiverPorts(QString iniPath, QString programDir)
    : iniPath_(std::move(iniPath)), programDir_(std::move(programDir)) {}

TReceiverPorts::~TReceiverPorts() = default;

std::unique_ptr<SerialLink> TReceiverPorts::MakeLink(const QString& portName, int baud) const {
    const PortTarget target =
        ResolvePort(portName, ReadPortMapping(iniPath_, portName), programDir_);
    std::unique_ptr<SerialLink> link(
        MakeSerialLink(target, std::make_unique<TFixTimePacing>(), nullptr));
    if (baud > 0) link->SetBaudRate(baud);
    return link;
}

void TReceiverPorts::Configure(TGPS& gps, const TJobSettings& settings) {
    // The receiver holds guarded pointers: it lets go of the old ports when they go.
    Release();
    mode_ = OutputModeOf(settings);
    text_ = TransferBytes(settings);
    gpsPort_ = MakeLink(settings.Port, settings.Baud());
    gps.SetInputPort(gpsPort_.get(), settings.SourceDatum(), settings.TargetDatum(),
                     settings.ZoneIndex());
    if (mode_ == TOutputMode::None) {
        gps.SetOutputPort(nullptr, false);
        return;
    }
    outPort_ = MakeLink(settings.OutPort, settings.OutBaud());
    // The text of the text mode is the job session's to send, at each cut.
    gps.SetOutputPort(outPort_.get(), mode_ == TOutputMode::ReceivedData);
}

void TReceiverPorts::Configure(TGPS& gps, TSounder& sounder, const TJobSettings& settings) {
    sounder.SetPort(nullptr, true);
    Configure(gps, settings);
    sounder.SetDraft(settings.DraftMetres());
    const int source = settings.DepthSourceIndex();
    if (source == 1 && outPort_) {
        // One cable: the receiver opens and reopens the transfer port, the sounder listens.
        depthOnOut_ = outPort_.get();
        sounder.SetPort(depthOnOut_, false);
    } else if (source == 1) {
        depthPort_ = MakeLink(settings.OutPort, settings.OutBaud());
        sounder.SetPort(depthPort_.get(), true);
    } else if (source >= 2) {
        depthPort_ = MakeLink(settings.DepthSource, settings.DepthBaud());
        sounder.SetPort(depthPort_.get(), true);
    }
}

void TReceiverPorts::Release() {
    depthOnOut_ = nullptr;
    depthPort_.reset();
    outPort_.reset();
    gpsPort_.reset();
    mode_ = TOutputMode::None;
    text_.clear();
}

}  // namespace tidrun
