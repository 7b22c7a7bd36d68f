// One recorded cut, its fields in the order of the recording file.
#pragma once

#include <cstdint>

namespace tidrun {

// Local wall-clock time of a cut in whole seconds: Julian day * 86400 + second of day.
// No time zone is involved, as the file holds local time without one.
using CutTime = std::int64_t;

struct TSokusen {  // one cut, fields in file order
    double X, Y, H, Dist;
    double GpsA, GpsB, GpsH;
    double DX, DY, DH, DA;
    CutTime Time;
    std::int32_t Serial, LineNo, CutNo, GpsInt;
    std::uint32_t NameIndex;  // into the collection's name table
};

}  // namespace tidrun
