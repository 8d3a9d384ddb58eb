#pragma once
// The per-user settings store, and the names of the values kept in it.

#include <memory>

#include <QSettings>

namespace velmora {

namespace settingsKey {
// The version seen at the last launch that changed it.
inline constexpr const char* installedVersion = "installedVersion";
// Launches since the installed version last changed, this one included.
inline constexpr const char* launchCount = "launchCount";
}  // namespace settingsKey

std::unique_ptr<QSettings> settings();

}  // namespace velmora
