// A large report through the real tool path, and a fill that grows linearly.
#include <chrono>

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

TEST(LargeReport, FillGrowsLinearly)
{
    const std::string small = syntheticReport(250, 16);
    const std::string large = syntheticReport(2000, 16);
    const std::string path = probetest::placeholderFile("linear.mp4");
    auto bestOf = [&](const std::string& report) {
        double best = 1e9;
        for (int round = 0; round < 3; ++round) {
            const auto start = std::chrono::steady_clock::now();
            const FileProbe probe = FileProbe::fromReport(path, 100, report);
            EXPECT_FALSE(probe.tracksInfo.empty());
            best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        return best;
    };
    const double smallTime = bestOf(small);
    const double largeTime = bestOf(large);
    // Eight times the streams: linear work takes about eight times as long,
    // quadratic copying sixty-four. Generous bounds for a shared machine.
    EXPECT_LT(largeTime / smallTime, 24.0) << smallTime << " " << largeTime;
}
