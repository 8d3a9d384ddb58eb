#include "foundation/Settings.h"

namespace velmora {

std::unique_ptr<QSettings> settings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Velmora"),
                                       QStringLiteral("Velmora"));
}

}  // namespace velmora
