// The pacing of a replayed receiver's NMEA file: its fixes are the position sentences (GGA, or the
// Trimble GGK), each framed as the receiver frames it, timed by the sentence's own time field.
#pragma once

#include "platform/replaylink.h"
#include "positioning/framer.h"

#include <optional>

namespace tidrun {

class TFixTimePacing final : public ReplayPacing {
  public:
    // The time of day in ms of a position sentence whose carriage return c is.
    std::optional<int> Feed(char c) override;
    void Restart() override { framer_.Reset(); }

  private:
    SentenceFramer framer_;
};

// The pacing of a replayed sounder file, whose sentences carry no time: every sentence is
// one step, stepMs after the one before.
class TSentenceRatePacing final : public ReplayPacing {
  public:
    explicit TSentenceRatePacing(int stepMs) : stepMs_(stepMs) {}
    std::optional<int> Feed(char c) override;
    void Restart() override {
        framer_.Reset();
        count_ = 0;
    }

  private:
    SentenceFramer framer_;
    int stepMs_;
    long long count_ = 0;
};

}  // namespace tidrun
