// CUE sheets: frame times, file types and the sheet's text.
#include <gtest/gtest.h>

#include "join/metadata/CueSheet.h"

using namespace velmora;

TEST(CueSheet, FrameTimesRoundToTheNearestFrame)
{
    const std::pair<double, std::string> cases[] = {
        {0.0, "00:00:00"},    {61.5, "01:01:38"},    {0.9933, "00:00:74"}, {0.9934, "00:01:00"},
        {59.9999, "01:00:00"}, {3600.0, "60:00:00"}, {6000.5, "100:00:38"}, {-1.0, "00:00:00"},
        {std::nan(""), "00:00:00"}, {0.02, "00:00:02"},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(cueTime(seconds), text) << seconds;
    const std::pair<std::string, std::string> types[] = {
        {"a.mp3", "MP3"}, {"a.MP3", "MP3"}, {"a.aiff", "AIFF"}, {"a.aif", "AIFF"}, {"a.flac", "WAVE"},
        {"a.wav", "WAVE"}, {"a.ogg", "WAVE"}, {"noext", "WAVE"}};
    for (const auto& [name, type] : types)
        EXPECT_EQ(cueFileType(name), type) << name;
}

TEST(CueSheet, SheetText)
{
    AlbumMetadata album;
    album.title = "Say \"hi\"";
    album.tags = {{"album_artist", "Various"}, {"genre", "Folk Rock"}, {"date", "1999"}};
    const std::vector<OutputChapter> chapters{{0.0, 61.5, "One\nline", "", 0},
                                              {61.5, 62.4933, "Two", "Bob \"B\"", 1},
                                              {62.4933, 70.0, "Three", "Various", 2}};
    EXPECT_EQ(cueSheetText("My \"Album\".flac", album, chapters),
              "REM GENRE \"Folk Rock\"\nREM DATE \"1999\"\nPERFORMER \"Various\"\nTITLE \"Say 'hi'\"\n"
              "FILE \"My \"Album\".flac\" WAVE\n"
              "  TRACK 01 AUDIO\n    TITLE \"One line\"\n    INDEX 01 00:00:00\n"
              "  TRACK 02 AUDIO\n    TITLE \"Two\"\n    PERFORMER \"Bob 'B'\"\n    INDEX 01 01:01:38\n"
              "  TRACK 03 AUDIO\n    TITLE \"Three\"\n    INDEX 01 01:02:37\n");
    // The FILE line is found as a line of its own, not inside a title.
    album.title = "FILE \"x.flac\" WAVE";
    EXPECT_EQ(cueFileLine(cueSheetText("a.flac", album, chapters)), "FILE \"a.flac\" WAVE");
    EXPECT_EQ(cueFileLine("TITLE \"x\"\n"), "");
    // The artist tag is the album's performer when there is one.
    album.tags["artist"] = "Ann";
    album.title.reset();
    const std::string sheet = cueSheetText("a.mp3", album, {});
    EXPECT_EQ(sheet.substr(sheet.find("PERFORMER")), "PERFORMER \"Ann\"\nFILE \"a.mp3\" MP3\n");
}
