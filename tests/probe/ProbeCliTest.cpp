// velmora-cli probe, run as a program.
#include <algorithm>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "probe/ProbeTestUtil.h"

using nlohmann::json;
using testsupport::cliPath;
using testsupport::runCommand;

namespace {
json records(const testsupport::CommandResult& result)
{
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const json parsed = json::parse(result.out, nullptr, false);
    EXPECT_TRUE(parsed.is_array()) << result.out;
    return parsed;
}
}  // namespace

TEST(ProbeCli, OneRecordPerFileInOrder)
{
    const std::string missing = testsupport::freshDir("cli") + "/missing.mp3";
    const auto result = runCommand(cliPath(), {"probe", testsupport::sineWav(), missing, testsupport::mp3WithCover()});
    const json out = records(result);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0]["fileName"], "sine-1.wav");
    EXPECT_EQ(out[0]["isValidMediaFile"], true);
    EXPECT_EQ(out[0]["tracksInfo"][0]["trackType"], "Audio");
    EXPECT_TRUE(out[0]["tracksInfo"][0]["trackKeyValue"][0].contains("key"));
    EXPECT_TRUE(out[0]["firstVideoTrackInfo"].is_null());
    EXPECT_EQ(out[0]["firstAudioTrackInfo"]["codec"], "pcm_s16le");
    EXPECT_FALSE(out[0].contains("json"));
    EXPECT_EQ(out[1]["hasErrors"], true);
    EXPECT_EQ(out[1]["fileSizeHuman"], "Unknown File Size");
    EXPECT_TRUE(out[1]["durationHuman"].is_null() && out[1]["iTunesMetadata"].is_null());
    EXPECT_EQ(out[2]["iTunesMetadata"]["title"], "Sine");
    EXPECT_EQ(out[2]["tracksInfo"][1]["trackType"], "Poster");
    // Diagnostics go to standard error, two lines for the missing file.
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 2) << result.err;
}

TEST(ProbeCli, RelativePathsOptionNamedFilesAndTheReport)
{
    const std::string dir = testsupport::freshDir("cli-relative");
    testsupport::writeFile(dir + "/-odd.wav", testsupport::readFile(testsupport::sineWav()));
    // Run from the folder with relative names; "--" ends the options.
    const json out = records(runCommand(
        "/bin/sh", {"-c", "cd '" + dir + "' && exec '" + cliPath() + "' probe --with-report -- -odd.wav --with-report"}));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0]["fileName"], "-odd.wav");
    EXPECT_EQ(out[0]["json"]["format"]["filename"], dir + "/-odd.wav");
    EXPECT_EQ(out[1]["fileName"], "--with-report");
    EXPECT_EQ(out[1]["hasErrors"], true);
    EXPECT_TRUE(out[1]["json"].is_null());
}

TEST(ProbeCli, ToolsDirectoryOption)
{
    const std::string tools = testsupport::fakeProbeTools(
        "cli-fake", R"({"streams": [{"codec_type": "audio", "codec_name": "fake"}], "format": {"duration": "2.5"}})");
    const std::string file = probetest::placeholderFile("cli-fake.mp3");
    const json out = records(runCommand(cliPath(), {"probe", "--tools-dir", tools, file}));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0]["tracksInfo"][0]["trackCodec"], "fake");
    EXPECT_EQ(out[0]["durationHuman"], "00:00:02.500");
    // A folder without the tool: the file is probed as not media, not an error.
    const auto none = runCommand(cliPath(), {"probe", "--tools-dir", testsupport::freshDir("cli-none"), file});
    EXPECT_EQ(records(none)[0]["isValidMediaFile"], false);
    EXPECT_EQ(records(none)[0]["hasErrors"], false);
}

TEST(ProbeCli, BadArgumentsPrintUsage)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"probe"}, {"probe", "--bogus", "a.mp3"}, {"probe", "a.mp3", "--tools-dir"}, {"probe", "--with-report"}}) {
        const auto result = runCommand(cliPath(), args);
        EXPECT_EQ(result.exitCode, 2) << args.back();
        EXPECT_TRUE(result.out.empty());
        EXPECT_NE(result.err.find("usage:"), std::string::npos);
    }
}
