#include <cstdio>

#include "tools/commands.h"

namespace tidrun::tool {

int RunJob(const QStringList&) {
    std::fputs("tidrun-tool job: not built yet\n", stderr);
    return 2;
}

}  // namespace tidrun::tool
