#pragma once
// The application's icon: the installed theme icon "velmora" when there is
// one, else the copy built into the program, so the icon shows when Velmora
// runs from the build tree.

#include <QIcon>

namespace velmora::app {

QIcon appIcon();

}  // namespace velmora::app
