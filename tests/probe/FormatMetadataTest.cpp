// The container's properties and tags, the embedded movie property list, and
// the chapters, from reports printed by a fake probe tool.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "probe/FormatMetadata.h"
#include "probe/ProbeReport.h"
#include "support/ProbeTestSupport.h"
#include "support/PropertyListSamples.h"

using namespace velmora;
using namespace probetest;
using nlohmann::json;
using testsupport::xmlPlist;
using Strings = std::vector<std::string>;

TEST(FormatMetadata, ContainerListingWithEmbeddedMovieProperties)
{
    const std::string plist = xmlPlist(
        "<key>cast</key><array><dict><key>name</key><string>Ann</string></dict>"
        "<dict><key>name</key><string>Bob</string></dict></array><key>directors</key><array/>"
        "<key>info</key><dict><key>count</key><integer>3</integer><key>deep</key><dict><key>k</key><true/></dict>"
        "</dict><key>synopsis</key><string>Long text</string><key>studio</key><integer>7</integer>");
    const json tags = {{"title", "Movie"}, {"description", "Tag line"}, {"iTunMOVI", plist},
                       {"media_type", "10"}, {"Media_Type", "9"}};
    DiagnosticRecorder recorder;
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


TEST(FormatMetadata, BinaryListKeysHoldingANulByte)
{
    // Keys holding a NUL byte, which only a binary list can carry, read up to that byte.
    const char nulKeys[] = "bplist00\xd4\x01\x02\x03\x04\x05\x06\x0a\x0dSa\x00" "bTcastTnestUtitleQv\xa1\x07\xd1\x08\x09Uname\x00"
                           "QA\xd1\x0b\x0cRk\x00QxQT\x08\x11\x15\x1a\x1f%'),247:<\0\0\0\0\0\0\1\1\0\0\0\0\0\0\0\x0e"
                           "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0>";
    std::map<std::string, std::string> labels;
    DiagnosticRecorder recorder;
    expandMovieProperties(std::string_view(nulKeys, sizeof nulKeys - 1), labels);
    EXPECT_EQ(labels, (std::map<std::string, std::string>{
                          {"a.tags", "v"}, {"cast.tags", "A"}, {"k.nest.tags", "x"}, {"title.tags", "T"}}));
}

TEST(FormatMetadata, ChaptersByTitleInTimeOrder)
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
    EXPECT_EQ(trackSummaries(probe),
              (Strings{"Chapter: Number of Chapters: 5", "Chapter: Number of Chapters: 5", "0/0/0"}));
    for (const auto& track : probe.tracksInfo)
        EXPECT_EQ(track.trackKeyValue, listing);
}

