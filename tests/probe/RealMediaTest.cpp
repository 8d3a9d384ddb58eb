// Real files made with ffmpeg, probed by the real ffprobe through the built
// resources folder.
#include <gtest/gtest.h>

#include "probe/HumanValues.h"
#include "probe/ProbeTestUtil.h"

using namespace velmora;
using probetest::valueOf;
using Strings = std::vector<std::string>;

namespace {
struct RealMedia : ::testing::Test {
    probetest::ToolsDirectory tools{testsupport::resourcesDir()};
};
}  // namespace

TEST_F(RealMedia, TracksOfEachKindOfFile)
{
    // This ffprobe names no channel layout for a WAV without a channel mask.
    const std::tuple<std::string, Strings, std::string> rows[] = {
        {testsupport::mp3WithCover(), {"Audio: mono", "Poster: PNG (Portable Network Graphics) image - 300x300"}, "1/0/0"},
        {testsupport::sineWav(), {"Audio: "}, "1/0/0"},
        {testsupport::sineM4a(), {"Audio: mono"}, "1/0/0"},
        {testsupport::sineFlac(), {"Audio: mono"}, "1/0/0"},
        {testsupport::h264Clip(1280, 720, 25), {"Video: Wide: 1280x720 (720p)", "Audio: mono"}, "1/1/0"},
        {testsupport::rotatedClip(320, 240), {"Video: Tall: 240x320 (LD)"}, "0/1/0"},
        {testsupport::chapteredM4a(), {"Audio: mono", "Chapter: Number of Chapters: 2"}, "1/0/0"},
        {testsupport::subtitledMp4(), {"Audio: mono", "Subtitle: MOV text - Text-Based"}, "1/0/1"},
    };
    for (const auto& [path, summaries, counts] : rows) {
        const FileProbe probe(path);
        EXPECT_FALSE(probe.hasErrors || probe.isEncrypted) << path;
        EXPECT_TRUE(probe.isValidMediaFile && probe.json) << path;
        EXPECT_EQ(probetest::trackSummaries(probe), summaries) << path;
        EXPECT_EQ(probetest::trackCounts(probe), counts) << path;
        EXPECT_EQ(probe.numberOfTracks, static_cast<std::int64_t>(summaries.size())) << path;
        EXPECT_GT(probe.duration, 0.9) << path;
        EXPECT_GT(probe.bitrate, 0) << path;
    }
}

TEST_F(RealMedia, AudioSummaryAndTags)
{
    const std::string path = testsupport::mp3WithCover();
    const FileProbe probe(path);
    EXPECT_EQ(probe.fileName, "cover-1.mp3");
    EXPECT_EQ(probe.fileSize, fileSizeBytes(path));
    EXPECT_EQ(probe.durationHuman, durationText(probe.duration));
    const JSON audio = *probe.firstAudioTrackInfo;
    EXPECT_EQ(audio["codec"].stringValue() + audio["index"].stringValue() + audio["bitrateHuman"].stringValue(),
              "mp30128.0kbps");
    EXPECT_EQ(probe.firstVideoTrackInfo->type(), JSONType::null);
    EXPECT_EQ(probe.iTunesMetadata->title, "Sine");
    EXPECT_EQ(valueOf(probe.metadata, "title.tags"), "Sine");
    for (size_t i = 1; i < probe.metadata.size(); ++i)
        EXPECT_LT(probe.metadata[i - 1].key, probe.metadata[i].key);
    const FileProbe wav(testsupport::sineWav());
    EXPECT_EQ((*wav.firstAudioTrackInfo)["bitrate"].intValue(), 705600);
    EXPECT_EQ(valueOf(wav.tracksInfo[0].trackKeyValue, "r_frame_rate"), "0/0");  // kept as written
}

TEST_F(RealMedia, VideoSummariesMendTheQuarterTurn)
{
    const FileProbe wide(testsupport::h264Clip(1280, 720, 25));
    const JSON video = *wide.firstVideoTrackInfo;
    EXPECT_EQ(video["dimension"].stringValue() + " " + video["resolution"].stringValue() + " " +
                  video["fps"].stringValue() + " " + std::to_string(video["ratio"].doubleValue()),
              "1280x720 720p 25 1.777778");
    EXPECT_EQ(video["profilewithlevel"].stringValue().rfind("Constrained Baseline@", 0), 0u);
    EXPECT_EQ((*wide.firstAudioTrackInfo)["index"].stringValue(), "1");
    const auto& listing = wide.tracksInfo[0].trackKeyValue;
    EXPECT_EQ(valueOf(listing, "frames_per_second") + valueOf(listing, "r_frame_rate"), "25(absent)");
    EXPECT_EQ(valueOf(listing, "default.disposition") + valueOf(listing, "language.tags"), "1und");
    // This ffprobe reports the turn in the display matrix, not as a rotate tag.
    const FileProbe tall(testsupport::rotatedClip(320, 240));
    const JSON stream = tall.json->at({"streams", 0});
    EXPECT_FALSE(stream.at({"tags", "rotate"}).exists());
    EXPECT_EQ(std::abs(stream.at({"side_data_list", 0, "rotation"}).intValue()), 90);
    const JSON turned = *tall.firstVideoTrackInfo;
    EXPECT_EQ(turned["dimension"].stringValue() + " " + turned["aspectRatio"].stringValue(), "240x320 Tall");
}

TEST_F(RealMedia, ChaptersAndLanguages)
{
    const FileProbe probe(testsupport::chapteredM4a());
    const KeyValueList chapters{{"Intro", "00:00:00.000 - 00:00:00.000"}, {"Main", "00:00:00.000 - 00:00:01.000"}};
    EXPECT_EQ(readChapters(probe), chapters);
    const auto& listing = probe.tracksInfo.at(1).trackKeyValue;
    EXPECT_EQ(KeyValueList(listing.begin(), listing.begin() + 2), chapters);
    EXPECT_EQ(probe.tracksInfo[1].trackLanguage, "English");
    EXPECT_EQ(probe.iTunesMetadata->title, "Chaptered");
    EXPECT_EQ(FileProbe(testsupport::subtitledMp4()).tracksInfo.at(1).trackLanguage, "French");
}

TEST_F(RealMedia, FilesThatAreNotMedia)
{
    const std::string dir = testsupport::freshDir("not-media");
    std::string noise(4000, '\0'), text;
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    for (int i = 0; i < 200; ++i)
        text += "A line of plain text that goes on for a while, number " + std::to_string(i) + "\n";
    const std::string clip = testsupport::readFile(testsupport::h264Clip(1280, 720, 25)).substr(0, 3000);
    // Text files read as a terminal capture: one track, never valid media.
    const std::tuple<std::string, std::string, bool, Strings> rows[] = {
        {"empty.mp3", "", true, {}}, {"noise.mp3", noise, true, {}}, {"truncated.mp4", clip, true, {}},
        {"plain notes.txt", text, false, {"Other: ASCII/ANSI art"}}, {"NOTES.TXT", text, false, {"Other: ASCII/ANSI art"}}};
    probetest::DiagnosticRecorder recorder;
    for (const auto& [name, bytes, errors, summaries] : rows) {
        testsupport::writeFile(dir + "/" + name, bytes);
        const FileProbe probe(dir + "/" + name);
        EXPECT_EQ(probe.hasErrors, errors) << name;
        EXPECT_FALSE(probe.isValidMediaFile) << name;
        EXPECT_EQ(probetest::trackSummaries(probe), summaries) << name;
        EXPECT_EQ(probe.fileSize, bytes.size()) << name;
        EXPECT_EQ(probe.durationHuman.has_value(), !errors) << name;
    }
    EXPECT_TRUE(recorder.lines.empty());
    const FileProbe missing(dir + "/missing.wav");
    EXPECT_TRUE(missing.hasErrors);
    EXPECT_EQ(*missing.fileName + ", " + *missing.fileSizeHuman, "missing.wav, Unknown File Size");
    ASSERT_EQ(recorder.lines.size(), 2u);  // one per size read
    for (const auto& line : recorder.lines)
        EXPECT_EQ(line.rfind("Failed to get file attributes for local path: " + dir + "/missing.wav with error: ", 0), 0u);
}
