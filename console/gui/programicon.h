// The program's own icon (a compass rose over the sea with a survey boat), for the windows'
// title bars and the taskbar. Drawn in resources/icons/tidrun.svg, rendered to PNG sizes.
#pragma once

#include <QIcon>

namespace tidrun {

QIcon ProgramIcon();

}  // namespace tidrun
