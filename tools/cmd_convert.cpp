#include <cstdio>

#include "tools/commands.h"

namespace tidrun::tool {

int RunConvert(const QStringList&) {
    std::fputs("tidrun-tool convert: not built yet\n", stderr);
    return 2;
}

}  // namespace tidrun::tool
