// File lists from playlists: plain lists and M3U, relative entries from the
// playlist's folder.
#include <gtest/gtest.h>

#include "join/intake/Playlist.h"
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
