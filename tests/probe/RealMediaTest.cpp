// Real files made with ffmpeg, probed by the real ffprobe through the built
// resources folder.
#include <gtest/gtest.h>

#include "probe/HumanValues.h"
#include "probe/ProbeTestUtil.h"

using namespace velmora;
using probetest::findEntry;

namespace {

class RealMedia : public ::testing::Test {
protected:
    probetest::ToolsDirectory tools{testsupport::resourcesDir()};
};

std::vector<std::string> types(const FileProbe& probe)
{
    std::vector<std::string> result;
    for (const auto& track : probe.tracksInfo)
        result.push_back(track.trackType);
    return result;
}

void expectUsable(const FileProbe& probe)
{
    EXPECT_FALSE(probe.hasErrors);
    EXPECT_TRUE(probe.isValidMediaFile);
    EXPECT_FALSE(probe.isEncrypted);
    EXPECT_TRUE(probe.json.has_value());
}

}  // namespace

TEST_F(RealMedia, Mp3WithCoverArt)
{
    const std::string path = testsupport::mp3WithCover();
    const FileProbe probe(path);
    expectUsable(probe);
    EXPECT_EQ(probe.fileName, "cover-1.mp3");
    EXPECT_EQ(probe.fileSize, fileSizeBytes(path));
    EXPECT_EQ(types(probe), (std::vector<std::string>{"Audio", "Poster"}));
    EXPECT_EQ(probe.numberOfTracks, 2);
    EXPECT_EQ(probe.numberOfAudioTracks, 1);
    EXPECT_EQ(probe.numberOfVideoTracks, 0);
    EXPECT_EQ(probe.tracksInfo[1].trackExtraInfo, "PNG (Portable Network Graphics) image - 300x300");
    EXPECT_EQ(probe.tracksInfo[0].trackNumber, 0);
    EXPECT_EQ(probe.tracksInfo[1].trackNumber, 1);
    EXPECT_NEAR(probe.duration, 1.0, 0.1);
    EXPECT_EQ(probe.durationHuman, durationText(probe.duration));
    EXPECT_EQ(probe.bitrateHuman, bitrateText(probe.bitrate));
    ASSERT_TRUE(probe.firstAudioTrackInfo.has_value());
    EXPECT_EQ((*probe.firstAudioTrackInfo)["codec"].stringValue(), "mp3");
    EXPECT_EQ((*probe.firstAudioTrackInfo)["index"].stringValue(), "0");
    EXPECT_EQ((*probe.firstAudioTrackInfo)["bitrateHuman"].stringValue(), "128.0kbps");
    ASSERT_TRUE(probe.firstVideoTrackInfo.has_value());
    EXPECT_EQ(probe.firstVideoTrackInfo->type(), JSONType::null);
    EXPECT_EQ((*probe.firstVideoTrackInfo)["codec"].stringValue(), "");
    ASSERT_TRUE(probe.iTunesMetadata.has_value());
    EXPECT_EQ(probe.iTunesMetadata->title, "Sine");
    EXPECT_FALSE(probe.iTunesMetadata->synopsis.has_value());
    ASSERT_NE(findEntry(probe.metadata, "title.tags"), nullptr);
    // The listing is sorted by label.
    for (size_t i = 1; i < probe.metadata.size(); ++i)
        EXPECT_LT(probe.metadata[i - 1].key, probe.metadata[i].key);
}

TEST_F(RealMedia, PlainAudioFormats)
{
    struct Case {
        std::string path, codec, layout;
    };
    // This ffprobe names no channel layout for a WAV without a channel mask.
    for (const Case& c : {Case{testsupport::sineWav(), "pcm_s16le", ""}, Case{testsupport::sineM4a(), "aac", "mono"},
                          Case{testsupport::sineFlac(), "flac", "mono"}}) {
        SCOPED_TRACE(c.path);
        const FileProbe probe(c.path);
        expectUsable(probe);
        EXPECT_EQ(types(probe), std::vector<std::string>{"Audio"});
        EXPECT_EQ(probe.numberOfAudioTracks, 1);
        EXPECT_EQ(probe.tracksInfo[0].trackCodec, c.codec);
        EXPECT_EQ(probe.tracksInfo[0].trackExtraInfo, c.layout);
        EXPECT_NEAR(probe.duration, 1.0, 0.1);
        EXPECT_GT(probe.bitrate, 0);
        const auto* rate = findEntry(probe.tracksInfo[0].trackKeyValue, "r_frame_rate");
        ASSERT_NE(rate, nullptr);
        EXPECT_EQ(rate->value, "0/0");
        EXPECT_EQ(findEntry(probe.tracksInfo[0].trackKeyValue, "frames_per_second"), nullptr);
    }
    const FileProbe wav(testsupport::sineWav());
    EXPECT_EQ((*wav.firstAudioTrackInfo)["bitrate"].intValue(), 705600);
    EXPECT_EQ((*wav.firstAudioTrackInfo)["bitrateHuman"].stringValue(), "705.6kbps");
}

TEST_F(RealMedia, WideH264Clip)
{
    const FileProbe probe(testsupport::h264Clip(1280, 720, 25));
    expectUsable(probe);
    EXPECT_EQ(types(probe), (std::vector<std::string>{"Video", "Audio"}));
    EXPECT_EQ(probe.numberOfVideoTracks, 1);
    EXPECT_EQ(probe.numberOfAudioTracks, 1);
    EXPECT_EQ(probe.tracksInfo[0].trackExtraInfo, "Wide: 1280x720 (720p)");
    const JSON video = *probe.firstVideoTrackInfo;
    EXPECT_EQ(video["dimension"].stringValue(), "1280x720");
    EXPECT_EQ(video["width"].intValue(), 1280);
    EXPECT_EQ(video["resolution"].stringValue(), "720p");
    EXPECT_EQ(video["fps"].stringValue(), "25");
    EXPECT_DOUBLE_EQ(video["ratio"].doubleValue(), 1280.0 / 720.0);
    EXPECT_EQ(video["profilewithlevel"].stringValue().rfind("Constrained Baseline@", 0), 0u);
    EXPECT_EQ((*probe.firstAudioTrackInfo)["index"].stringValue(), "1");
    const auto& listing = probe.tracksInfo[0].trackKeyValue;
    ASSERT_NE(findEntry(listing, "frames_per_second"), nullptr);
    EXPECT_EQ(findEntry(listing, "frames_per_second")->value, "25");
    EXPECT_EQ(findEntry(listing, "r_frame_rate"), nullptr);
    EXPECT_EQ(findEntry(listing, "default.disposition")->value, "1");
    EXPECT_EQ(findEntry(listing, "language.tags")->value, "und");
}

TEST_F(RealMedia, TurnedPortraitClipReadsTall)
{
    // This ffprobe reports the turn as a display matrix rotation, not as a rotate tag.
    const std::string path = testsupport::rotatedClip(320, 240);
    const FileProbe probe(path);
    expectUsable(probe);
    ASSERT_EQ(probe.numberOfVideoTracks, 1);
    const JSON stream = (*probe.json).at({"streams", 0});
    EXPECT_FALSE(stream.at({"tags", "rotate"}).exists());
    const auto rotation = stream.at({"side_data_list", 0, "rotation"}).intValue();
    EXPECT_TRUE(rotation == 90 || rotation == -90) << rotation;
    const JSON video = *probe.firstVideoTrackInfo;
    EXPECT_EQ(video["dimension"].stringValue(), "240x320");
    EXPECT_EQ(video["aspectRatio"].stringValue(), "Tall");
    EXPECT_EQ(video["resolution"].stringValue(), "LD");
    EXPECT_EQ(probe.tracksInfo[0].trackExtraInfo, "Tall: 240x320 (LD)");
    // The side data is listed like any other nested member.
    ASSERT_NE(findEntry(probe.tracksInfo[0].trackKeyValue, "side_data_list"), nullptr);
}

TEST_F(RealMedia, ChaptersAndChapterTrack)
{
    const FileProbe probe(testsupport::chapteredM4a());
    expectUsable(probe);
    EXPECT_EQ(types(probe), (std::vector<std::string>{"Audio", "Chapter"}));
    EXPECT_EQ(probe.tracksInfo[1].trackExtraInfo, "Number of Chapters: 2");
    EXPECT_EQ(probe.tracksInfo[1].trackLanguage, "English");
    const KeyValueList chapters = readChapters(probe);
    ASSERT_EQ(chapters.size(), 2u);
    EXPECT_EQ(chapters[0], (KeyValueEntry{"Intro", "00:00:00.000 - 00:00:00.000"}));
    EXPECT_EQ(chapters[1], (KeyValueEntry{"Main", "00:00:00.000 - 00:00:01.000"}));
    const auto& listing = probe.tracksInfo[1].trackKeyValue;
    ASSERT_GT(listing.size(), 2u);
    EXPECT_EQ(listing[0], chapters[0]);
    EXPECT_EQ(listing[1], chapters[1]);
    EXPECT_EQ(probe.iTunesMetadata->title, "Chaptered");
}

TEST_F(RealMedia, SubtitleTrack)
{
    const FileProbe probe(testsupport::subtitledMp4());
    expectUsable(probe);
    EXPECT_EQ(types(probe), (std::vector<std::string>{"Audio", "Subtitle"}));
    EXPECT_EQ(probe.numberOfSubtitleTracks, 1);
    EXPECT_EQ(probe.tracksInfo[1].trackExtraInfo, "MOV text - Text-Based");
    EXPECT_EQ(probe.tracksInfo[1].trackLanguage, "French");
}

TEST_F(RealMedia, FilesThatAreNotMedia)
{
    const std::string dir = testsupport::freshDir("not-media");
    probetest::DiagnosticRecorder recorder;

    const std::string empty = dir + "/empty.mp3";
    testsupport::writeFile(empty, "");
    FileProbe probe(empty);
    EXPECT_TRUE(probe.hasErrors);
    EXPECT_EQ(probe.fileSize, 0u);
    EXPECT_EQ(probe.fileSizeHuman, byteCountText(0));
    EXPECT_FALSE(probe.durationHuman.has_value());

    const std::string random = dir + "/noise.mp3";
    std::string noise;
    unsigned state = 12345;
    for (int i = 0; i < 4000; ++i)
        noise.push_back(static_cast<char>((state = state * 1103515245u + 12345u) >> 24));
    testsupport::writeFile(random, noise);
    probe = FileProbe(random);
    EXPECT_TRUE(probe.hasErrors);
    EXPECT_FALSE(probe.isValidMediaFile);
    EXPECT_FALSE(probe.json.has_value());
    EXPECT_EQ(probe.duration, 0.0);

    const std::string truncated = dir + "/truncated.mp4";
    testsupport::writeFile(truncated, testsupport::readFile(testsupport::h264Clip(1280, 720, 25)).substr(0, 3000));
    probe = FileProbe(truncated);
    EXPECT_TRUE(probe.hasErrors);
    EXPECT_FALSE(probe.isValidMediaFile);
    EXPECT_TRUE(recorder.lines.empty());

    const std::string missing = dir + "/missing.wav";
    probe = FileProbe(missing);
    EXPECT_TRUE(probe.hasErrors);
    EXPECT_EQ(probe.fileSizeHuman, "Unknown File Size");
    EXPECT_EQ(probe.fileName, "missing.wav");
    EXPECT_EQ(recorder.lines.size(), 2u);
}

TEST_F(RealMedia, TextFilesAreNeverValidMedia)
{
    const std::string dir = testsupport::freshDir("text");
    for (const char* name : {"notes.txt", "NOTES.TXT"}) {
        const std::string path = dir + "/" + name;
        std::string text;
        for (int i = 0; i < 200; ++i)
            text += "A line of plain text that goes on for a while, number " + std::to_string(i) + "\n";
        testsupport::writeFile(path, text);
        const FileProbe probe(path);
        EXPECT_FALSE(probe.isValidMediaFile) << name;
        EXPECT_FALSE(probe.hasErrors) << name;
        EXPECT_EQ(probe.numberOfTracks, 1) << name;  // read as a terminal capture
        ASSERT_EQ(probe.tracksInfo.size(), 1u) << name;
        EXPECT_EQ(probe.tracksInfo[0].trackType, "Other") << name;
        EXPECT_EQ(probe.numberOfVideoTracks, 0) << name;
    }
}
