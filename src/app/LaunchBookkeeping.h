#pragma once
// Launch bookkeeping in the settings: "installedVersion" holds the version
// seen at the last launch that changed it, "launchCount" the launches since.

#include <optional>

#include <QSettings>
#include <QString>

namespace velmora::app {

// Records one launch of `currentVersion` (absent when the application has
// none); writes "First Time" or "Not First Time". Returns true for a first time.
bool recordLaunch(QSettings& settings, const std::optional<QString>& currentVersion);
// "launchCount" as a signed 64-bit integer; absent or unreadable reads as 0.
qint64 launchCount(QSettings& settings);

}  // namespace velmora::app
