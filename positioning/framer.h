// Cuts NMEA packets out of a serial byte stream: from "$" through the carriage return.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
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

// Sets a flag for a scope and clears it when the scope ends, also when a listener throws:
// the "inside the framer" mark of a sentence source.
class FlagScope {
  public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

  private:
    bool& flag_;
};

template <class F>
void SentenceFramer::Feed(std::string_view bytes, F&& onPacket) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        if (!inPacket_) {
            const void* dollar = std::memchr(p, '$', static_cast<std::size_t>(end - p));
            if (dollar == nullptr) return;  // nothing but bytes outside a packet
            p = static_cast<const char*>(dollar) + 1;
            packet_.assign(1, '$');
            inPacket_ = true;
            continue;
        }
        // Look for the end of the packet, or a "$" that starts a new one, within the room
        // left under kMaxPacket.
        const std::size_t room = kMaxPacket - packet_.size();
        const char* const stop = p + std::min(room, static_cast<std::size_t>(end - p));
        const std::size_t span = static_cast<std::size_t>(stop - p);
        const void* cr = std::memchr(p, '\r', span);
        const char* q = cr != nullptr ? static_cast<const char*>(cr) : stop;
        if (const void* d = std::memchr(p, '$', static_cast<std::size_t>(q - p)); d != nullptr) {
            q = static_cast<const char*>(d);
        }
        if (q < stop && *q == '$') {
            packet_.assign(1, '$');  // what was collected is dropped
            p = q + 1;
        } else if (q < stop) {
            packet_.append(p, static_cast<std::size_t>(q + 1 - p));
            p = q + 1;
            inPacket_ = false;
            onPacket(std::string_view(packet_));
            packet_.clear();
        } else {
            packet_.append(p, static_cast<std::size_t>(q - p));
            p = q;
            if (packet_.size() >= kMaxPacket) {  // no carriage return: drop it, wait for "$"
                inPacket_ = false;
                packet_.clear();
            }
        }
    }
}

}  // namespace tidrun
