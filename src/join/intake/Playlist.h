#pragma once
// File lists read from a playlist: one path per line, or an M3U/M3U8
// playlist (comment lines start with "#"; entries may be file:// URLs).
// Relative entries are taken from the playlist's own folder.

#include <optional>
#include <string>
#include <vector>

namespace velmora {

struct PlaylistEntries {
    std::vector<std::string> paths;  // absolute, in the playlist's order
    std::optional<std::string> error;
};

// Reads the playlist at an absolute or relative path.
PlaylistEntries readPlaylist(const std::string& path);
// Whether the path names a playlist by its extension (.m3u or .m3u8, any case).
bool isPlaylistPath(const std::string& path);
// The paths with every playlist among them replaced by its entries, in
// place; a playlist that cannot be read stays as it is (the intake then names
// it). Reads files: not for the main thread.
std::vector<std::string> expandPlaylists(const std::vector<std::string>& paths);
// The entries of a playlist's text, anchored to `folder`.
std::vector<std::string> playlistEntries(const std::string& text, const std::string& folder);

}  // namespace velmora
