#pragma once
// The folders the window's file dialogs open on: where the user last added
// files from, and where the last join went.

#include <optional>

#include <QString>

namespace velmora::app {

// The folder kept in the settings under `key`, when it still exists.
std::optional<QString> rememberedFolder(const char* key);
void rememberFolder(const char* key, const QString& folder);

}  // namespace velmora::app
