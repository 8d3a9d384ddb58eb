#include "app/LaunchBookkeeping.h"

#include "foundation/Diagnostics.h"

namespace velmora::app {

qint64 launchCount(QSettings& defaults)
{
    bool ok = false;
    const qint64 value = defaults.value(QLatin1String(kLaunchCountKey)).toLongLong(&ok);
    return ok ? value : 0;
}

bool recordLaunch(QSettings& defaults, const std::optional<QString>& currentVersion)
{
    std::optional<QString> installed;
    if (defaults.contains(QLatin1String(kInstalledVersionKey)))
        installed = defaults.value(QLatin1String(kInstalledVersionKey)).toString();

    if (installed != currentVersion) {
        diagnostic("First Time");
        if (currentVersion)
            defaults.setValue(QLatin1String(kInstalledVersionKey), *currentVersion);
        else
            defaults.remove(QLatin1String(kInstalledVersionKey));
        defaults.setValue(QLatin1String(kLaunchCountKey), qint64{1});
        defaults.sync();
        return true;
    }
    diagnostic("Not First Time");
    defaults.setValue(QLatin1String(kLaunchCountKey), launchCount(defaults) + 1);
    defaults.sync();
    return false;
}

}  // namespace velmora::app
