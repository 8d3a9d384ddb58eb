#pragma once
// The tags of the joined file as a whole: what every input has in common,
// the output's title, and what the user typed over them.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "join/intake/RowMetadata.h"

namespace velmora {

// Where the output's title came from. A title taken from the first row is
// that track's own title, so a window should show it for checking.
enum class TitleSource { none, commonAlbum, firstRowTitle, user };

struct AlbumMetadata {
    // Album-level tags shared by every row, and the user's artist and album.
    std::map<std::string, std::string> tags;
    std::optional<std::string> title;
    TitleSource titleSource = TitleSource::none;
};

// What the user set for the output. A value that is present replaces the
// derived one; an empty value removes it.
struct MetadataOverrides {
    std::optional<std::string> title;
    std::optional<std::string> artist;
    std::optional<std::string> album;
    std::optional<std::string> coverPath;  // read by chooseCover
};

// The tags the joined file may carry as a whole; a track's own tags (title,
// track and disc numbers) are never among them.
const std::vector<std::string>& albumTagKeys();

// Every album-level tag that all rows carry with the same value; the title is
// that common album, else the first row's title tag. Overrides apply last.
AlbumMetadata albumMetadata(const std::vector<RowMetadata>& rows, const MetadataOverrides& overrides = {});

}  // namespace velmora
