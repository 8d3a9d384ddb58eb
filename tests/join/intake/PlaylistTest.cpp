// File lists from playlists: plain lists and M3U, relative entries from the
// playlist's folder.
#include <gtest/gtest.h>

#include <QDir>

#include "join/intake/Playlist.h"
#include "join/intake/PlaylistWriter.h"
#include "support/TestSupport.h"

using namespace velmora;
using Paths = std::vector<std::string>;

TEST(Playlist, EntriesOfPlainListsAndM3u)
{
    const std::pair<std::string, Paths> cases[] = {
        {"a.mp3\nsub/b.flac\n/abs/c.wav\n", {"/pl/a.mp3", "/pl/sub/b.flac", "/abs/c.wav"}},
        {"#EXTM3U\r\n#EXTINF:123,Artist - Title\r\nTrack 01.mp3\r\n\r\n  Track 02.mp3  \r\n",
         {"/pl/Track 01.mp3", "/pl/Track 02.mp3"}},
        {"\xEF\xBB\xBF#EXTM3U\ncaf\xC3\xA9.m4a", {"/pl/caf\xC3\xA9.m4a"}},
        {"file:///music/My%20Song.mp3\nfile://localhost/music/x.ogg\nfile:///bad%FF.mp3\n",
         {"/music/My Song.mp3", "/music/x.ogg", "/bad\xFF.mp3"}},
        {"raw\xFF name.wav\n", {"/pl/raw\xFF name.wav"}},
        {"\n#only comments\n\n", {}},
    };
    for (const auto& [text, paths] : cases)
        EXPECT_EQ(playlistEntries(text, "/pl"), paths) << text;
}

TEST(Playlist, ReadsAFileRelativeToItsFolder)
{
    const std::string dir = testsupport::freshDir("playlist");
    testsupport::writeFile(dir + "/album.m3u8", "01.flac\n../other/02.flac\n");
    const PlaylistEntries entries = readPlaylist(dir + "/album.m3u8");
    EXPECT_FALSE(entries.error);
    EXPECT_EQ(entries.paths, (Paths{dir + "/01.flac", dir + "/../other/02.flac"}));
    const PlaylistEntries missing = readPlaylist(dir + "/missing.m3u");
    ASSERT_TRUE(missing.error);
    EXPECT_NE(missing.error->find("No such file or directory"), std::string::npos) << *missing.error;
}

// Saved and read back: the same files in the same order, relative where they
// share a folder with the playlist, with their lengths and titles.
TEST(Playlist, SavedM3u8ReadsBackInOrder)
{
    const std::string dir = testsupport::freshDir("playlist-save"), lists = dir + "/Listen ä";
    const std::vector<PlaylistItem> items{
        {dir + "/Listen ä/Hörbuch 書/CD1/01 – Anfang.flac", 61.4, "Anfang, der"},
        {dir + "/Other/02.mp3", 2.5, "Zwei\nLines"},
        {"/srv/music/03.wav", 0.0, ""},
    };
    EXPECT_TRUE(writeM3u8(items, lists + "/list.m3u8").has_value());  // the folder is missing
    QDir().mkpath(QString::fromStdString(lists));
    ASSERT_FALSE(writeM3u8(items, lists + "/list.m3u8").has_value());
    EXPECT_EQ(testsupport::readFile(lists + "/list.m3u8"),
              "#EXTM3U\n#EXTINF:61,Anfang, der\nHörbuch 書/CD1/01 – Anfang.flac\n"
              "#EXTINF:3,Zwei Lines\n../Other/02.mp3\n#EXTINF:-1,\n/srv/music/03.wav\n");
    const PlaylistEntries read = readPlaylist(lists + "/list.m3u8");
    ASSERT_FALSE(read.error);
    Paths cleaned;
    for (const std::string& path : read.paths)
        cleaned.push_back(QDir::cleanPath(QString::fromStdString(path)).toStdString());
    EXPECT_EQ(cleaned, (Paths{items[0].path, items[1].path, items[2].path}));
    // A playlist among paths stands for its entries; one that cannot be read stays.
    EXPECT_EQ(expandPlaylists({"/a.mp3", lists + "/list.m3u8", dir + "/gone.M3U"}).size(), 5u);
}
