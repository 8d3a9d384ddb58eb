#pragma once
// Launch bookkeeping in the user defaults: "installedVersion" holds the version
// seen at the last launch that changed it, "launchCount" the launches since.

#include <optional>

#include <QSettings>
#include <QString>

namespace velmora::app {

inline constexpr const char* kInstalledVersionKey = "installedVersion";
inline constexpr const char* kLaunchCountKey = "launchCount";

// Records one launch of `currentVersion` (absent when the application has
// none); writes "First Time" or "Not First Time". Returns true for a first time.
bool recordLaunch(QSettings& defaults, const std::optional<QString>& currentVersion);
// "launchCount" as a signed 64-bit integer; absent or unreadable reads as 0.
qint64 launchCount(QSettings& defaults);

}  // namespace velmora::app
