#pragma once
// Lists saved as M3U8 playlists: "#EXTM3U", then for each entry
// "#EXTINF:<seconds>,<title>" and its path, relative to the playlist's folder
// when both lie below one top folder, else absolute. The text is UTF-8; paths
// are written as the file system holds them.

#include <optional>
#include <string>
#include <vector>

namespace velmora {

struct PlaylistItem {
    std::string path;  // absolute
    double seconds = 0.0;
    std::string title;
};

// `path` as seen from `folder` (both absolute): "b.mp3", "CD1/b.mp3",
// "../Other/b.mp3"; the path itself when the two share no folder but "/".
std::string playlistRelativePath(const std::string& path, const std::string& folder);

// The playlist's text for a playlist kept at `playlistPath` (absolute).
std::string m3u8Text(const std::vector<PlaylistItem>& items, const std::string& playlistPath);

// Writes the playlist in one piece: a file that was there stays whole until
// the new one is complete. The reason when it could not be written.
std::optional<std::string> writeM3u8(const std::vector<PlaylistItem>& items, const std::string& playlistPath);

}  // namespace velmora
