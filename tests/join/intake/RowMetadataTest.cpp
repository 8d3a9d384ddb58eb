// A file's tags under one spelling, its numbers, chapters and pictures, from
// crafted reports and from files ffmpeg tagged the way each format does.
#include <gtest/gtest.h>

#include "join/intake/RowMetadata.h"
#include "support/AlbumTestSupport.h"
#include "support/ProbeTestSupport.h"

using namespace velmora;
using namespace probetest;
using nlohmann::json;
using Tags = std::map<std::string, std::string>;

namespace {

RowMetadata rowFrom(const json& formatTags, const json& streams = json::array(), const json& chapters = json::array())
{
    return readRowMetadata(probeWithReport(report(streams, {{"tags", formatTags}}, chapters), "Track 07.flac"));
}

}  // namespace

TEST(RowMetadata, TagSpellingsFoldToOneName)
{
    const json opus = stream("audio", "opus", {{"tags", {{"TITLE", "Stream title"}, {"ARTIST", "Stream artist"}}}});
    const std::vector<std::tuple<json, json, Tags>> cases{
        // Vorbis comments in capitals, MP3/M4A in small letters; both read alike.
        {{{"TITLE", "T"}, {"ALBUM", "A"}, {"ARTIST", "R"}, {"GENRE", "G"}, {"COMPOSER", "C"}}, json::array(),
         {{"title", "T"}, {"album", "A"}, {"artist", "R"}, {"genre", "G"}, {"composer", "C"}}},
        {{{"ALBUMARTIST", "X"}, {"TRACKNUMBER", "3"}, {"DISCNUMBER", "1"}, {"TOTALTRACKS", "9"}}, json::array(),
         {{"album_artist", "X"}, {"track", "3"}, {"disc", "1"}, {"tracktotal", "9"}}},
        {{{"album artist", "Y"}, {"disk", "2/2"}, {"year", "1999"}}, json::array(),
         {{"album_artist", "Y"}, {"disc", "2/2"}, {"date", "1999"}}},
        // The tag's own name beats an alias, whatever the order.
        {{{"year", "1999"}, {"DATE", "1999-05-01"}, {"ALBUMARTIST", "alias"}, {"album_artist", "own"}}, json::array(),
         {{"date", "1999-05-01"}, {"album_artist", "own"}}},
        // Values are kept exactly, so the joined file gets them back; blank ones are no tags.
        {{{"title", "  Padded \n"}, {"album", "   "}, {"artist", ""}}, json::array(), {{"title", "  Padded \n"}}},
        // Opus and Ogg keep their comments on the audio stream; the container's tags come first.
        {json::object(), json::array({opus}), {{"title", "Stream title"}, {"artist", "Stream artist"}}},
        {{{"title", "Format title"}}, json::array({stream("video", "mjpeg"), opus}),
         {{"title", "Format title"}, {"artist", "Stream artist"}}},
    };
    for (const auto& [formatTags, streams, tags] : cases)
        EXPECT_EQ(rowFrom(formatTags, streams).tags, tags) << formatTags.dump();
}

TEST(RowMetadata, TrackAndDiscNumbers)
{
    const std::vector<std::tuple<std::string, std::optional<int>, std::optional<int>>> numbers{
        {"03", 3, {}}, {" 3 / 12 ", 3, 12}, {"A1", {}, {}}, {"-2", {}, {}}, {"99999999999", {}, {}},
        {"4 of 10", 4, {}}, {"5/x", 5, {}}};
    for (const auto& [text, number, total] : numbers) {
        std::optional<int> foundTotal;
        EXPECT_EQ(leadingNumber(text, &foundTotal), number) << text;
        EXPECT_EQ(foundTotal, total) << text;
    }
    const RowMetadata row = rowFrom({{"TRACKNUMBER", "4"}, {"TRACKTOTAL", "11"}, {"disc", "2/3"}});
    EXPECT_EQ(std::make_tuple(row.track, row.trackTotal, row.disc, row.discTotal),
              std::make_tuple(std::optional(4), std::optional(11), std::optional(2), std::optional(3)));
    // The total written with the number wins over a separate total tag.
    EXPECT_EQ(rowFrom({{"track", "1/5"}, {"tracktotal", "9"}}).trackTotal, 5);
    EXPECT_FALSE(rowFrom({{"title", "x"}}).track.has_value());
}

TEST(RowMetadata, ChaptersInSecondsWithTheirTitles)
{
    const json chapters = json::array({
        {{"start_time", "65.750000"}, {"end_time", "120.000000"}, {"tags", {{"TITLE", "Second"}}}},
        {{"start_time", "0.000000"}, {"end_time", "65.750000"}, {"tags", {{"title", "First"}}}},
        // No decimal times: the ticks in the time base.
        {{"time_base", "1/1000"}, {"start", 120000}, {"end", 125500}},
        {{"start_time", "abc"}, {"end_time", "1"}},  // unreadable times read as 0, the row still counts
        {{"tags", {{"title", "no times"}}}},
    });
    const RowMetadata row = rowFrom(json::object(), json::array(), chapters);
    EXPECT_EQ(row.chapters, (std::vector<SourceChapter>{
                                {0.0, 65.75, "First"}, {0.0, 1.0, ""}, {65.75, 120.0, "Second"}, {120.0, 125.5, ""}}));
    EXPECT_EQ(row.fileName, "Track 07.flac");
    EXPECT_EQ(rowTitle(row), "Track 07");
    EXPECT_EQ(rowTitle(rowFrom({{"TITLE", "Named"}})), "Named");
}

TEST(RowMetadata, PicturesAreAttachedOrPosterStreams)
{
    const json streams = json::array({
        stream("audio", "flac", {{"index", 0}}),
        stream("video", "mjpeg", {{"index", 1}, {"disposition", {{"attached_pic", 1}}}}),
        stream("video", "h264", {{"index", 2}, {"avg_frame_rate", "25/1"}}),
        // A poster by its classification, without the disposition flag.
        stream("video", "png", {{"index", 3}, {"codec_tag_string", "[0][0][0][0]"}}),
        stream("video", "bmp", {{"index", 4}, {"disposition", {{"attached_pic", 1}}}}),
    });
    EXPECT_EQ(rowFrom(json::object(), streams).pictures,
              (std::vector<EmbeddedPicture>{{1, "mjpeg"}, {3, "png"}, {4, "bmp"}}));
}

TEST(RowMetadata, RealFilesOfEachFormat)
{
    using namespace albumtest;
    const std::string flac = taggedTone("tagged.flac", 1.0,
                                        {"TITLE=Flac Song", "ALBUM=Winter", "ARTIST=Ann", "TRACKNUMBER=3/12",
                                         "DISCNUMBER=2", "ALBUMARTIST=Ann & Bob", "DATE=1999"},
                                        {"-c:a", "flac"});
    const std::string mp3 = taggedTone("tagged.mp3", 1.0,
                                       {"title=Mp3 Song", "album=Winter", "track=4/10", "disc=1/2", "genre=Folk"},
                                       {"-map", "0:a", "-map", "1:v", "-c:a", "libmp3lame", "-c:v", "copy",
                                        "-disposition:v", "attached_pic", "-id3v2_version", "3"},
                                       {"-i", jpegPicture()});
    const std::string opus = taggedTone("tagged.opus", 1.0, {"title=Opus Song", "album=Winter"}, {"-c:a", "libopus"});

    const RowMetadata flacRow = realRow(flac);
    Tags flacTags = flacRow.tags;
    flacTags.erase("encoder");
    EXPECT_EQ(flacTags, (Tags{{"title", "Flac Song"}, {"album", "Winter"}, {"artist", "Ann"}, {"track", "3/12"},
                              {"disc", "2"}, {"album_artist", "Ann & Bob"}, {"date", "1999"}}));
    EXPECT_EQ(std::make_tuple(flacRow.track, flacRow.trackTotal, flacRow.disc), std::make_tuple(3, 12, 2));
    EXPECT_TRUE(flacRow.pictures.empty() && flacRow.chapters.empty());

    const RowMetadata mp3Row = realRow(mp3);
    EXPECT_EQ(mp3Row.tag("title"), "Mp3 Song");
    EXPECT_EQ(std::make_tuple(mp3Row.track, mp3Row.disc, mp3Row.discTotal), std::make_tuple(4, 1, 2));
    EXPECT_EQ(mp3Row.pictures, (std::vector<EmbeddedPicture>{{1, "mjpeg"}}));

    EXPECT_EQ(realRow(opus).tag("title"), "Opus Song");  // from the stream's comments

    const RowMetadata m4a = realRow(chapteredM4a());
    EXPECT_EQ(m4a.tag("title"), "Chaptered");
    ASSERT_EQ(m4a.chapters.size(), 2u);
    EXPECT_EQ(m4a.chapters[0].title + "," + m4a.chapters[1].title, "Intro,Main");
    EXPECT_NEAR(m4a.chapters[1].start, 0.5, 1e-6);  // exact, not cut to whole seconds
    EXPECT_NEAR(m4a.chapters[1].end, 1.5, 1e-6);
}
