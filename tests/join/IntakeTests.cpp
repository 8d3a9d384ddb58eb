// Which files enter the list, and the row made for each.
#include <gtest/gtest.h>

#include "JoinTestSupport.h"
#include "join/FileRow.h"
#include "support/RecordingHost.h"

using namespace velmora;

namespace {

TrackInfo track(const std::string& type, const std::string& codec)
{
    TrackInfo info;
    info.trackType = type;
    info.trackCodec = codec;
    return info;
}

FileProbe usableProbe(std::vector<TrackInfo> tracks)
{
    FileProbe probe;
    probe.isValidMediaFile = true;
    probe.fileName = "clip.mov";
    probe.durationHuman = "00:00:02";
    probe.duration = 2.5;
    probe.fileSizeHuman = "12 KB";
    for (const TrackInfo& t : tracks) {
        probe.numberOfAudioTracks += t.trackType == "Audio" ? 1 : 0;
        probe.numberOfVideoTracks += t.trackType == "Video" ? 1 : 0;
    }
    probe.tracksInfo = std::move(tracks);
    return probe;
}

}  // namespace

TEST(Intake, RowFromAProbe)
{
    FileProbe probe = usableProbe({track("Video", "prores"), track("Audio", "pcm_s24le"), track("Subtitle", "mov_text")});
    probe.firstVideoTrackInfo = JSON::fromObject({{"codec", "prores"}});
    jointest::DiagnosticRecorder diagnostics;
    const IntakeResult result = intakeFromProbe("/media/my clip #1.mov", probe);
    ASSERT_EQ(result.verdict, IntakeVerdict::accepted);
    ASSERT_TRUE(result.row.has_value());
    const FileRow& row = *result.row;
    EXPECT_EQ(row.fileURL, "file:///media/my%20clip%20%231.mov");
    EXPECT_EQ(row.filePath, "/media/my clip #1.mov");
    EXPECT_EQ(row.fileName, "clip.mov");
    EXPECT_EQ(row.durationHuman, "00:00:02");
    EXPECT_EQ(row.duration, 2.5);
    EXPECT_EQ(row.codec, "prores, pcm_s24le, mov_text");
    EXPECT_EQ(row.mediaType, "Audio & Video");
    EXPECT_EQ(row.fileSizeHuman, "12 KB");
    EXPECT_TRUE(row.isProRes);
    EXPECT_EQ(diagnostics.lines(), std::vector<std::string>{"Audio & Video"});

    const nlohmann::json json = fileRowJson(row);
    EXPECT_EQ(json.size(), 9u);
    EXPECT_EQ(json.at("fileURL"), row.fileURL);
    EXPECT_EQ(json.at("duration"), 2.5);
    EXPECT_EQ(json.at("isProRes"), true);
}

TEST(Intake, MediaTypeAndProRes)
{
    auto typeOf = [](std::vector<TrackInfo> tracks) {
        return intakeFromProbe("/x", usableProbe(std::move(tracks))).row->mediaType;
    };
    EXPECT_EQ(typeOf({track("Audio", "mp3"), track("Poster", "png")}), "Audio");
    EXPECT_EQ(typeOf({track("Audio", "aac"), track("Audio", "ac3")}), "Audio");
    EXPECT_EQ(typeOf({track("Video", "h264")}), "Video");
    EXPECT_EQ(typeOf({track("Audio", "aac"), track("Video", "h264")}), "Audio & Video");
    EXPECT_EQ(intakeFromProbe("/x", usableProbe({track("Video", "h264"), track("Audio", "aac")})).row->codec,
              "h264, aac");

    // Counted tracks but no listed audio or video type.
    FileProbe odd = usableProbe({track("Data", "bin_data")});
    odd.numberOfAudioTracks = 1;
    EXPECT_EQ(intakeFromProbe("/x", odd).row->mediaType, "Unknown");

    FileProbe h264 = usableProbe({track("Video", "h264")});
    h264.firstVideoTrackInfo = JSON::fromObject({{"codec", "h264"}});
    EXPECT_FALSE(intakeFromProbe("/x", h264).row->isProRes);
    FileProbe noCodec = usableProbe({track("Video", "prores")});
    noCodec.firstVideoTrackInfo = JSON::fromObject({{"profile", "HQ"}});
    EXPECT_FALSE(intakeFromProbe("/x", noCodec).row->isProRes);
    FileProbe upper = usableProbe({track("Video", "ProRes")});
    upper.firstVideoTrackInfo = JSON::fromObject({{"codec", "ProRes"}});
    EXPECT_FALSE(intakeFromProbe("/x", upper).row->isProRes);
    EXPECT_FALSE(intakeFromProbe("/x", usableProbe({track("Audio", "aac")})).row->isProRes);
}

TEST(Intake, RefusedProbes)
{
    FileProbe errors = usableProbe({track("Audio", "aac")});
    errors.hasErrors = true;
    FileProbe invalid = usableProbe({track("Audio", "aac")});
    invalid.isValidMediaFile = false;
    FileProbe encrypted = usableProbe({track("Audio", "aac")});
    encrypted.isEncrypted = true;
    const FileProbe subtitles = usableProbe({track("Subtitle", "subrip")});
    jointest::DiagnosticRecorder diagnostics;
    EXPECT_EQ(intakeFromProbe("/x", errors).verdict, IntakeVerdict::unreadable);
    EXPECT_EQ(intakeFromProbe("/x", invalid).verdict, IntakeVerdict::notMedia);
    EXPECT_EQ(intakeFromProbe("/x", encrypted).verdict, IntakeVerdict::protectedContent);
    EXPECT_EQ(intakeFromProbe("/x", subtitles).verdict, IntakeVerdict::noAudioOrVideo);
    EXPECT_FALSE(intakeFromProbe("/x", subtitles).row.has_value());
    EXPECT_TRUE(diagnostics.lines().empty());
}

TEST(Intake, SkippedExtensionsAreNeverProbed)
{
    const std::string dir = testsupport::freshDir("intake-vob");
    const std::string log = dir + "/log";
    jointest::ToolsGuard tools(testsupport::fakeToolsWithScript("intake-vob", "sniffer", "echo probed >> '" + log + "'"));
    for (const std::string name : {"a.vob", "b.VOB", "c.M4p", "d.m4P"}) {
        testsupport::writeFile(dir + "/" + name, "x");
        EXPECT_TRUE(isSkippedExtension(dir + "/" + name));
        EXPECT_EQ(analyzeFile(dir + "/" + name).verdict, IntakeVerdict::skippedExtension);
    }
    EXPECT_FALSE(isSkippedExtension(dir + "/a.vob.mp3"));
    EXPECT_TRUE(jointest::logLines(log).empty());
}

TEST(Intake, BatchThroughTheHost)
{
    jointest::ToolsGuard tools(testsupport::resourcesDir());
    const std::string dir = testsupport::freshDir("intake-batch");
    testsupport::writeFile(dir + "/empty.wav", "");
    testsupport::writeFile(dir + "/text.mp3", "not audio at all, just words");
    testsupport::writeFile(dir + "/skip.VOB", "x");
    const std::vector<std::string> paths{testsupport::sineWav(1.0), dir + "/empty.wav", testsupport::mp3WithCover(1.0),
                                         dir + "/skip.VOB", dir + "/text.mp3", testsupport::h264Clip(320, 240, 15, 1.0),
                                         testsupport::sineWav(1.0)};
    testsupport::RecordingHost host;
    std::vector<FileRow> rows;
    std::thread worker([&] { analyzeFiles(paths, host, [&](FileRow row) { rows.push_back(std::move(row)); }); });
    ASSERT_TRUE(host.waitForSheetHidden());
    worker.join();
    host.drain();
    ASSERT_EQ(host.sheets.size(), 2u);
    EXPECT_EQ(host.sheets[0].title, "Analyzing Files...");
    EXPECT_TRUE(host.sheets[0].indeterminate);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].filePath, paths[0]);
    EXPECT_EQ(rows[0].mediaType, "Audio");
    EXPECT_EQ(rows[1].filePath, paths[2]);
    EXPECT_EQ(rows[1].mediaType, "Audio");  // the cover art does not count
    EXPECT_FALSE(rows[1].isProRes);
    EXPECT_EQ(rows[2].mediaType, "Audio & Video");
    EXPECT_NEAR(rows[2].duration, 1.0, 0.05);
    EXPECT_EQ(rows[3], rows[0]);  // a file added twice is listed twice
    EXPECT_EQ(rows[0].fileURL, fileUrlText(paths[0]));
}
