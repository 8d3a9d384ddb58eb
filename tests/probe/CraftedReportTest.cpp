// Reports no generator makes, printed by a fake probe tool.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "probe/ProbeReport.h"
#include "probe/ProbeTestUtil.h"

using namespace velmora;
using nlohmann::json;
using probetest::probeWithReport;
using Strings = std::vector<std::string>;

namespace {

json stream(const std::string& type, const std::string& codec, json extra = json::object())
{
    json s = {{"codec_type", type}, {"codec_name", codec}};
    s.update(extra);
    return s;
}

json h264(int width, int height, json extra = json::object())
{
    json s = stream("video", "h264", {{"width", width}, {"height", height}, {"avg_frame_rate", "25/1"},
                                      {"profile", "High"}, {"level", 41}});
    s.update(extra);
    return s;
}

std::string report(json streams, json format = json::object(), json chapters = json::array())
{
    return json{{"streams", streams}, {"format", format}, {"chapters", chapters}}.dump();
}

std::string xmlPlist(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + body + "</dict></plist>\n";
}

// A binary list {"a": [[...]]} of `levels` arrays, each referring `fanOut`
// times to the next (a fan-out of 2 doubles the expanded tree per level).
std::string nestedBinaryList(int levels, int fanOut)
{
    auto be = [](std::uint64_t v, int n) { std::string s; while (n--) s += char(v >> (8 * n)); return s; };
    std::vector<std::string> objects{"\xd1" + be(1, 4) + be(2, 4), "\x51" "a"};
    for (int i = 0; i < levels; ++i) {
        objects.push_back(std::string(1, char(0xa0 | (i == levels - 1 ? 0 : fanOut))));
        for (int k = 0; k < fanOut && i < levels - 1; ++k)
            objects.back() += be(3 + i, 4);
    }
    std::string bytes = "bplist00", table;
    for (const auto& object : objects)
        table += be(bytes.size(), 8), bytes += object;
    return bytes + table + std::string(6, '\0') + "\x08\x04" + be(objects.size(), 8) + be(0, 8) + be(bytes.size(), 8);
}

}  // namespace

TEST(CraftedReport, ToolFailuresAndFileLevelValues)
{
    probetest::DiagnosticRecorder recorder;
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
    probetest::ToolsDirectory tools(dir);
    probe = FileProbe(probetest::placeholderFile("tool.mp3"));
    EXPECT_FALSE(probe.hasErrors || probe.json);
    ASSERT_EQ(recorder.lines.size(), 1u);
    EXPECT_NE(recorder.lines[0].find("Permission denied"), std::string::npos) << recorder.lines[0];
}

TEST(CraftedReport, ContainerListingWithEmbeddedMovieProperties)
{
    const std::string plist = xmlPlist(
        "<key>cast</key><array><dict><key>name</key><string>Ann</string></dict>"
        "<dict><key>name</key><string>Bob</string></dict></array><key>directors</key><array/>"
        "<key>info</key><dict><key>count</key><integer>3</integer><key>deep</key><dict><key>k</key><true/></dict>"
        "</dict><key>synopsis</key><string>Long text</string><key>studio</key><integer>7</integer>");
    const json tags = {{"title", "Movie"}, {"description", "Tag line"}, {"iTunMOVI", plist},
                       {"media_type", "10"}, {"Media_Type", "9"}};
    probetest::DiagnosticRecorder recorder;
    FileProbe probe = probeWithReport(report(json::array(), {{"bit_rate", 96000}, {"size", nullptr}, {"tags", tags}}));
    EXPECT_EQ(probe.metadata, (KeyValueList{{"Media_Type.tags", "9"}, {"bit_rate", "96000"}, {"cast.tags", "Ann, Bob"},
                                            {"count.info.tags", "3"}, {"deep.info.tags", "{k = 1; }"},
                                            {"description.tags", "Tag line"}, {"directors.tags", ""},
                                            {"media_type.modified.tags", "TV Show"}, {"size", "null"},
                                            {"synopsis.tags", "Long text"}, {"title.tags", "Movie"}}));
    EXPECT_EQ(*probe.iTunesMetadata->tagline + ", " + *probe.iTunesMetadata->synopsis, "Tag line, Long text");
    EXPECT_TRUE(recorder.lines.empty());
    // An unreadable list prints one line and adds nothing; kind 5 has no name.
    probe = probeWithReport(report(json::array(), {{"tags", {{"iTunMOVI", "<plist><dict><key>a"}, {"media_type", 5}}}}));
    EXPECT_TRUE(probe.metadata.empty() && recorder.lines.size() == 1);
    // Invalid UTF-8 from an embedded list does not stop the rendering.
    probe.metadata.push_back({"bad\xff", "text\xfe"});
    EXPECT_NE(fileProbesText({probe}, false).find("bad"), std::string::npos);
}

TEST(CraftedReport, HostilePropertyListsAreRefused)
{
    // Keys holding a NUL byte, which only a binary list can carry, read up to that byte.
    const char nulKeys[] = "bplist00\xd4\x01\x02\x03\x04\x05\x06\x0a\x0dSa\x00" "bTcastTnestUtitleQv\xa1\x07\xd1\x08\x09Uname\x00"
                           "QA\xd1\x0b\x0cRk\x00QxQT\x08\x11\x15\x1a\x1f%'),247:<\0\0\0\0\0\0\1\1\0\0\0\0\0\0\0\x0e"
                           "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0>";
    std::map<std::string, std::string> labels;
    probetest::DiagnosticRecorder recorder;
    expandMovieProperties(std::string_view(nulKeys, sizeof nulKeys - 1), labels);
    EXPECT_EQ(labels, (std::map<std::string, std::string>{
                          {"a.tags", "v"}, {"cast.tags", "A"}, {"k.nest.tags", "x"}, {"title.tags", "T"}}));
    // Shallow nesting reads; lists too deep to free without exhausting the
    // stack, or exponentially large once shared objects expand, are refused.
    expandMovieProperties(nestedBinaryList(10, 1), labels);
    expandMovieProperties(xmlPlist("<key>b</key><array><array/></array>"), labels);
    EXPECT_TRUE(recorder.lines.empty());
    std::string open, close;
    for (int i = 0; i < 200000; ++i)
        open += "<array>", close += "</array>";
    expandMovieProperties(xmlPlist("<key>a</key>" + open + close), labels);
    expandMovieProperties(nestedBinaryList(20000, 1), labels);
    expandMovieProperties(nestedBinaryList(60, 2), labels);
    EXPECT_EQ(recorder.lines.size(), 3u);
}

TEST(CraftedReport, ChaptersByTitleInTimeOrder)
{
    json chapters = json::array();
    for (const auto& [start, end, title] : std::vector<std::tuple<double, double, std::string>>{
             {300, 360, "Intro"}, {65.7, 100, "Middle"}, {0, 65, "Intro"}, {400, 401, ""}, {500, 501, ""}})
        chapters.push_back({{"start_time", std::to_string(start)}, {"end_time", std::to_string(end)},
                            {"tags", title.empty() ? json::object() : json{{"title", title}}}});
    const FileProbe probe = probeWithReport(report({{{"codec_name", "bin_data"}}, {{"codec_name", "bin_data"}}}, {}, chapters));
    // The later "Intro" replaces the earlier; untitled chapters share one entry; the track's own members follow.
    const KeyValueList listing{{"Intro", "00:00:00.000 - 00:01:05.000"}, {"Middle", "00:01:05.000 - 00:01:40.000"},
                               {"", "00:08:20.000 - 00:08:21.000"}, {"codec_name", "bin_data"}};
    EXPECT_EQ(probetest::trackSummaries(probe),
              (Strings{"Chapter: Number of Chapters: 5", "Chapter: Number of Chapters: 5", "0/0/0"}));
    for (const auto& track : probe.tracksInfo)
        EXPECT_EQ(track.trackKeyValue, listing);
}

TEST(CraftedReport, EveryStreamKindClassifies)
{
    // Twenty text-based and two image-based subtitle codecs, then three caption codecs.
    std::vector<std::pair<json, std::string>> rows;
    for (const char* codec : {"mov_text", "ass", "hdmv_text_subtitle", "jacosub", "microdvd", "mpl2", "pjs", "realtext",
                              "sami", "srt", "ssa", "stl", "subrip", "subviewer", "subviewer1", "text", "ttml", "vplayer",
                              "webvtt", "xsub", "dvd_subtitle", "hdmv_pgs_subtitle", "eia_608", "dvb_subtitle", "dvb_teletext"})
        rows.push_back({stream("subtitle", codec, {{"codec_long_name", "L"}}), rows.size() < 20 ? "Subtitle: L - Text-Based"
                                                                              : rows.size() < 22 ? "Subtitle: L - Image-Based"
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
    expected.push_back("2/13/22");
    const FileProbe probe = probeWithReport(report(streams));
    EXPECT_EQ(probetest::trackSummaries(probe), expected);
    const JSON video = *probe.firstVideoTrackInfo, audio = *probe.firstAudioTrackInfo;
    EXPECT_EQ(video["dimension"].stringValue() + " " + video["resolution"].stringValue(), "320x240 LD");
    EXPECT_EQ(audio["index"].stringValue() + " " + audio["channel"].stringValue() + " " + audio["bitrateHuman"].stringValue(),
              "35 stereo 128.0kbps");
}

TEST(CraftedReport, StreamListingFrameRatesAndProfiles)
{
    const json first = {{"index", 0}, {"nested", {{"a", {1, 2}}}}, {"disposition", {{"default", 1}, {"forced", 0}}},
                        {"tags", {{"language", "ger"}, {"handler_name", "H"}}}};
    // Only rates strictly between 20 and 200 frames per second are worked out.
    const std::pair<json, KeyValueEntry> rates[] = {
        {"240/1", {"r_frame_rate", "240/1"}}, {"20/1", {"r_frame_rate", "20/1"}}, {"0/0", {"r_frame_rate", "0/0"}},
        {"30000/1001", {"frames_per_second", "29.97"}}, {"unknown", {"r_frame_rate", "unknown"}}, {25, {"r_frame_rate", "25"}}};
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
    EXPECT_EQ(probetest::trackSummaries(probe).back(), "1000/1000/0");
    EXPECT_EQ(probe.tracksInfo.at(1999).trackLanguage, "English");
}
