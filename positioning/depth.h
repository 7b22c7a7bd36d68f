// Echo-sounder depth sentences: DBT, DPT and DBS of any talker.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tidrun {

enum class TDepthKind : std::uint8_t { DBT, DPT, DBS };

struct TDepthReading {
    TDepthKind kind = TDepthKind::DBT;
    // False when the sentence came with an empty depth: the sounder found no bottom.
    bool hasBottom = false;
    double belowSurface = 0;  // metres below the water's surface
};

// Decodes one framed sentence ("$" through its line end). A checksum, when the sentence has
// one, must match; a sentence without one is taken (many sounders send none).
//  DBT  depth below the transducer: the metre field, else feet or fathoms converted; the
//       draft (metres) is added.
//  DPT  depth below the transducer and the transducer's offset: depth + offset when the
//       offset is positive (transducer to waterline), else depth + draft.
//  DBS  depth below the surface as sent (metres, else feet or fathoms).
// Nothing for another sentence, a failed checksum, or a depth that is no number, negative, or
// deeper than any sea (over 12,000 m below the surface).
std::optional<TDepthReading> DecodeDepth(std::string_view sentence, double draft);

// "DBT", "DPT", "DBS".
const char* DepthKindName(TDepthKind kind);

}  // namespace tidrun
