#include "app/LaunchBookkeeping.h"

#include "foundation/Diagnostics.h"
#include "foundation/Settings.h"

namespace velmora::app {

qint64 launchCount(QSettings& settings)
{
    bool ok = false;
    const qint64 value = settings.value(QLatin1String(settingsKey::launchCount)).toLongLong(&ok);
    return ok ? value : 0;
}

bool recordLaunch(QSettings& settings, const std::optional<QString>& currentVersion)
{
    std::optional<QString> installed;
    if (settings.contains(QLatin1String(settingsKey::installedVersion)))
        installed = settings.value(QLatin1String(settingsKey::installedVersion)).toString();

    if (installed != currentVersion) {
        diagnostic("First Time");
        if (currentVersion)
            settings.setValue(QLatin1String(settingsKey::installedVersion), *currentVersion);
        else
            settings.remove(QLatin1String(settingsKey::installedVersion));
        settings.setValue(QLatin1String(settingsKey::launchCount), qint64{1});
        settings.sync();
        return true;
    }
    diagnostic("Not First Time");
    settings.setValue(QLatin1String(settingsKey::launchCount), launchCount(settings) + 1);
    settings.sync();
    return false;
}

}  // namespace velmora::app
