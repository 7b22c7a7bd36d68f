#include "console/gui/programicon.h"

// The icons live in this static library: their resource is registered by name, as nothing
// else refers to it and the linker would leave it out.
static void InitIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace tidrun {

QIcon ProgramIcon() {
    InitIconResources();
    QIcon icon;
    for (int n : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/tidrun-%1.png").arg(n), QSize(n, n));
    return icon;
}

}  // namespace tidrun
