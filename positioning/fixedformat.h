// Fast "%.Nf" formatting for the command-line tool's large outputs.
#pragma once

#include <cstddef>

namespace tidrun {

// Writes value with the given number of decimals (0 to 9) exactly as printf("%.*f") does
// (same rounding, "-0.0000" for small negatives, "nan"/"inf" for non-finite values) and
// returns the end of what was written. out must have room for 350 characters.
char* FormatFixed(char* out, double value, int decimals);

}  // namespace tidrun
