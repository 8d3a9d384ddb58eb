// Every kind of stream classified and described, from reports no generator
// makes, printed by a fake probe tool.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/ProbeTestSupport.h"

using namespace velmora;
using namespace probetest;
using nlohmann::json;
using Strings = std::vector<std::string>;

TEST(Tracks, EveryStreamKindClassifies)
{
    // Text-based and image-based subtitle codecs, then caption codecs.
    std::vector<std::pair<json, std::string>> rows;
    for (const char* codec : {"mov_text", "subrip", "webvtt", "dvd_subtitle", "hdmv_pgs_subtitle", "eia_608", "dvb_teletext"})
        rows.push_back({stream("subtitle", codec, {{"codec_long_name", "L"}}), rows.size() < 3 ? "Subtitle: L - Text-Based"
                                                                              : rows.size() < 5 ? "Subtitle: L - Image-Based"
                                                                                                : "Closed Caption: L"});
    const json poster = {{"codec_tag_string", "[0][0][0][0]"}, {"codec_long_name", "P"}, {"width", 6}, {"height", 4}};
    const json matrix = {{{"side_data_type", "Display Matrix"}, {"rotation", -90}}};
    const auto rotate = [](const char* degrees) { return json{{"tags", {{"rotate", degrees}}}}; };
    const std::pair<json, std::string> more[] = {
        // Subtitles tagged "text", in another case or without a codec name are something else.
        {stream("subtitle", "mov_text", {{"codec_tag_string", "text"}}), "Other: "},
        {stream("subtitle", "SubRip"), "Other: "}, {{{"codec_type", "subtitle"}, {"codec_long_name", "N"}}, "Other: N"},
        {stream("video", "png", poster), "Poster: P - 6x4"}, {stream("video", "mjpeg", poster), "Poster: P - 6x4"},
        {stream("video", "mjpeg", {{"codec_tag_string", "jpeg"}}), "Other: "}, {stream("video", "ansi"), "Other: "},
        {stream("video", "h264", {{"avg_frame_rate", "0/0"}}), "Other: "}, {json::object(), "Other: "},
        {stream("video", "theora", {{"avg_frame_rate", "0/0"}, {"width", 320}, {"height", 240}}), "Video: Wide: 320x240 (LD)"},
        {stream("audio", "aac", {{"channel_layout", "stereo"}, {"bit_rate", "128000"}}), "Audio: stereo"},
        {stream("audio", "mp3"), "Audio: "}, {{{"codec_name", "bin_data"}}, "Chapter: Number of Chapters: 0"},
        {h264(1920, 1088), "Video: Wide: 1920x1088 (SHD)"}, {h264(1440, 1072), "Video: Wide: 1440x1072 (HD)"},
        {h264(1280, 536), "Video: Wide: 1280x536 (SD)"}, {h264(7680, 4320), "Video: Wide: 7680x4320 (UHD)"},
        {h264(4096, 2160), "Video: Wide: 4096x2160 (4K)"}, {h264(720, 720), "Video: Square: 720x720 (720p)"},
        {h264(1080, 0), "Video: Wide: 1080x0 (LD)"},
        // A quarter turn by the rotate tag, or without one, by the display matrix.
        {h264(16, 9, rotate("90")), "Video: Tall: 9x16 (LD)"}, {h264(16, 9, rotate("270")), "Video: Tall: 9x16 (LD)"},
        {h264(16, 9, rotate("180")), "Video: Wide: 16x9 (LD)"},
        {h264(1920, 1080, {{"side_data_list", matrix}}), "Video: Tall: 1080x1920 (1080p)"},
        {h264(1920, 1080, {{"tags", {{"rotate", "0"}}}, {"side_data_list", matrix}}), "Video: Wide: 1920x1080 (1080p)"},
    };
    rows.insert(rows.end(), std::begin(more), std::end(more));
    json streams = json::array();
    Strings expected;
    for (const auto& [s, summary] : rows)
        streams.push_back(s), expected.push_back(summary);
    expected.push_back("2/13/5");
    const FileProbe probe = probeWithReport(report(streams));
    EXPECT_EQ(trackSummaries(probe), expected);
    const JSON video = *probe.firstVideoTrackInfo, audio = *probe.firstAudioTrackInfo;
    EXPECT_EQ(video["dimension"].stringValue() + " " + video["resolution"].stringValue(), "320x240 LD");
    EXPECT_EQ(audio["index"].stringValue() + " " + audio["channel"].stringValue() + " " + audio["bitrateHuman"].stringValue(),
              "17 stereo 128.0kbps");
}

TEST(Tracks, StreamListingFrameRatesAndProfiles)
{
    const json first = {{"index", 0}, {"nested", {{"a", {1, 2}}}}, {"disposition", {{"default", 1}, {"forced", 0}}},
                        {"tags", {{"language", "ger"}, {"handler_name", "H"}}}};
    // Only rates strictly between 20 and 200 frames per second are worked out.
    const std::pair<json, KeyValueEntry> rates[] = {
        {"240/1", {"r_frame_rate", "240/1"}}, {"20/1", {"r_frame_rate", "20/1"}},
        {"30000/1001", {"frames_per_second", "29.97"}}, {25, {"r_frame_rate", "25"}}};
    json streams = {first};
    for (const auto& [rate, listed] : rates)
        streams.push_back({{"r_frame_rate", rate}});
    const FileProbe probe = probeWithReport(report(streams));
    EXPECT_EQ(probe.tracksInfo[0].trackKeyValue,
              (KeyValueList{{"default.disposition", "1"}, {"forced.disposition", "0"}, {"handler_name.tags", "H"},
                            {"index", "0"}, {"language.tags", "ger"}, {"nested", first["nested"].dump(2)}}));
    EXPECT_EQ(probe.tracksInfo[0].trackLanguage, "German");
    for (size_t i = 0; i < std::size(rates); ++i)
        EXPECT_EQ(probe.tracksInfo.at(i + 1).trackKeyValue, KeyValueList{rates[i].second});
    const std::pair<json, std::string> profiles[] = {{h264(640, 480, {{"level", 30}}), "High@3.0"},
                                                     {h264(640, 480, {{"level", -99}}), "Unknown"},
                                                     {h264(640, 480, {{"profile", "0"}}), "Unknown"},
                                                     {{{"codec_type", "video"}}, "@0.0"}};
    for (const auto& [video, text] : profiles)
        EXPECT_EQ((*probeWithReport(report({video})).firstVideoTrackInfo)["profilewithlevel"].stringValue(), text);
}

