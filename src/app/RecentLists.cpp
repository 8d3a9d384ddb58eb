#include "app/RecentLists.h"

#include <QVariant>

#include "foundation/Settings.h"

namespace velmora::app {
namespace {

QStringList store(QStringList paths)
{
    while (paths.size() > kRecentListCount)
        paths.removeLast();
    auto kept = settings();
    kept->setValue(QLatin1String(settingsKey::recentLists), paths);
    kept->sync();
    return paths;
}

}  // namespace

QStringList recentLists()
{
    return settings()->value(QLatin1String(settingsKey::recentLists)).toStringList().mid(0, kRecentListCount);
}

QStringList rememberList(const QString& path)
{
    QStringList paths = recentLists();
    paths.removeAll(path);
    paths.prepend(path);
    return store(paths);
}

QStringList forgetList(const QString& path)
{
    QStringList paths = recentLists();
    paths.removeAll(path);
    return store(paths);
}

}  // namespace velmora::app
