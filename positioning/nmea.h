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
    // The latitude and longitude of the last GGA or GGK were numbers within 90 and 180
    // degrees, not negative (the hemisphere is in its own field) and with minutes below 60.
    // Empty or unreadable fields still leave 0 in latitude / longitude, which is no position.
    bool coordinatesValid = false;
    // The height of the last GGA or GGK was a number: the GGA altitude (with a geoid
    // separation that is a number or left empty) or the GGK ellipsoidal height.
    bool heightValid = false;

    QTime time() const { return QTime::fromMSecsSinceStartOfDay(timeMs); }
    // Ellipsoidal height of the position: GGA altitude + geoid separation; for GGK the
    // ellipsoidal height itself (its separation is 0).
    double height() const { return altitude + geoidSeparation; }
};

class TNMEA : public GpsFix {
  public:
    // Decodes one framed sentence ("$" through the carriage return).
    void Decode(std::string_view sentence);

    // The fields of the last sentence that was split; a field beyond the end reads as empty.
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    std::string_view Field(int index) const {
        if (index < 0 || index >= static_cast<int>(fields_.size())) return {};
        const FieldSpan f = fields_[static_cast<std::size_t>(index)];
        return std::string_view(buffer_.data() + f.begin, f.size);
    }

    // Latitude / longitude converted from ddmm.mmmm to radians. Sets errorFlag.
    double LatitudeRadians();
    double LongitudeRadians();

    // The instant of the fix in the time scale of a datum-table entry (UTC shifted by its
    // hour offset), the date carried with the time. The sentence gives only the time of day:
    // the UTC day is the one that puts the fix nearest to utcNowMs, the moment the fix is
    // handled (milliseconds since the epoch), so a fix of 23:59:59.8 handled at 00:00:00.3
    // keeps its day. Date and time read in that time scale whatever the computer's zone.
    QDateTime LocalTime(int datumIndex, qint64 utcNowMs) const;
    // The same time of day without the date (cheap enough for every sentence).
    QTime LocalTimeOfDay(int datumIndex) const;

    // Exclusive-or of the bytes after "$" up to the first "*" (or the end).
    static std::uint8_t Checksum(std::string_view sentence);

    // True when the last sentence passed its checksum (kind then describes that sentence).
    bool ChecksumMatched() const { return checksumMatched_; }

  private:
    void Split();
    bool SplitPlain();
    void DecodeGGA();
    void DecodeGGK();

    // Where a field lies in buffer_. Offsets rather than pointers, so that a copy of the
    // decoder reads its own buffer.
    struct FieldSpan {
        std::uint32_t begin = 0, size = 0;
    };
    void AddField(const char* begin, std::size_t size) {
        fields_.push_back(
            {static_cast<std::uint32_t>(begin - buffer_.data()), static_cast<std::uint32_t>(size)});
    }
    void ReadCoordinates(std::string_view lat, std::string_view lon);

    std::string buffer_;  // copy of the sentence (unquoted in place), fields lie in it
    std::vector<FieldSpan> fields_;
    bool checksumMatched_ = false;
};

// A fix that was measured: a GGK of quality 1 or more (its own table, where values above 5
// are network and OmniSTAR fixes), a GGA of quality 1 or more except 6 (estimated, dead
// reckoning), 7 (manual input) and 8 (simulation). A position that was not measured still
// moves the boat, but it is never recorded and shows no fix-quality colour.
bool IsMeasuredFix(const GpsFix& fix);

// NMEA angle (dddmm.mmmm) to decimal degrees; false when it cannot be converted.
bool NmeaAngleToDegrees(double value, double& degrees);
// NMEA angle (dddmm.mmmm) to radians; 0 when the value cannot be converted.
double NmeaAngleToRadians(double value);
// The same, reporting failure (a value too large to truncate, a result not finite).
bool NmeaAngleToRadians(double value, double& radians);

// Field readers. A real is trimmed of blanks; empty or unreadable gives 0 (ReadNmeaReal
// then returns false). An integer is decimal, 0 when empty, unreadable or out of range.
bool ReadNmeaReal(std::string_view field, double& value);
double NmeaReal(std::string_view field);
std::int32_t NmeaInteger(std::string_view field);
// hhmmss.ss to milliseconds of the day (hundredths from the digits as written). False
// when the time is impossible (hours > 23, minutes or seconds > 59, negative).
bool ParseNmeaTime(std::string_view field, std::int32_t& timeMs);

}  // namespace tidrun
