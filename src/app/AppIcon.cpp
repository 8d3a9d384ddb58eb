#include "app/AppIcon.h"

// The resources of a static library are registered by hand, from the global
// namespace (where the macro declares the registering function).
static void registerIconResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(velmora);
        return true;
    }();
    (void)registered;
}

namespace velmora::app {

QIcon appIcon()
{
    registerIconResources();
    QIcon builtIn;
    for (int size : {16, 32, 48, 64, 128, 256})
        builtIn.addFile(QStringLiteral(":/icons/velmora-%1.png").arg(size), QSize(size, size));
    return QIcon::fromTheme(QStringLiteral("velmora"), builtIn);
}

}  // namespace velmora::app
