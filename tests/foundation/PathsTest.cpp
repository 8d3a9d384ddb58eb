// Path pieces, and names surviving the trip through QString.
#include <gtest/gtest.h>

#include "foundation/Paths.h"

using namespace velmora;

TEST(Paths, PiecesOfAPath)
{
    // Path, last component, extension, base name, parent folder.
    const std::tuple<std::string, std::string, std::string, std::string, std::string> cases[] = {
        {"/a/b/Song.MP3", "Song.MP3", "mp3", "Song", "/a/b"},
        {"/a/b/archive.tar.gz", "archive.tar.gz", "gz", "archive.tar", "/a/b"},
        {"/a/.profile", ".profile", "", ".profile", "/a"},
        {"/a/b/", "b", "", "b", "/a"},
        {"/noext", "noext", "", "noext", "/"},
        {"rel.wav", "rel.wav", "wav", "rel", "."},
        {"/a/dir.d/file", "file", "", "file", "/a/dir.d"}};
    for (const auto& [path, last, extension, base, parent] : cases) {
        EXPECT_EQ(lastPathComponent(path), last) << path;
        EXPECT_EQ(lowerExtension(path), extension) << path;
        EXPECT_EQ(baseName(path), base) << path;
        EXPECT_EQ(parentDirectory(path), parent) << path;
    }
    EXPECT_EQ(fileUrlText("/media/my clip #1.mov"), "file:///media/my%20clip%20%231.mov");
    EXPECT_EQ(absolutePath("/x/y"), "/x/y");
    EXPECT_EQ(absolutePath("sub/../x.m4a").back(), 'a');
    EXPECT_EQ(absolutePath("sub/../x.m4a").front(), '/');
}

TEST(Paths, Utf8NamesRoundTripThroughQString)
{
    for (const std::string path : {"/tmp/caf\xc3\xa9.flac", "/tmp/\xe2\x99\xab/a b.wav"})
        EXPECT_EQ(fromQString(toQString(path)), path);
}
