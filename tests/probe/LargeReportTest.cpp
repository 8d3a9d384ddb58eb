// A large report through the real tool path, and lookups that copy nothing.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "probe/ProbeTestUtil.h"

using namespace velmora;

namespace {

std::string syntheticReport(int streams, size_t padding)
{
    nlohmann::json list = nlohmann::json::array();
    for (int i = 0; i < streams; ++i) {
        nlohmann::json s = {{"index", i},
                            {"codec_type", i % 2 ? "audio" : "video"},
                            {"codec_name", i % 2 ? "aac" : "h264"},
                            {"width", 1920},
                            {"height", 1080},
                            {"avg_frame_rate", "25/1"},
                            {"r_frame_rate", "25/1"},
                            {"bit_rate", "128000"},
                            {"disposition", {{"default", 1}, {"forced", 0}}},
                            {"tags", {{"language", "eng"}, {"handler_name", std::string(padding, 'x')}}}};
        list.push_back(s);
    }
    return nlohmann::json{{"streams", list}, {"format", {{"duration", "1.0"}}}}.dump();
}

}  // namespace

TEST(LargeReport, TenMegabytesThroughThePipe)
{
    const std::string dir = testsupport::freshDir("big-report");
    const std::string reportPath = dir + "/big.json";
    const std::string report = syntheticReport(2000, 5000);
    ASSERT_GT(report.size(), 10u * 1000 * 1000);
    testsupport::writeFile(reportPath, report);
    // The tool writes everything before it exits: a reader that waited for
    // the exit first would block on the full pipe forever.
    const std::string tools = testsupport::fakeToolsWithScript("big", "sniffer", "cat '" + reportPath + "'");
    probetest::ToolsDirectory scope(tools);
    const FileProbe probe(probetest::placeholderFile("big.mp4"));
    EXPECT_EQ(probe.numberOfTracks, 2000);
    EXPECT_EQ(probe.tracksInfo.size(), 2000u);
    EXPECT_EQ(probe.numberOfVideoTracks, 1000);
    EXPECT_EQ(probe.numberOfAudioTracks, 1000);
    EXPECT_EQ(probe.tracksInfo[1999].trackLanguage, "English");
}

TEST(LargeReport, LookupsShareTheParsedDocument)
{
    // Handing out members, elements and entries copies nothing: every value
    // points into the one parsed document, so a walk over N streams stays
    // linear. (How the fill grows is measured in the probe benchmark.)
    const std::string path = probetest::placeholderFile("shared.mp4");
    const FileProbe probe = FileProbe::fromReport(path, 100, syntheticReport(50, 16));
    ASSERT_TRUE(probe.json.has_value());
    const nlohmann::json& document = *probe.json->node();
    EXPECT_EQ((*probe.json)["streams"].node(), &document["streams"]);
    EXPECT_EQ(probe.json->at({"streams", 49, "tags"}).node(), &document["streams"][49]["tags"]);
    const auto entries = (*probe.json)["streams"].entries();
    ASSERT_EQ(entries.size(), 50u);
    for (size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(entries[i].second.node(), &document["streams"][i]);
    // Copies of a value are handles on the same document too.
    const JSON copy = *probe.json;
    EXPECT_EQ(copy.node(), &document);
}
