// The joined file's own tags: what all rows share, its title, the user's word.
#include <gtest/gtest.h>

#include "join/metadata/AlbumMetadata.h"

using namespace velmora;
using Tags = std::map<std::string, std::string>;

namespace {

RowMetadata row(Tags tags)
{
    RowMetadata metadata;
    metadata.tags = std::move(tags);
    return metadata;
}

}  // namespace

TEST(AlbumMetadata, CommonTagsAndTheTitle)
{
    const Tags full{{"album", "Winter"}, {"artist", "Ann"}, {"album_artist", "Ann"}, {"genre", "Folk"},
                    {"date", "1999"},    {"composer", "Bo"}, {"title", "One"},       {"track", "1/2"},
                    {"disc", "1"},       {"comment", "c"}};
    Tags second = full;
    second["title"] = "Two";
    second["track"] = "2/2";
    Tags otherAlbum = second;
    otherAlbum["album"] = "Spring";
    Tags noGenre = second;
    noGenre.erase("genre");
    const Tags shared{{"album", "Winter"}, {"artist", "Ann"}, {"album_artist", "Ann"},
                      {"genre", "Folk"},   {"date", "1999"}, {"composer", "Bo"}};
    Tags sharedButAlbum = shared;
    sharedButAlbum.erase("album");
    Tags sharedButGenre = shared;
    sharedButGenre.erase("genre");

    struct Case {
        std::vector<Tags> rows;
        Tags tags;
        std::optional<std::string> title;
        TitleSource source;
    };
    const std::vector<Case> cases{
        // Track titles, numbers and other tags never reach the whole file.
        {{full, second}, shared, "Winter", TitleSource::commonAlbum},
        // A different album on one row drops the album; the title is then the first row's title.
        {{full, otherAlbum}, sharedButAlbum, "One", TitleSource::firstRowTitle},
        // A tag missing on any row is dropped.
        {{full, noGenre}, sharedButGenre, "Winter", TitleSource::commonAlbum},
        // No common album and an untitled first row: no title at all.
        {{{{"album", "A"}}, {{"album", "B"}, {"title", "Second"}}}, {}, std::nullopt, TitleSource::none},
        {{}, {}, std::nullopt, TitleSource::none},
    };
    for (const auto& [rowTags, tags, title, source] : cases) {
        std::vector<RowMetadata> rows;
        for (const Tags& t : rowTags)
            rows.push_back(row(t));
        const AlbumMetadata album = albumMetadata(rows);
        EXPECT_EQ(album.tags, tags) << rowTags.size() << " rows, title " << title.value_or("none");
        EXPECT_EQ(album.title, title);
        EXPECT_EQ(album.titleSource, source) << title.value_or("none");
    }
}

TEST(AlbumMetadata, TheUsersValuesComeLast)
{
    const std::vector<RowMetadata> rows{row({{"album", "Winter"}, {"artist", "Ann"}, {"title", "One"}}),
                                        row({{"album", "Winter"}, {"artist", "Ann"}, {"title", "Two"}})};
    using O = MetadataOverrides;
    const std::vector<std::tuple<O, Tags, std::optional<std::string>, TitleSource>> cases{
        {O{"Mine", {}, {}, {}}, {{"album", "Winter"}, {"artist", "Ann"}}, "Mine", TitleSource::user},
        // The title follows the album the user gave, unless a title is given too.
        {O{{}, {}, "Summer", {}}, {{"album", "Summer"}, {"artist", "Ann"}}, "Summer", TitleSource::user},
        {O{"T", {}, "Summer", {}}, {{"album", "Summer"}, {"artist", "Ann"}}, "T", TitleSource::user},
        // Empty values remove: without an album the title falls back to the first row's.
        {O{{}, "", "", {}}, {}, "One", TitleSource::firstRowTitle},
        {O{"", {}, {}, {}}, {{"album", "Winter"}, {"artist", "Ann"}}, std::nullopt, TitleSource::none},
    };
    for (const auto& [overrides, tags, title, source] : cases) {
        const AlbumMetadata album = albumMetadata(rows, overrides);
        EXPECT_EQ(album.tags, tags) << title.value_or("none");
        EXPECT_EQ(album.title, title);
        EXPECT_EQ(album.titleSource, source) << title.value_or("none");
    }
}
