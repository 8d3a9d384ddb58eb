// Reports no generator makes, printed by a fake probe tool.
#include <plist/plist.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "probe/HumanValues.h"
#include "probe/ProbeReport.h"
#include "probe/ProbeTestUtil.h"

using namespace velmora;
using nlohmann::json;
using probetest::findEntry;
using probetest::probeWithReport;

namespace {

json videoStream(int width, int height, json extra = json::object())
{
    json s = {{"codec_type", "video"}, {"codec_name", "h264"},      {"codec_tag_string", "avc1"},
              {"width", width},        {"height", height},          {"avg_frame_rate", "25/1"},
              {"r_frame_rate", "25/1"}, {"profile", "High"},        {"level", 41}};
    s.update(extra);
    return s;
}

json stream(const std::string& type, const std::string& codec, json extra = json::object())
{
    json s = {{"codec_type", type}, {"codec_name", codec}};
    s.update(extra);
    return s;
}

std::string report(json streams, json format = {{"duration", "10.000000"}, {"bit_rate", "128000"}},
                   json chapters = json::array())
{
    return json{{"streams", streams}, {"format", format}, {"chapters", chapters}}.dump();
}

std::vector<std::string> types(const FileProbe& probe)
{
    std::vector<std::string> result;
    for (const auto& track : probe.tracksInfo)
        result.push_back(track.trackType);
    return result;
}

std::string xmlPlist(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\"><dict>" +
           body + "</dict></plist>\n";
}

}  // namespace

TEST(CraftedReport, ToolFailuresLeaveTheDefaults)
{
    probetest::DiagnosticRecorder recorder;
    FileProbe probe = probeWithReport("error", R"({"error": {"code": -2, "string": "No such file"}})");
    EXPECT_TRUE(probe.hasErrors);
    EXPECT_FALSE(probe.json.has_value());
    EXPECT_EQ(probe.duration, 0.0);
    EXPECT_FALSE(probe.durationHuman.has_value());
    EXPECT_TRUE(probe.fileSizeHuman.has_value());

    for (const std::string& output : {std::string("garbage {"), std::string(), std::string("{\"streams\": [")}) {
        probe = probeWithReport("garbage", output);
        EXPECT_FALSE(probe.hasErrors);
        EXPECT_FALSE(probe.isValidMediaFile);
        EXPECT_FALSE(probe.json.has_value());
        EXPECT_FALSE(probe.bitrateHuman.has_value());
        EXPECT_FALSE(probe.iTunesMetadata.has_value());
        EXPECT_FALSE(probe.firstAudioTrackInfo.has_value());
    }
    EXPECT_TRUE(recorder.lines.empty());
}

TEST(CraftedReport, MissingOrUnstartableTool)
{
    const std::string file = probetest::placeholderFile("tool.mp3");
    probetest::DiagnosticRecorder recorder;
    {
        probetest::ToolsDirectory tools(testsupport::freshDir("no-tools"));
        const FileProbe probe(file);
        EXPECT_FALSE(probe.hasErrors);
        EXPECT_FALSE(probe.isValidMediaFile);
        EXPECT_TRUE(recorder.lines.empty());
    }
    {
        const std::string dir = testsupport::freshDir("broken-tools");
        testsupport::writeFile(dir + "/sniffer", "not executable");
        probetest::ToolsDirectory tools(dir);
        const FileProbe probe(file);
        EXPECT_FALSE(probe.hasErrors);
        EXPECT_FALSE(probe.json.has_value());
        ASSERT_EQ(recorder.lines.size(), 1u);
        EXPECT_NE(recorder.lines[0].find("Permission denied"), std::string::npos) << recorder.lines[0];
    }
}

TEST(CraftedReport, ToolGetsNineArguments)
{
    const std::string dir = testsupport::freshDir("args-tools");
    const std::string tools = testsupport::fakeToolsWithScript(
        "args", "sniffer", "for a in \"$@\"; do echo \"$a\" >> '" + dir + "/args.txt'; done; echo '{}'; echo noise >&2");
    probetest::ToolsDirectory scope(tools);
    const std::string file = probetest::placeholderFile("name with spaces.mp3");
    const FileProbe probe(file);
    EXPECT_FALSE(probe.hasErrors);
    EXPECT_TRUE(probe.json.has_value());
    EXPECT_EQ(testsupport::readFile(dir + "/args.txt"),
              "-v\nquiet\n-print_format\njson\n-show_format\n-show_streams\n-show_chapters\n-show_error\n" + file + "\n");
}

TEST(CraftedReport, DrmCodecTagMeansEncrypted)
{
    FileProbe probe = probeWithReport("drm", report({stream("audio", "aac", {{"codec_tag_string", "drms"}})}));
    EXPECT_TRUE(probe.isEncrypted);
    EXPECT_TRUE(probe.isValidMediaFile);
    probe = probeWithReport("drm-caps", report({stream("audio", "aac", {{"codec_tag_string", "DRMS"}})}));
    EXPECT_FALSE(probe.isEncrypted);
    // Text files are not scanned.
    probe = probeWithReport("drm-txt", report({stream("audio", "aac", {{"codec_tag_string", "drms"}})}), "a.TxT");
    EXPECT_FALSE(probe.isEncrypted);
    EXPECT_FALSE(probe.isValidMediaFile);
    EXPECT_EQ(probe.numberOfTracks, 1);
    EXPECT_EQ(probe.tracksInfo.size(), 1u);
}

TEST(CraftedReport, EmptyOrMissingSections)
{
    FileProbe probe = probeWithReport("no-streams", report(json::array(), {{"duration", "12.960000"},
                                                                           {"bit_rate", "1411200"},
                                                                           {"tags", {{"title", "T"}}}}));
    EXPECT_FALSE(probe.isValidMediaFile);
    EXPECT_TRUE(probe.tracksInfo.empty());
    EXPECT_DOUBLE_EQ(probe.duration, 12.96);
    EXPECT_EQ(probe.durationHuman, "00:00:12.960");
    EXPECT_EQ(probe.bitrateHuman, "1411.2kbps");
    EXPECT_EQ(probe.iTunesMetadata->title, "T");
    ASSERT_TRUE(probe.firstVideoTrackInfo && probe.firstAudioTrackInfo);
    EXPECT_EQ(probe.firstVideoTrackInfo->type(), JSONType::null);
    EXPECT_EQ(probe.firstAudioTrackInfo->type(), JSONType::null);

    probe = probeWithReport("only-format", R"({"format": {"duration": "N/A"}})");
    EXPECT_FALSE(probe.isValidMediaFile);
    EXPECT_EQ(probe.duration, 0.0);
    EXPECT_EQ(probe.bitrateHuman, "0.0kbps");
    EXPECT_FALSE(probe.firstVideoTrackInfo.has_value());  // the walk did not run

    probe = probeWithReport("only-streams", R"({"streams": [{"codec_type": "audio"}]})");
    EXPECT_TRUE(probe.isValidMediaFile);
    EXPECT_TRUE(probe.metadata.empty());
    EXPECT_FALSE(probe.iTunesMetadata.has_value());
    EXPECT_EQ(probe.durationHuman, "00:00:00.000");

    // A "streams" member that is not an array holds no streams.
    probe = probeWithReport("streams-object", R"({"streams": {"a": {"codec_type": "audio"}}})");
    EXPECT_EQ(probe.numberOfTracks, 0);
    EXPECT_TRUE(probe.tracksInfo.empty());
}

TEST(CraftedReport, ContainerListingSortedWithEmbeddedMovieProperties)
{
    const std::string plist = xmlPlist(
        "<key>cast</key><array><dict><key>name</key><string>Ann</string></dict>"
        "<dict><key>name</key><string>Bob</string></dict></array>"
        "<key>directors</key><array/>"
        "<key>asset-info</key><dict><key>flavor</key><string>1:1080p</string><key>count</key><integer>3</integer></dict>"
        "<key>synopsis</key><string>Long text</string>"
        "<key>studio</key><integer>7</integer>"
        "<key>mixed</key><array><string>x</string></array>");
    const json format = {{"duration", "10.000000"},
                         {"bit_rate", 96000},
                         {"size", nullptr},
                         {"tags",
                          {{"title", "Movie"},
                           {"artist", "Someone"},
                           {"description", "Tag line"},
                           {"iTunMOVI", plist},
                           {"media_type", "10"},
                           {"Media_Type", "9"}}}};
    probetest::DiagnosticRecorder recorder;
    const FileProbe probe = probeWithReport("movi", report(json::array(), format));
    std::vector<std::string> keys;
    for (const auto& entry : probe.metadata)
        keys.push_back(entry.key);
    EXPECT_EQ(keys, (std::vector<std::string>{"Media_Type.tags", "artist.tags", "bit_rate", "cast.tags", "count.asset-info.tags",
                                              "description.tags", "directors.tags", "duration", "flavor.asset-info.tags",
                                              "media_type.modified.tags", "size", "synopsis.tags", "title.tags"}));
    EXPECT_EQ(findEntry(probe.metadata, "cast.tags")->value, "Ann, Bob");
    EXPECT_EQ(findEntry(probe.metadata, "directors.tags")->value, "");
    EXPECT_EQ(findEntry(probe.metadata, "count.asset-info.tags")->value, "3");
    EXPECT_EQ(findEntry(probe.metadata, "bit_rate")->value, "96000");
    EXPECT_EQ(findEntry(probe.metadata, "size")->value, "null");
    EXPECT_EQ(findEntry(probe.metadata, "media_type.modified.tags")->value, "TV Show");
    ASSERT_TRUE(probe.iTunesMetadata.has_value());
    EXPECT_EQ(probe.iTunesMetadata->title, "Movie");
    EXPECT_EQ(probe.iTunesMetadata->tagline, "Tag line");
    EXPECT_EQ(probe.iTunesMetadata->synopsis, "Long text");
    EXPECT_TRUE(recorder.lines.empty());
}

TEST(CraftedReport, BinaryAndBrokenPropertyLists)
{
    plist_t dict = plist_new_dict();
    plist_dict_set_item(dict, "title", plist_new_string("From binary"));
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(dict, &bytes, &length);
    plist_free(dict);
    const std::string binary(bytes, length);
    free(bytes);
    std::map<std::string, std::string> labels;
    expandMovieProperties(binary, labels);
    EXPECT_EQ(labels["title.tags"], "From binary");

    // Keys holding a NUL byte, which only a binary list can carry, are read
    // up to that byte instead of stopping the program.
    const std::string nulKeys(
        "\x62\x70\x6c\x69\x73\x74\x30\x30\xd4\x01\x02\x03\x04\x05\x06\x0a\x0d\x53\x61\x00\x62\x54\x63\x61"
        "\x73\x74\x54\x6e\x65\x73\x74\x55\x74\x69\x74\x6c\x65\x51\x76\xa1\x07\xd1\x08\x09\x55\x6e\x61\x6d"
        "\x65\x00\x51\x41\xd1\x0b\x0c\x52\x6b\x00\x51\x78\x51\x54\x08\x11\x15\x1a\x1f\x25\x27\x29\x2c\x32"
        "\x34\x37\x3a\x3c\x00\x00\x00\x00\x00\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00\x0e\x00\x00\x00\x00"
        "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x3e",
        108);
    labels.clear();
    expandMovieProperties(nulKeys, labels);
    EXPECT_EQ(labels["a.tags"], "v");
    EXPECT_EQ(labels["k.nest.tags"], "x");
    EXPECT_EQ(labels["title.tags"], "T");

    probetest::DiagnosticRecorder recorder;
    const FileProbe probe = probeWithReport(
        "broken-plist", report(json::array(), {{"tags", {{"iTunMOVI", "<plist><dict><key>a"}, {"media_type", 5}}}}));
    EXPECT_TRUE(probe.metadata.empty());
    EXPECT_EQ(recorder.lines.size(), 1u);
    ASSERT_TRUE(probe.iTunesMetadata.has_value());
    EXPECT_FALSE(probe.iTunesMetadata->title.has_value());
}

TEST(CraftedReport, ChaptersByTitleInTimeOrder)
{
    const json chapters = json::array({
        {{"start_time", "300.000000"}, {"end_time", "360.000000"}, {"tags", {{"title", "Intro"}}}},
        {{"start_time", "65.700000"}, {"end_time", "100.000000"}, {"tags", {{"title", "Middle"}}}},
        {{"start_time", "0.000000"}, {"end_time", "65.000000"}, {"tags", {{"title", "Intro"}}}},
        {{"start_time", "400.000000"}, {"end_time", "401.000000"}},
        {{"start_time", "500.000000"}, {"end_time", "501.000000"}},
    });
    const json streams = json::array({stream("data", "bin_data", {{"codec_tag_string", "text"}}),
                                      stream("data", "bin_data", {{"codec_tag_string", "text"}})});
    const FileProbe probe = probeWithReport("chapters", report(streams, json::object(), chapters));
    const KeyValueList expected{{"Middle", "00:01:05.000 - 00:01:40.000"},
                                {"Intro", "00:00:00.000 - 00:01:05.000"},
                                {"", "00:08:20.000 - 00:08:21.000"}};
    // The later "Intro" replaced the earlier one; the untitled chapters share one entry.
    const KeyValueList chaptersRead = readChapters(probe);
    ASSERT_EQ(chaptersRead.size(), 3u);
    EXPECT_EQ(chaptersRead[0], (KeyValueEntry{"Intro", "00:00:00.000 - 00:01:05.000"}));
    EXPECT_EQ(chaptersRead[1], (KeyValueEntry{"Middle", "00:01:05.000 - 00:01:40.000"}));
    EXPECT_EQ(chaptersRead[2], (KeyValueEntry{"", "00:08:20.000 - 00:08:21.000"}));
    ASSERT_EQ(probe.tracksInfo.size(), 2u);
    for (const auto& track : probe.tracksInfo) {
        EXPECT_EQ(track.trackType, "Chapter");
        EXPECT_EQ(track.trackExtraInfo, "Number of Chapters: 5");
        ASSERT_GE(track.trackKeyValue.size(), 5u);
        EXPECT_EQ(KeyValueList(track.trackKeyValue.begin(), track.trackKeyValue.begin() + 3), chaptersRead);
        EXPECT_EQ(track.trackKeyValue[3].key, "codec_name");
    }
}

TEST(CraftedReport, SubtitleAndCaptionCodecs)
{
    const std::vector<std::string> text{"mov_text", "ass",  "hdmv_text_subtitle", "jacosub",   "microdvd",
                                        "mpl2",     "pjs",  "realtext",           "sami",      "srt",
                                        "ssa",      "stl",  "subrip",             "subviewer", "subviewer1",
                                        "text",     "ttml", "vplayer",            "webvtt",    "xsub"};
    const std::vector<std::string> image{"dvd_subtitle", "hdmv_pgs_subtitle"};
    const std::vector<std::string> captions{"eia_608", "dvb_subtitle", "dvb_teletext"};
    json streams = json::array();
    for (const auto& codec : text)
        streams.push_back(stream("subtitle", codec, {{"codec_long_name", "L " + codec}}));
    for (const auto& codec : image)
        streams.push_back(stream("subtitle", codec, {{"codec_long_name", "L " + codec}}));
    for (const auto& codec : captions)
        streams.push_back(stream("subtitle", codec, {{"codec_long_name", "L " + codec}}));
    streams.push_back(stream("subtitle", "mov_text", {{"codec_tag_string", "text"}, {"codec_long_name", "tagged"}}));
    streams.push_back(stream("subtitle", "SubRip", {{"codec_long_name", "case"}}));
    streams.push_back(json{{"codec_type", "subtitle"}, {"codec_long_name", "nameless"}});
    const FileProbe probe = probeWithReport("subtitles", report(streams));
    ASSERT_EQ(probe.tracksInfo.size(), streams.size());
    size_t i = 0;
    for (const auto& codec : text) {
        EXPECT_EQ(probe.tracksInfo[i].trackType, "Subtitle") << codec;
        EXPECT_EQ(probe.tracksInfo[i++].trackExtraInfo, "L " + codec + " - Text-Based");
    }
    for (const auto& codec : image) {
        EXPECT_EQ(probe.tracksInfo[i].trackType, "Subtitle") << codec;
        EXPECT_EQ(probe.tracksInfo[i++].trackExtraInfo, "L " + codec + " - Image-Based");
    }
    for (const auto& codec : captions) {
        EXPECT_EQ(probe.tracksInfo[i].trackType, "Closed Caption") << codec;
        EXPECT_EQ(probe.tracksInfo[i++].trackExtraInfo, "L " + codec);
    }
    EXPECT_EQ(probe.tracksInfo[i++].trackType, "Other");  // mov_text tagged "text"
    EXPECT_EQ(probe.tracksInfo[i++].trackType, "Other");  // names are case-sensitive
    EXPECT_EQ(probe.tracksInfo[i].trackType, "Other");    // no codec name
    EXPECT_EQ(probe.tracksInfo[i].trackExtraInfo, "nameless");
    EXPECT_EQ(probe.numberOfSubtitleTracks, 22);
    EXPECT_EQ(probe.numberOfVideoTracks + probe.numberOfAudioTracks, 0);
}

TEST(CraftedReport, VideoClassification)
{
    const json streams = json::array({
        stream("video", "png", {{"codec_tag_string", "[0][0][0][0]"}, {"width", 600}, {"height", 400},
                                {"codec_long_name", "PNG"}, {"avg_frame_rate", "0/0"}}),
        stream("video", "mjpeg", {{"codec_tag_string", "jpeg"}, {"avg_frame_rate", "25/1"}}),
        stream("video", "ansi", {{"avg_frame_rate", "25/1"}}),
        stream("video", "h264", {{"avg_frame_rate", "0/0"}}),
        stream("video", "theora", {{"avg_frame_rate", "0/0"}, {"width", 320}, {"height", 240}}),
        stream("video", "mjpeg", {{"codec_tag_string", "[0][0][0][0]"}}),
        stream("attachment", "ttf"),
        stream("audio", "aac", {{"channel_layout", "stereo"}, {"bit_rate", "128000"}}),
        stream("audio", "mp3", {{"channel_layout", "mono"}}),
        json{{"codec_name", "bin_data"}},
        json::object(),
    });
    const FileProbe probe = probeWithReport("video-kinds", report(streams));
    EXPECT_EQ(types(probe), (std::vector<std::string>{"Poster", "Other", "Other", "Other", "Video", "Poster", "Other",
                                                      "Audio", "Audio", "Chapter", "Other"}));
    EXPECT_EQ(probe.tracksInfo[0].trackExtraInfo, "PNG - 600x400");
    EXPECT_EQ(probe.numberOfVideoTracks, 1);
    EXPECT_EQ(probe.numberOfAudioTracks, 2);
    EXPECT_EQ((*probe.firstVideoTrackInfo)["index"].stringValue(), "4");
    EXPECT_EQ((*probe.firstVideoTrackInfo)["resolution"].stringValue(), "LD");
    EXPECT_FALSE((*probe.firstVideoTrackInfo)["fps"].exists());  // no frame rate member
    EXPECT_EQ((*probe.firstAudioTrackInfo)["index"].stringValue(), "7");
    EXPECT_EQ((*probe.firstAudioTrackInfo)["channel"].stringValue(), "stereo");
    EXPECT_EQ((*probe.firstAudioTrackInfo)["bitrateHuman"].stringValue(), "128.0kbps");
    EXPECT_EQ(probe.tracksInfo[7].trackExtraInfo, "stereo");
    EXPECT_TRUE(probe.tracksInfo[10].trackKeyValue.empty());
}

TEST(CraftedReport, PictureSizesTurnsAndLevels)
{
    struct Case {
        json stream;
        std::string extra, profile;
    };
    const std::vector<Case> cases{
        {videoStream(1920, 1088), "Wide: 1920x1088 (SHD)", "High@4.1"},
        {videoStream(1440, 1072), "Wide: 1440x1072 (HD)", "High@4.1"},
        {videoStream(1280, 536, {{"level", 30}}), "Wide: 1280x536 (SD)", "High@3.0"},
        {videoStream(3840, 2160), "Wide: 3840x2160 (4K)", "High@4.1"},
        {videoStream(4096, 2160), "Wide: 4096x2160 (4K)", "High@4.1"},
        {videoStream(7680, 4320), "Wide: 7680x4320 (UHD)", "High@4.1"},
        {videoStream(720, 720), "Square: 720x720 (720p)", "High@4.1"},
        {videoStream(640, 480, {{"level", -99}}), "Wide: 640x480 (480p)", "Unknown"},
        {videoStream(640, 480, {{"profile", "0"}}), "Wide: 640x480 (480p)", "Unknown"},
        {json{{"codec_type", "video"}, {"width", 640}, {"height", 480}}, "Wide: 640x480 (480p)", "@0.0"},
        {videoStream(1920, 1080, {{"tags", {{"rotate", "90"}}}}), "Tall: 1080x1920 (1080p)", "High@4.1"},
        {videoStream(1920, 1080, {{"tags", {{"rotate", "270"}}}}), "Tall: 1080x1920 (1080p)", "High@4.1"},
        {videoStream(1920, 1080, {{"tags", {{"rotate", "180"}}}}), "Wide: 1920x1080 (1080p)", "High@4.1"},
        {videoStream(1920, 1080, {{"tags", {{"rotate", "-90"}}}}), "Wide: 1920x1080 (1080p)", "High@4.1"},
        {videoStream(1920, 1080, {{"tags", {{"rotate", 90}}}}), "Wide: 1920x1080 (1080p)", "High@4.1"},
        // Without the tag, a quarter turn in the display matrix counts.
        {videoStream(1920, 1080, {{"side_data_list", {{{"side_data_type", "Display Matrix"}, {"rotation", -90}}}}}),
         "Tall: 1080x1920 (1080p)", "High@4.1"},
        {videoStream(1920, 1080, {{"side_data_list", {{{"side_data_type", "Display Matrix"}, {"rotation", 180}}}}}),
         "Wide: 1920x1080 (1080p)", "High@4.1"},
        // The tag, where present, decides.
        {videoStream(1920, 1080, {{"tags", {{"rotate", "0"}}},
                                  {"side_data_list", {{{"side_data_type", "Display Matrix"}, {"rotation", 90}}}}}),
         "Wide: 1920x1080 (1080p)", "High@4.1"},
        {videoStream(1080, 0), "Wide: 1080x0 (LD)", "High@4.1"},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const FileProbe probe = probeWithReport("size-" + std::to_string(i), report({cases[i].stream}));
        ASSERT_EQ(probe.tracksInfo.size(), 1u);
        EXPECT_EQ(probe.tracksInfo[0].trackType, "Video") << i;
        EXPECT_EQ(probe.tracksInfo[0].trackExtraInfo, cases[i].extra) << i;
        EXPECT_EQ((*probe.firstVideoTrackInfo)["profilewithlevel"].stringValue(), cases[i].profile) << i;
    }
}

TEST(CraftedReport, StreamPropertyListing)
{
    const json streams = json::array({
        {{"codec_name", "h264"},
         {"index", 0},
         {"r_frame_rate", "240/1"},
         {"nested", {{"a", {1, 2}}}},
         {"disposition", {{"default", 1}, {"forced", 0}}},
         {"tags", {{"language", "ger"}, {"handler_name", "H"}}}},
        {{"codec_type", "video"}, {"r_frame_rate", "20/1"}},
        {{"codec_type", "video"}, {"r_frame_rate", "30000/1001"}},
        {{"codec_type", "video"}, {"r_frame_rate", "unknown"}},
        {{"codec_type", "video"}, {"r_frame_rate", 25}},
    });
    const FileProbe probe = probeWithReport("listing", report(streams));
    std::vector<std::string> labels;
    for (const auto& entry : probe.tracksInfo[0].trackKeyValue)
        labels.push_back(entry.key);
    EXPECT_EQ(labels, (std::vector<std::string>{"codec_name", "default.disposition", "forced.disposition",
                                                "handler_name.tags", "index", "language.tags", "nested",
                                                "r_frame_rate"}));
    EXPECT_EQ(probe.tracksInfo[0].trackLanguage, "German");
    const auto& listing = probe.tracksInfo[0].trackKeyValue;
    EXPECT_EQ(findEntry(listing, "r_frame_rate")->value, "240/1");
    EXPECT_EQ(findEntry(listing, "index")->value, "0");
    EXPECT_EQ(JSON::parse(findEntry(listing, "nested")->value).value()["a"][1].intValue(), 2);
    EXPECT_EQ(findEntry(probe.tracksInfo[1].trackKeyValue, "r_frame_rate")->value, "20/1");
    EXPECT_EQ(findEntry(probe.tracksInfo[2].trackKeyValue, "frames_per_second")->value, "29.97");
    EXPECT_EQ(findEntry(probe.tracksInfo[2].trackKeyValue, "r_frame_rate"), nullptr);
    EXPECT_EQ(findEntry(probe.tracksInfo[3].trackKeyValue, "r_frame_rate")->value, "unknown");
    EXPECT_EQ(findEntry(probe.tracksInfo[4].trackKeyValue, "r_frame_rate")->value, "25");
}

TEST(CraftedReport, RecordAsJson)
{
    const FileProbe probe = probeWithReport("as-json", report({videoStream(1280, 720), stream("audio", "aac")}));
    const json record = fileProbeJson(probe, false);
    for (const char* key : {"fileSize", "fileSizeHuman", "fileName", "hasErrors", "isValidMediaFile", "isEncrypted",
                            "numberOfTracks", "duration", "durationHuman", "bitrate", "bitrateHuman",
                            "numberOfVideoTracks", "numberOfAudioTracks", "numberOfSubtitleTracks", "tracksInfo",
                            "metadata", "firstVideoTrackInfo", "firstAudioTrackInfo", "iTunesMetadata"})
        EXPECT_TRUE(record.contains(key)) << key;
    EXPECT_FALSE(record.contains("json"));
    EXPECT_EQ(record.size(), 19u);
    EXPECT_EQ(record["tracksInfo"][0].size(), 8u);
    EXPECT_EQ(record["tracksInfo"][0]["trackKeyValue"][0]["key"], "avg_frame_rate");
    EXPECT_EQ(record["firstVideoTrackInfo"]["resolution"], "720p");
    EXPECT_EQ(record["iTunesMetadata"]["title"], nullptr);
    EXPECT_EQ(fileProbeJson(probe, true)["json"]["streams"].size(), 2u);
    // Invalid UTF-8 from an embedded list does not stop the rendering.
    FileProbe odd = probe;
    odd.metadata.push_back({"bad\xff", "text\xfe"});
    EXPECT_FALSE(fileProbesText({odd}, false).empty());
}
