#include "positioning/sounder.h"

#include <QDateTime>

#include <algorithm>
#include <utility>

namespace tidrun {

TSounder::TSounder(QObject* parent, UtcClock clock) : QObject(parent), clock_(std::move(clock)) {
    if (!clock_) clock_ = [] { return QDateTime::currentMSecsSinceEpoch(); };
    reconnect_.setInterval(kReconnectIntervalMs);
    connect(&reconnect_, &QTimer::timeout, this, &TSounder::TryReopen);
}

TSounder::~TSounder() {
    if (enabled_) Close();
}

void TSounder::SetPort(SerialLink* port, bool own) {
    if (port_) disconnect(port_, nullptr, this, nullptr);
    port_ = port;
    own_ = own;
    if (!port) return;
    if (own) {
        port->SetStandardLineSettings();
        connect(port, &SerialLink::Lost, this, &TSounder::Lost);
    }
    connect(port, &SerialLink::BytesReceived, this, &TSounder::BytesArrived);
}

bool TSounder::Open() {
    if (enabled_) return true;
    if (!port_ || (own_ && !port_->Open())) {
        Close();
        return false;
    }
    if (own_) port_->FlushReceive();
    framed_.Reset();
    enabled_ = true;
    lost_ = false;
    return true;
}

void TSounder::Close() {
    enabled_ = false;
    lost_ = false;
    reconnect_.stop();
    framed_.Reset();
    if (own_ && port_) port_->Close();
}

void TSounder::SetReconnectInterval(int ms) {
    reconnect_.setInterval(std::max(ms, 1));
}

void TSounder::BytesArrived(const QByteArray& data) {
    if (!enabled_) return;
    if (lost_) {
        lost_ = false;
        emit DataFlowing();
        if (!enabled_) return;
    }
    framed_.Arrive(
        data, clock_, [this] { return enabled_; },
        [this](std::string_view packet, qint64 received) { Handle(packet, received); });
}

void TSounder::HandlePacket(std::string_view packet) {
    Handle(packet, clock_());
}

void TSounder::Handle(std::string_view packet, qint64 receivedUtcMs) {
    const QByteArrayView bytes(packet.data(), qsizetype(packet.size()));
    emit SentenceReceived(bytes, receivedUtcMs);
    if (const auto reading = DecodeDepth(packet, draft_))
        emit DepthReceived(*reading, bytes, receivedUtcMs);
}

void TSounder::Lost() {
    if (!enabled_) return;
    if (!lost_) {
        lost_ = true;
        framed_.DropPacket();  // the cut-off packet is of no use
        emit PortLost();
    }
    if (enabled_ && !reconnect_.isActive()) reconnect_.start();
}

void TSounder::TryReopen() {
    if (!enabled_ || !port_ || port_->IsOpen() || port_->Open()) reconnect_.stop();
}

}  // namespace tidrun
