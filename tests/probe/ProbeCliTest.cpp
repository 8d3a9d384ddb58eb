// velmora-cli probe, run as a program.
#include <algorithm>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "probe/ProbeTestUtil.h"

using nlohmann::json;
using testsupport::runCommand;

namespace {

json parseOutput(const testsupport::CommandResult& result)
{
    const json parsed = json::parse(result.out, nullptr, false);
    EXPECT_FALSE(parsed.is_discarded()) << result.out;
    return parsed;
}

}  // namespace

TEST(ProbeCli, OneRecordPerFileInOrder)
{
    const std::string dir = testsupport::freshDir("cli");
    const std::string missing = dir + "/missing.mp3";
    const std::string wav = testsupport::sineWav();
    const auto result = runCommand(testsupport::cliPath(), {"probe", wav, missing, testsupport::mp3WithCover()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const json records = parseOutput(result);
    ASSERT_TRUE(records.is_array());
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0]["fileName"], "sine-1.wav");
    EXPECT_EQ(records[0]["isValidMediaFile"], true);
    EXPECT_EQ(records[0]["numberOfAudioTracks"], 1);
    EXPECT_EQ(records[0]["tracksInfo"][0]["trackType"], "Audio");
    EXPECT_TRUE(records[0]["tracksInfo"][0]["trackKeyValue"][0].contains("key"));
    EXPECT_TRUE(records[0]["firstVideoTrackInfo"].is_null());
    EXPECT_EQ(records[0]["firstAudioTrackInfo"]["codec"], "pcm_s16le");
    EXPECT_FALSE(records[0].contains("json"));
    EXPECT_EQ(records[1]["hasErrors"], true);
    EXPECT_EQ(records[1]["fileSizeHuman"], "Unknown File Size");
    EXPECT_TRUE(records[1]["durationHuman"].is_null());
    EXPECT_TRUE(records[1]["iTunesMetadata"].is_null());
    EXPECT_EQ(records[2]["iTunesMetadata"]["title"], "Sine");
    EXPECT_EQ(records[2]["tracksInfo"][1]["trackType"], "Poster");
    // Diagnostics go to standard error, two lines for the missing file.
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 2) << result.err;
}

TEST(ProbeCli, RelativePathsOptionNamedFilesAndTheReport)
{
    const std::string dir = testsupport::freshDir("cli-relative");
    testsupport::writeFile(dir + "/-odd.wav", testsupport::readFile(testsupport::sineWav()));
    // Run from the folder with relative names; "--" ends the options.
    const std::string script = "cd '" + dir + "' && exec '" + testsupport::cliPath() +
                               "' probe --with-report -- -odd.wav --with-report";
    const auto result = runCommand("/bin/sh", {"-c", script});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const json records = parseOutput(result);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]["fileName"], "-odd.wav");
    EXPECT_EQ(records[0]["isValidMediaFile"], true);
    EXPECT_EQ(records[0]["json"]["format"]["filename"], dir + "/-odd.wav");
    EXPECT_EQ(records[1]["fileName"], "--with-report");
    EXPECT_EQ(records[1]["hasErrors"], true);
    EXPECT_TRUE(records[1]["json"].is_null());
}

TEST(ProbeCli, ToolsDirectoryOption)
{
    const std::string tools = testsupport::fakeProbeTools(
        "cli-fake", R"({"streams": [{"codec_type": "audio", "codec_name": "fake"}], "format": {"duration": "2.5"}})");
    const std::string file = probetest::placeholderFile("cli-fake.mp3");
    const auto result = runCommand(testsupport::cliPath(), {"probe", "--tools-dir", tools, file});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const json records = parseOutput(result);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]["tracksInfo"][0]["trackCodec"], "fake");
    EXPECT_EQ(records[0]["durationHuman"], "00:00:02.500");

    const auto empty = runCommand(testsupport::cliPath(), {"probe", "--tools-dir", testsupport::freshDir("cli-none"), file});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(parseOutput(empty)[0]["isValidMediaFile"], false);
}

TEST(ProbeCli, BadArguments)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"probe"}, {"probe", "--bogus", "a.mp3"}, {"probe", "a.mp3", "--tools-dir"}, {"probe", "--with-report"}}) {
        const auto result = runCommand(testsupport::cliPath(), args);
        EXPECT_EQ(result.exitCode, 2) << args.size();
        EXPECT_TRUE(result.out.empty());
        EXPECT_NE(result.err.find("usage:"), std::string::npos);
    }
}
