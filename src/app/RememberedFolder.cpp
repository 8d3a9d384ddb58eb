#include "app/RememberedFolder.h"

#include <QFileInfo>
#include <QVariant>

#include "foundation/Settings.h"

namespace velmora::app {

std::optional<QString> rememberedFolder(const char* key)
{
    const QString folder = settings()->value(QLatin1String(key)).toString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return std::nullopt;
    return folder;
}

void rememberFolder(const char* key, const QString& folder)
{
    auto store = settings();
    store->setValue(QLatin1String(key), folder);
    store->sync();
}

}  // namespace velmora::app
