// The input side of a sentence source (the GPS receiver, the sounder): chunks of bytes from
// the port through the framer. A chunk that arrives while a packet is handled (a listener
// ran a nested event loop) waits until the current chunk is done, so that no packet is
// handed over inside another.
#pragma once

#include "positioning/framer.h"

#include <QByteArray>

#include <string_view>
#include <utility>

namespace tidrun {

class TFramedInput {
  public:
    // Frames data and the chunks that arrive meanwhile. Each chunk is dated once by clock();
    // onPacket(packet, receivedMs) gets its packets while live() holds. A source that stopped
    // (live() false) is left with an empty framer.
    template <class Clock, class Live, class OnPacket>
    void Arrive(const QByteArray& data, Clock&& clock, Live&& live, OnPacket&& onPacket);
    // Drops what was collected (what waits too); inside a packet its bytes stay in use until
    // the chunk is done.
    void Reset() {
        pending_.clear();
        if (!feeding_) framer_.Reset();
    }
    // Drops the packet being collected (a port lost in its middle); what waits stays.
    void DropPacket() {
        if (!feeding_) framer_.Reset();
    }

  private:
    SentenceFramer framer_;
    bool feeding_ = false;
    QByteArray pending_;
};

template <class Clock, class Live, class OnPacket>
void TFramedInput::Arrive(const QByteArray& data, Clock&& clock, Live&& live, OnPacket&& onPacket) {
    if (feeding_) {
        pending_.append(data);
        return;
    }
    {
        FlagScope scope(feeding_);
        qint64 received = clock();
        const auto each = [&](std::string_view packet) {
            if (live()) onPacket(packet, received);
        };
        framer_.Feed(std::string_view(data.constData(), size_t(data.size())), each);
        while (!pending_.isEmpty() && live()) {
            const QByteArray next = std::exchange(pending_, QByteArray());
            received = clock();
            framer_.Feed(std::string_view(next.constData(), size_t(next.size())), each);
        }
    }
    if (!live()) Reset();
}

}  // namespace tidrun
