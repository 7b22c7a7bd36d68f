// Fuzzes the sentence framer, the decoder and the position rule with its conversion.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "positioning/framer.h"
#include "positioning/geodesy.h"
#include "positioning/nmea.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // First byte: how the stream is cut into reads, and which datums and zone are used.
    const unsigned control = data[0];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t chunk = 1 + (control & 0x0F) * 7;
    const int src = static_cast<int>((control >> 4) % tidrun::kDatumCount);
    const int dst = static_cast<int>((control >> 6) % tidrun::kDatumCount);
    const int zone = static_cast<int>(control % tidrun::kZoneCount);

    tidrun::SentenceFramer framer;
    tidrun::TNMEA nmea;
    tidrun::TPos pos;
    auto onPacket = [&](std::string_view packet) {
        if (packet.empty() || packet.front() != '$' || packet.back() != '\r' ||
            packet.size() > tidrun::SentenceFramer::kMaxPacket) {
            std::abort();  // the framer broke its promise
        }
        nmea.Decode(packet);
        for (int i = -1; i <= nmea.FieldCount(); ++i) (void)nmea.Field(i);
        const tidrun::FixPosition p = tidrun::ConvertFix(pos, nmea, src, dst, zone);
        if (p.valid && !(std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.h))) {
            std::abort();
        }
    };
    for (std::size_t i = 0; i < bytes.size(); i += chunk)
        framer.Feed(bytes.substr(i, chunk), onPacket);

    // The decoder also gets the raw input as one sentence.
    nmea.Decode(bytes);
    (void)tidrun::TNMEA::Checksum(bytes);
    (void)nmea.LatitudeRadians();
    (void)nmea.LongitudeRadians();
    return 0;
}
