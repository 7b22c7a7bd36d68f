#include <cstdio>

#include "tools/commands.h"

namespace tidrun::tool {

int RunNmea(const QStringList&) {
    std::fputs("tidrun-tool nmea: not built yet\n", stderr);
    return 2;
}

}  // namespace tidrun::tool
