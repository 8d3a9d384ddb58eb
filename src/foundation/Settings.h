#pragma once
#include <memory>

#include <QSettings>

namespace velmora {

// The per-user settings store ("installedVersion", "launchCount").
std::unique_ptr<QSettings> userDefaults();

}  // namespace velmora
