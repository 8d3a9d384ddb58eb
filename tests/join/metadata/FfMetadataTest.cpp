// The metadata file for ffmpeg: its escaping, and what ffmpeg writes from it
// into each container, read back with ffprobe.
#include <gtest/gtest.h>

#include "join/metadata/FfMetadata.h"
#include "support/AlbumTestSupport.h"

using namespace velmora;
using namespace albumtest;
using Tags = std::map<std::string, std::string>;
using ChapterMarks = std::vector<std::pair<double, std::string>>;

namespace {

const std::string kAwkwardTitle = "One = two; three # four \"quoted\" \\ back \xC3\x9Cn\xC3\xAF \xE6\x97\xA5\xE6\x9C\xAC";

void expectChapters(const ChapterMarks& read, const ChapterMarks& expected, const std::string& file)
{
    ASSERT_EQ(read.size(), expected.size()) << file;
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_NEAR(read[i].first, expected[i].first, 0.0011) << file << " chapter " << i;
        EXPECT_EQ(read[i].second, expected[i].second) << file << " chapter " << i;
    }
}

}  // namespace

TEST(FfMetadata, EscapesAndLayout)
{
    const std::pair<std::string, std::string> cases[] = {
        {"plain text", "plain text"},          {"a=b;c#d\\e", "a\\=b\\;c\\#d\\\\e"},
        {"two\nlines\r", "two\\\nlines\\\r"}, {std::string("nul\0byte", 8), "nulbyte"},
        {"\"quotes\" stay", "\"quotes\" stay"}, {"ends in \\", std::string("ends in \\\\\0", 11)},
    };
    for (const auto& [text, escaped] : cases)
        EXPECT_EQ(escapeFfmetadata(text), escaped) << text;

    AlbumMetadata album;
    album.title = "Best; of";
    album.tags = {{"artist", "Ann"}, {"album", "Best; of"}};
    const std::vector<OutputChapter> chapters{
        {0.0, 61.4996, "Intro", "", 0}, {61.4996, 61.5, "too short", "", 1}, {61.5, 62.4933, "#2", "", 1}};
    EXPECT_EQ(ffmetadataText(album, chapters), ";FFMETADATA1\ntitle=Best\\; of\nalbum=Best\\; of\nartist=Ann\n"
                                               "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=61500\ntitle=Intro\n"
                                               "[CHAPTER]\nTIMEBASE=1/1000\nSTART=61500\nEND=62493\ntitle=\\#2\n");
    EXPECT_EQ(vorbisChapterTags(chapters), (Tags{{"CHAPTER000", "00:00:00.000"}, {"CHAPTER000NAME", "Intro"},
                                                 {"CHAPTER001", "00:01:01.500"}, {"CHAPTER001NAME", "#2"}}));
}

TEST(FfMetadata, AwkwardTextsReachEveryChapterContainer)
{
    AlbumMetadata album;
    album.title = kAwkwardTitle;
    album.tags = {{"album", "Al=bum #1"}, {"artist", "Ann; Bob"}, {"album_artist", "\\Ann\\"},
                  {"genre", "Folk\n"},    {"date", "1999"},      {"composer", "Cl\xC3\xA9ment"}};
    const std::vector<OutputChapter> chapters{{0.0, 1.25, kAwkwardTitle, "", 0},
                                              {1.25, 2.0, "two\nlines", "", 1},
                                              {2.0, 3.0, "#hash at the start", "", 2}};
    const std::string dir = freshDir("ffmetadata-awkward");
    writeFile(dir + "/meta.txt", ffmetadataText(album, chapters));
    const ChapterMarks expected{{0.0, kAwkwardTitle}, {1.25, "two\nlines"}, {2.0, "#hash at the start"}};
    for (const std::string ext : {"m4b", "m4a", "mp4", "mkv", "mka", "mp3"}) {
        const std::string out = dir + "/out." + ext;
        ASSERT_EQ(muxTone(out, 3.0, {"-i", dir + "/meta.txt", "-map", "0:a", "-map_metadata", "1", "-map_chapters", "1"}),
                  "")
            << ext;
        const nlohmann::json report = probed(out);
        expectChapters(chaptersOf(report), expected, out);
        Tags tags = tagsOf(report);
        for (const auto& [key, value] : album.tags)
            EXPECT_EQ(tags[key], value) << out << " " << key;  // exactly: a last backslash or line end too
        EXPECT_EQ(tags["title"], kAwkwardTitle) << out;
    }
}

TEST(FfMetadata, VorbisCommentChaptersForFlacAndOgg)
{
    AlbumMetadata album;
    album.title = "Winter";
    const std::vector<OutputChapter> chapters{
        {0.0, 1.7, "First", "", 0}, {1.7, 2.5, kAwkwardTitle, "", 1}, {2.5, 3.0, "Third", "", 2}};
    for (const auto& [key, value] : vorbisChapterTags(chapters))
        album.tags[key] = value;
    const std::string dir = freshDir("ffmetadata-vorbis");
    writeFile(dir + "/meta.txt", ffmetadataText(album, {}));
    const ChapterMarks expected{{0.0, "First"}, {1.7, kAwkwardTitle}, {2.5, "Third"}};
    for (const auto& [ext, codec] : {std::pair{"flac", "flac"}, {"ogg", "libvorbis"}, {"opus", "libopus"}}) {
        const std::string out = dir + "/out." + ext;
        ASSERT_EQ(muxTone(out, 3.0, {"-i", dir + "/meta.txt", "-map", "0:a", "-map_metadata", "1", "-map_chapters",
                                     "-1", "-c:a", codec}),
                  "");
        const nlohmann::json report = probed(out);
        expectChapters(chaptersOf(report), expected, out);
        EXPECT_EQ(tagsOf(report)["title"], "Winter") << out;
    }
}

TEST(FfMetadata, TagBytesThatAreNotUtf8ComeBackAsTheyWere)
{
    // Latin-1 text in a tag: the probe's report carries it, the metadata file gets the bytes back.
    // (Through a metadata file: the arguments of a tool run here are taken as UTF-8.)
    const std::string latin1 = "Caf\xE9 \xFF\x80", meta = freshDir("latin1") + "/meta.txt";
    writeFile(meta, ";FFMETADATA1\ntitle=" + latin1 + "\n");
    const std::string file = taggedTone("latin1.mka", 1.0, {}, {"-map_metadata", "1"}, {"-i", meta});
    const RowMetadata row = readRowMetadata(FileProbe(file));
    ASSERT_TRUE(row.tag("title").has_value());
    AlbumMetadata album;
    album.title = *row.tag("title");
    EXPECT_EQ(ffmetadataText(album, {}), ";FFMETADATA1\ntitle=" + latin1 + "\n");
}
