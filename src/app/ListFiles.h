#pragma once
// The list saved as an M3U8 playlist, and a saved list checked before it is
// opened again.

#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "join/intake/FileRow.h"
#include "join/outcome/Messages.h"

namespace velmora::app {

// Writes the rows as an .m3u8 playlist at `path` (each entry's length and
// title, paths relative to the list where they can be); why not, on failure.
std::optional<std::string> saveList(const std::vector<FileRow>& rows, const QString& path);

// The alerts for a list that is no longer there, and one that was not saved.
MessageRequest listGoneMessage(const QString& path);
MessageRequest listNotSavedMessage(const std::string& failure);

}  // namespace velmora::app
