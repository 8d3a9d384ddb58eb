#include "join/metadata/AlbumMetadata.h"

namespace velmora {

const std::vector<std::string>& albumTagKeys()
{
    static const std::vector<std::string> keys{"album", "artist", "album_artist", "genre", "date", "composer"};
    return keys;
}

AlbumMetadata albumMetadata(const std::vector<RowMetadata>& rows, const MetadataOverrides& overrides)
{
    AlbumMetadata album;
    if (!rows.empty()) {
        for (const std::string& key : albumTagKeys()) {
            const std::optional<std::string> first = rows.front().tag(key);
            bool common = first.has_value();
            for (size_t i = 1; common && i < rows.size(); ++i)
                common = rows[i].tag(key) == first;
            if (common)
                album.tags[key] = *first;
        }
    }

    auto apply = [&](const std::optional<std::string>& value, const char* key) {
        if (!value)
            return;
        if (value->empty())
            album.tags.erase(key);
        else
            album.tags[key] = *value;
    };
    apply(overrides.artist, "artist");
    apply(overrides.album, "album");

    // The title follows the album as it stands after the user's changes.
    if (overrides.title) {
        if (!overrides.title->empty()) {
            album.title = overrides.title;
            album.titleSource = TitleSource::user;
        }
    } else if (auto it = album.tags.find("album"); it != album.tags.end()) {
        album.title = it->second;
        album.titleSource = overrides.album ? TitleSource::user : TitleSource::commonAlbum;
    } else if (!rows.empty()) {
        if (auto title = rows.front().tag("title")) {
            album.title = title;
            album.titleSource = TitleSource::firstRowTitle;
        }
    }
    return album;
}

}  // namespace velmora
