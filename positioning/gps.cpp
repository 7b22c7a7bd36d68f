#include "positioning/gps.h"

#include "platform/seriallink.h"

#include <algorithm>

namespace tidrun {

TGPS::TGPS(QObject* parent, UtcClock clock) : QObject(parent), clock_(std::move(clock)) {
    if (!clock_) clock_ = [] { return QDateTime::currentMSecsSinceEpoch(); };
    reconnect_.setInterval(kReconnectIntervalMs);
    connect(&reconnect_, &QTimer::timeout, this, &TGPS::TryReopen);
}

TGPS::~TGPS() {
    if (enabled_) Close();
}

void TGPS::SetInputPort(SerialLink* port, int sourceDatum, int targetDatum, int zoneIndex) {
    if (input_) disconnect(input_, nullptr, this, nullptr);
    input_ = port;
    // Indexes outside the tables would read past them.
    sourceDatum_ = std::clamp(sourceDatum, 0, kDatumCount - 1);
    targetDatum_ = std::clamp(targetDatum, 0, kDatumCount - 1);
    zoneIndex_ = std::clamp(zoneIndex, 0, kZoneCount - 1);
    if (!port) return;
    port->SetStandardLineSettings();
    connect(port, &SerialLink::BytesReceived, this, &TGPS::BytesArrived);
    connect(port, &SerialLink::Lost, this, &TGPS::InputLost);
}

void TGPS::SetOutputPort(SerialLink* port, bool relay) {
    if (output_) disconnect(output_, nullptr, this, nullptr);
    output_ = port;
    forwardOn_ = port != nullptr;
    relay_ = relay;
    if (!port) return;
    port->SetStandardLineSettings();
    connect(port, &SerialLink::Lost, this, &TGPS::OutputLost);
}

bool TGPS::Open() {
    if (enabled_) return true;
    if (!input_ || !input_->Open()) {
        Close();
        return false;
    }
    input_->FlushReceive();
    framed_.Reset();
    enabled_ = true;
    lost_ = false;
    outputLost_ = false;
    if (forwardOn_) {
        if (!output_ || !output_->Open()) {
            Close();
            return false;
        }
        output_->FlushReceive();
    }
    return true;
}

bool TGPS::Close() {
    enabled_ = false;
    lost_ = false;
    outputLost_ = false;
    reconnect_.stop();
    framed_.Reset();
    if (input_) input_->Close();
    if (forwardOn_ && output_) output_->Close();
    return true;
}

void TGPS::SetReconnectInterval(int ms) {
    reconnect_.setInterval(std::max(ms, 1));
}

void TGPS::BytesArrived(const QByteArray& data) {
    if (!enabled_) return;
    if (lost_) {
        lost_ = false;
        emit DataFlowing();
        if (!enabled_) return;
    }
    framed_.Arrive(
        data, clock_, [this] { return enabled_; },
        [this](std::string_view packet, qint64 received) { HandlePacket(packet, received); });
}

void TGPS::HandlePacket(std::string_view packet) {
    HandlePacket(packet, clock_());
}

void TGPS::HandlePacket(std::string_view packet, qint64 receivedUtcMs) {
    emit SentenceReceived(QByteArrayView(packet.data(), qsizetype(packet.size())), receivedUtcMs);
    nmea_.Decode(packet);
    emit SentenceDecoded(nmea_, receivedUtcMs);
    if (relay_) SendIfRoom(output_, packet.data(), qsizetype(packet.size()));
    if (nmea_.kind != kKindGGA && nmea_.kind != kKindGGK) return;
    // A sentence that failed its checksum left the previous sentence's values: no news.
    if (!nmea_.ChecksumMatched()) return;
    UpdateQuality();
    // One that failed decoding (an empty or impossible time) is no new fix.
    if (nmea_.errorFlag != 0) return;
    const FixPosition fix = ConvertFix(pos_, nmea_, sourceDatum_, targetDatum_, zoneIndex_);
    if (!fix.valid) return;
    fixTime_ = nmea_.LocalTime(targetDatum_, receivedUtcMs);
    emit PositionFixed(TGpsPosition{fix.X, fix.Y, fix.h, fixTime_, &nmea_, packet, receivedUtcMs});
}

// The receiver shows what the receiver says about its fix, also when the sentence gives no
// position (no fix, an empty time). A GGK whose time is impossible is decoded no further, so
// its quality is read here.
void TGPS::UpdateQuality() {
    if (nmea_.kind == kKindGGK && nmea_.errorFlag != 0) {
        quality_ = NmeaInteger(nmea_.Field(8));
        dgpsDataSecs_ = 0;
        return;
    }
    quality_ = nmea_.quality;
    dgpsDataSecs_ = nmea_.dgpsAge;
}

void TGPS::InputLost() {
    if (!enabled_) return;
    if (!lost_) {
        lost_ = true;
        framed_.DropPacket();  // the cut-off packet is of no use
        emit PortLost();
    }
    if (enabled_ && !reconnect_.isActive()) reconnect_.start();
}

void TGPS::OutputLost() {
    if (!enabled_ || !forwardOn_) return;
    if (!outputLost_) {
        outputLost_ = true;
        emit OutputPortLost();
    }
    if (!reconnect_.isActive()) reconnect_.start();
}

void TGPS::TryReopen() {
    if (!enabled_) {
        reconnect_.stop();
        return;
    }
    bool waiting = false;
    if (input_ && !input_->IsOpen() && !input_->Open()) waiting = true;
    if (outputLost_ && output_) {
        if (output_->IsOpen() || output_->Open()) {
            outputLost_ = false;
            emit OutputPortBack();
        } else {
            waiting = true;
        }
    }
    if (!waiting) reconnect_.stop();
}

}  // namespace tidrun
