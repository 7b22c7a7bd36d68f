// The pacing of a replayed NMEA file: its fixes are the position sentences (GGA, or the
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

}  // namespace tidrun
