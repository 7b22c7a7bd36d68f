// NMEA sentence decoding: GGA, RMC and the Trimble GGK sentence.
#pragma once

#include <QDateTime>
#include <QTime>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tidrun {

// Sentence kinds as GpsFix::kind holds them.
enum : std::uint8_t { kKindGGK = 0, kKindGGA = 1, kKindRMC = 2, kKindOther = 3 };

// The decoded state of the last sentences. Values of a sentence type are only
// replaced by a sentence that carries them; failures keep what was there.
struct GpsFix {
    std::uint8_t kind = kKindOther;
    std::int32_t timeMs = 0;  // UTC time of day of the fix, milliseconds (hundredths as sent)
    std::int32_t quality = 0;
    std::int32_t satellites = 0;
    double geoidSeparation = 0;
    double dgpsAge = 0;
    std::int32_t stationId = 0;
    double latitude = 0;   // as sent, ddmm.mmmm
    double longitude = 0;  // as sent, dddmm.mmmm
    double altitude = 0;
    double speed = 0;   // knots, as sent
    double course = 0;  // degrees, as sent
    double dop = 0;
    std::int32_t errorFlag = 0;

    QTime time() const { return QTime::fromMSecsSinceStartOfDay(timeMs); }
};

class TNMEA : public GpsFix {
public:
    // Decodes one framed sentence ("$" through the carriage return).
    void Decode(std::string_view sentence);

    // The fields of the last sentence that was split; a field beyond the end reads as empty.
    int FieldCount() const;
    std::string_view Field(int index) const;

    // Latitude / longitude converted from ddmm.mmmm to radians. Sets errorFlag.
    double LatitudeRadians();
    double LongitudeRadians();

    // Fix time shifted by the hour offset of a datum-table entry, on today's date
    // (the day is not carried over).
    QDateTime LocalTime(int datumIndex) const;

    // Exclusive-or of the bytes after "$" up to the first "*" (or the end).
    static std::uint8_t Checksum(std::string_view sentence);

private:
    std::string buffer_;                  // copy of the sentence, fields point into it
    std::vector<std::string_view> fields_;
};

// NMEA angle (dddmm.mmmm) to radians.
double NmeaAngleToRadians(double value);

}  // namespace tidrun
