// The probe run and its record: real files made with ffmpeg, probed by the
// real ffprobe through the built resources folder, and reports no generator
// makes, printed by a fake probe tool.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "probe/FormatMetadata.h"
#include "probe/HumanValues.h"
#include "support/ProbeTestSupport.h"

using namespace velmora;
using namespace probetest;
using nlohmann::json;
using Strings = std::vector<std::string>;

namespace {
struct RealMedia : ::testing::Test {
    ToolsDirectory tools{testsupport::resourcesDir()};
};
}  // namespace

TEST_F(RealMedia, TracksSummariesChaptersAndLanguages)
{
    // Each track as "Type: extra", then audio/video/subtitle counts. This
    // ffprobe names no channel layout for a WAV without a channel mask.
    const std::pair<std::string, Strings> rows[] = {
        {testsupport::mp3WithCover(), {"Audio: mono", "Poster: PNG (Portable Network Graphics) image - 300x300", "1/0/0"}},
        {testsupport::sineWav(), {"Audio: ", "1/0/0"}},
        {testsupport::h264Clip(1280, 720, 25), {"Video: Wide: 1280x720 (720p)", "Audio: mono", "1/1/0"}},
        {testsupport::rotatedClip(320, 240), {"Video: Tall: 240x320 (LD)", "0/1/0"}},
        {testsupport::chapteredM4a(), {"Audio: mono", "Chapter: Number of Chapters: 2", "1/0/0"}},
        {testsupport::subtitledMp4(), {"Audio: mono", "Subtitle: MOV text - Text-Based", "1/0/1"}},
    };
    for (const auto& [path, summaries] : rows) {
        const FileProbe probe(path);
        EXPECT_TRUE(!probe.hasErrors && !probe.isEncrypted && probe.isValidMediaFile && probe.json) << path;
        EXPECT_EQ(trackSummaries(probe), summaries) << path;
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
    DiagnosticRecorder recorder;
    for (const auto& [name, bytes, errors, summaries] : rows) {
        testsupport::writeFile(dir + "/" + name, bytes);
        const FileProbe probe(dir + "/" + name);
        EXPECT_TRUE(probe.hasErrors == errors && !probe.isValidMediaFile) << name;
        EXPECT_EQ(trackSummaries(probe), summaries) << name;
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

TEST(CraftedReport, ToolFailuresAndFileLevelValues)
{
    DiagnosticRecorder recorder;
    FileProbe probe = probeWithReport(R"({"error": {"code": -2, "string": "No such file"}})");
    EXPECT_TRUE(probe.hasErrors && probe.fileSizeHuman && !probe.json && !probe.durationHuman);
    for (const char* output : {"garbage {", "", "{\"streams\": ["}) {
        probe = probeWithReport(output);
        EXPECT_FALSE(probe.hasErrors || probe.isValidMediaFile || probe.json || probe.bitrateHuman ||
                     probe.iTunesMetadata || probe.firstAudioTrackInfo) << output;
    }
    const std::string drm = report({stream("audio", "aac", {{"codec_tag_string", "drms"}})});
    EXPECT_TRUE(probeWithReport(drm, "a.m4a").isEncrypted);
    probe = probeWithReport(drm, "a.TxT");  // text files are never media, so not scanned
    EXPECT_FALSE(probe.isEncrypted || probe.isValidMediaFile || probe.numberOfTracks != 1);
    EXPECT_FALSE(probeWithReport(report({stream("audio", "aac", {{"codec_tag_string", "DRMS"}})})).isEncrypted);

    probe = probeWithReport(
        report(json::array(), {{"duration", "12.960000"}, {"bit_rate", "1411200"}, {"tags", {{"title", "T"}}}}));
    EXPECT_EQ(*probe.durationHuman + " " + *probe.bitrateHuman + " " + *probe.iTunesMetadata->title,
              "00:00:12.960 1411.2kbps T");
    EXPECT_TRUE(!probe.isValidMediaFile && probe.firstVideoTrackInfo->type() == JSONType::null);
    probe = probeWithReport(R"({"format": {"duration": "N/A"}})");
    EXPECT_EQ(probe.durationHuman, "00:00:00.000");
    EXPECT_FALSE(probe.firstVideoTrackInfo);  // no streams member: no walk
    probe = probeWithReport(R"({"streams": {"a": {"codec_type": "audio"}}})");
    EXPECT_FALSE(probe.numberOfTracks || probe.iTunesMetadata);
    EXPECT_TRUE(recorder.lines.empty());

    // A tool that cannot be started says why, once.
    const std::string dir = testsupport::freshDir("broken-tools");
    testsupport::writeFile(dir + "/sniffer", "not executable");
    ToolsDirectory tools(dir);
    probe = FileProbe(placeholderFile("tool.mp3"));
    EXPECT_FALSE(probe.hasErrors || probe.json);
    ASSERT_EQ(recorder.lines.size(), 1u);
    EXPECT_NE(recorder.lines[0].find("Permission denied"), std::string::npos) << recorder.lines[0];
}


TEST(CraftedReport, TenMegabyteReportThroughThePipe)
{
    json streams = json::array();
    for (int i = 0; i < 2000; ++i)
        streams.push_back(stream(i % 2 ? "audio" : "video", "c", {{"width", 1920}, {"height", 1080},
                                 {"tags", {{"language", "eng"}, {"handler_name", std::string(5000, 'x')}}}}));
    const std::string text = report(streams);
    ASSERT_GT(text.size(), 10u * 1000 * 1000);
    // The tool writes everything before it exits: a reader that waited for
    // the exit first would block on the full pipe forever.
    const FileProbe probe = probeWithReport(text);
    EXPECT_EQ(trackSummaries(probe).back(), "1000/1000/0");
    EXPECT_EQ(probe.tracksInfo.at(1999).trackLanguage, "English");
}

TEST(CraftedReport, RunsThatAreCutShortOrCannotStart)
{
    // Tools folder, time limit, how the run went. A cut-short run fills nothing from its output.
    const std::string huge = "head -c " + std::to_string(kProbeReportLimit + 1) + " /dev/zero | tr '\\0' ' '";
    using namespace std::chrono_literals;
    const std::tuple<std::string, std::chrono::milliseconds, ProbeRun> cases[] = {
        {testsupport::fakeProbeTools("runs-ok", report({stream("audio", "aac")})), 30s, ProbeRun::completed},
        {testsupport::fakeToolsWithScript("runs-slow", "sniffer", "exec sleep 30"), 300ms, ProbeRun::timedOut},
        {testsupport::fakeToolsWithScript("runs-huge", "sniffer", huge + "; echo '{}'"), 30s, ProbeRun::reportTooLarge},
        {testsupport::freshDir("runs-none"), 30s, ProbeRun::toolMissing},
        {testsupport::fakeToolsWithScript("runs-bad", "sniffer", ""), 30s, ProbeRun::toolFailedToStart}};
    // An executable the system cannot run at all.
    testsupport::writeFile(std::get<0>(cases[4]) + "/sniffer", "\x7f" "ELF not really");
    DiagnosticRecorder recorder;
    for (const auto& [tools, limit, run] : cases) {
        ToolsDirectory directory(tools);
        setProbeTimeLimit(limit);
        const auto started = std::chrono::steady_clock::now();
        const FileProbe probe(placeholderFile("run.mp3"));
        EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << tools;
        EXPECT_EQ(probe.run, run) << tools;
        EXPECT_EQ(probe.isValidMediaFile, run == ProbeRun::completed) << tools;
        EXPECT_EQ(probe.runFailure.empty(), run != ProbeRun::toolFailedToStart) << tools;
    }
    setProbeTimeLimit(kDefaultProbeTimeLimit);
}
