// Real files made with ffmpeg, probed by the real ffprobe through the built
// resources folder.
#include <gtest/gtest.h>

#include "probe/HumanValues.h"
#include "probe/ProbeTestUtil.h"

using namespace velmora;
using Strings = std::vector<std::string>;

namespace {
struct RealMedia : ::testing::Test {
    probetest::ToolsDirectory tools{testsupport::resourcesDir()};
};
}  // namespace

TEST_F(RealMedia, TracksSummariesChaptersAndLanguages)
{
    // Each track as "Type: extra", then audio/video/subtitle counts. This
    // ffprobe names no channel layout for a WAV without a channel mask.
    const std::pair<std::string, Strings> rows[] = {
        {testsupport::mp3WithCover(), {"Audio: mono", "Poster: PNG (Portable Network Graphics) image - 300x300", "1/0/0"}},
        {testsupport::sineWav(), {"Audio: ", "1/0/0"}},
        {testsupport::sineM4a(), {"Audio: mono", "1/0/0"}},
        {testsupport::sineFlac(), {"Audio: mono", "1/0/0"}},
        {testsupport::h264Clip(1280, 720, 25), {"Video: Wide: 1280x720 (720p)", "Audio: mono", "1/1/0"}},
        {testsupport::rotatedClip(320, 240), {"Video: Tall: 240x320 (LD)", "0/1/0"}},
        {testsupport::chapteredM4a(), {"Audio: mono", "Chapter: Number of Chapters: 2", "1/0/0"}},
        {testsupport::subtitledMp4(), {"Audio: mono", "Subtitle: MOV text - Text-Based", "1/0/1"}},
    };
    for (const auto& [path, summaries] : rows) {
        const FileProbe probe(path);
        EXPECT_TRUE(!probe.hasErrors && !probe.isEncrypted && probe.isValidMediaFile && probe.json) << path;
        EXPECT_EQ(probetest::trackSummaries(probe), summaries) << path;
        EXPECT_EQ(probe.numberOfTracks + 1, static_cast<std::int64_t>(summaries.size())) << path;
        EXPECT_TRUE(probe.duration > 0.9 && probe.bitrate > 0) << path;
        EXPECT_EQ(probe.fileSize, fileSizeBytes(path)) << path;
    }
    const JSON video = *FileProbe(testsupport::h264Clip(1280, 720, 25)).firstVideoTrackInfo;
    EXPECT_EQ(video["dimension"].stringValue() + " " + video["resolution"].stringValue() + " " +
                  video["fps"].stringValue() + " " + std::to_string(video["ratio"].doubleValue()),
              "1280x720 720p 25 1.777778");
    EXPECT_EQ(video["profilewithlevel"].stringValue().rfind("Constrained Baseline@", 0), 0u);
    const FileProbe probe(testsupport::chapteredM4a());
    EXPECT_EQ(readChapters(probe),
              (KeyValueList{{"Intro", "00:00:00.000 - 00:00:00.000"}, {"Main", "00:00:00.000 - 00:00:01.000"}}));
    EXPECT_EQ(probe.tracksInfo.at(1).trackLanguage + " " + *probe.iTunesMetadata->title, "English Chaptered");
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
    const Strings none{"0/0/0"}, art{"Other: ASCII/ANSI art", "0/0/0"};
    const std::tuple<std::string, std::string, bool, Strings> rows[] = {
        {"empty.mp3", "", true, none}, {"noise.mp3", noise, true, none}, {"truncated.mp4", clip, true, none},
        {"plain notes.txt", text, false, art}, {"NOTES.TXT", text, false, art}};
    probetest::DiagnosticRecorder recorder;
    for (const auto& [name, bytes, errors, summaries] : rows) {
        testsupport::writeFile(dir + "/" + name, bytes);
        const FileProbe probe(dir + "/" + name);
        EXPECT_TRUE(probe.hasErrors == errors && !probe.isValidMediaFile) << name;
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
