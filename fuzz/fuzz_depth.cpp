// Depth sentences of any bytes: never a crash, never a negative or non-finite depth.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "positioning/depth.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view s(reinterpret_cast<const char*>(data), size);
    if (const auto r = tidrun::DecodeDepth(s, 0.5)) {
        if (!std::isfinite(r->belowSurface) || r->belowSurface < 0) std::abort();
    }
    return 0;
}
