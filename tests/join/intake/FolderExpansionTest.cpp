// Natural order of names and paths, the media extensions, and folders
// expanded into the media files inside them.
#include <algorithm>

#include "foundation/Cancellation.h"
#include "join/intake/FolderExpansion.h"
#include "join/intake/IntakeRule.h"
#include "join/intake/MediaFiles.h"
#include "join/intake/NaturalOrder.h"
#include "support/JoinTestSupport.h"

using namespace jointest;

TEST(NaturalOrder, Names)
{
    // Each pair in order: a before b.
    const std::vector<std::pair<std::string, std::string>> before{
        {"part 9", "Part 10"},      {"track1", "track01a"},          {"a1", "ab"},
        {"1 intro", "intro"},       {"part2", "part 3"},             {"Ölfeld 2", "ölfeld 10"},
        {"disc1track2", "disc2track1"}, {"9999999999999999999998", "9999999999999999999999"}, {"", "a"},
        // Equal but for case or leading zeros: the bytes decide, so only equal names tie.
        {"ABC", "abc"},                  {"track 007", "track 7"}};
    for (const auto& [a, b] : before) {
        EXPECT_LT(naturalCompare(a, b), 0) << a << " < " << b;
        EXPECT_GT(naturalCompare(b, a), 0) << b << " > " << a;
    }
    EXPECT_EQ(naturalCompare("part2", "part2"), 0);

    std::vector<std::string> names{"part10.mp3", "Part1.mp3", "part2.mp3", "part 3.mp3", "Part20.mp3", "part02.mp3"};
    std::sort(names.begin(), names.end(), naturalLess);
    EXPECT_EQ(names, (std::vector<std::string>{"Part1.mp3", "part02.mp3", "part2.mp3", "part 3.mp3", "part10.mp3",
                                               "Part20.mp3"}));
}

TEST(NaturalOrder, PathsFolderByFolder)
{
    std::vector<std::string> paths{"Disc 2/Track 1.mp3", "Disc 10/Track 1.mp3", "Disc 1/Track 2.mp3",
                                   "Disc 1/Track 10.mp3", "Bonus.mp3", "Disc 1/Extra/a.mp3", "Disc 1.mp3"};
    std::sort(paths.begin(), paths.end(), naturalPathLess);
    EXPECT_EQ(paths, (std::vector<std::string>{"Bonus.mp3", "Disc 1/Extra/a.mp3", "Disc 1/Track 2.mp3",
                                               "Disc 1/Track 10.mp3", "Disc 1.mp3", "Disc 2/Track 1.mp3",
                                               "Disc 10/Track 1.mp3"}));
}

TEST(MediaFiles, ExtensionsByName)
{
    const std::vector<std::pair<std::string, bool>> cases{
        {"/a/SONG.FLAC", true}, {"/a/clip.MkV", true}, {"/a/cover.jpg", false}, {"/a/mp3", false},
        {"/a/.mp3", false},     {"/a/dvd.vob", false}, {"/a.mp3/readme", false}};
    for (const auto& [path, media] : cases)
        EXPECT_EQ(hasMediaFileExtension(path), media) << path;
    // Each extension once, lower case, and none the intake refuses by name.
    const auto& all = mediaFileExtensions();
    for (const std::string& extension : all) {
        EXPECT_EQ(std::count(all.begin(), all.end(), extension), 1) << extension;
        EXPECT_TRUE(std::none_of(extension.begin(), extension.end(), [](char c) { return c >= 'A' && c <= 'Z'; }));
        EXPECT_FALSE(isSkippedExtension("x." + extension)) << extension;
    }
}

TEST(FolderExpansion, FoldersGiveTheirMediaFilesInNaturalOrder)
{
    const std::string dir = freshDir("expand");
    for (const std::string name : {"book/part10.mp3", "book/Part2.MP3", "book/part1.m4a", "book/cover.jpg",
                                   "book/.hidden.mp3", "book/.trash/x.mp3", "book/CD 2/a.flac", "book/CD 10/a.flac",
                                   "empty/readme.txt", "loose.wav", "notes.txt"}) {
        const std::string path = dir + "/" + name;
        QDir().mkpath(QString::fromStdString(path.substr(0, path.rfind('/'))));
        writeFile(path, "x");
    }
    // A link back up the tree is followed once, not forever.
    ::symlink((dir + "/book").c_str(), (dir + "/book/CD 2/loop").c_str());

    const std::vector<std::string> given{dir + "/notes.txt", dir + "/book/", dir + "/empty", dir + "/loose.wav",
                                         dir + "/missing.mp3"};
    EXPECT_EQ(expandFolders(given),
              (std::vector<std::string>{dir + "/notes.txt", dir + "/book/CD 2/a.flac", dir + "/book/CD 10/a.flac",
                                        dir + "/book/part1.m4a", dir + "/book/Part2.MP3", dir + "/book/part10.mp3",
                                        dir + "/loose.wav", dir + "/missing.mp3"}));
    Cancellation cancelled;
    cancelled.cancel();
    EXPECT_EQ(expandFolders({dir + "/book", dir + "/notes.txt"}, &cancelled),
              (std::vector<std::string>{dir + "/notes.txt"}));
}
