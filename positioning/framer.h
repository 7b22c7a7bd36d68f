// Cuts NMEA packets out of a serial byte stream: from "$" through the carriage return.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tidrun {

class SentenceFramer {
public:
    static constexpr std::size_t kMaxPacket = 1024;

    // Feeds received bytes; calls onPacket for every complete packet, which includes
    // the leading "$" and the closing carriage return. Bytes outside a packet are dropped.
    // A "$" inside a packet starts a new packet; a packet reaching kMaxPacket bytes without
    // a carriage return is dropped.
    template <class F>
    void Feed(std::string_view bytes, F&& onPacket);

    void Reset() {
        packet_.clear();
        inPacket_ = false;
    }
    bool InPacket() const { return inPacket_; }

private:
    std::string packet_;
    bool inPacket_ = false;
};

template <class F>
void SentenceFramer::Feed(std::string_view bytes, F&& onPacket) {
    for (char c : bytes) {
        if (c == '$') {
            packet_.assign(1, '$');
            inPacket_ = true;
            continue;
        }
        if (!inPacket_) continue;
        packet_.push_back(c);
        if (c == '\r') {
            inPacket_ = false;
            onPacket(std::string_view(packet_));
            packet_.clear();
        } else if (packet_.size() >= kMaxPacket) {
            inPacket_ = false;
            packet_.clear();
        }
    }
}

}  // namespace tidrun
