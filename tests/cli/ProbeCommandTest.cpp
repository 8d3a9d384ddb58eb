// velmora-cli probe, run as a program.
#include <algorithm>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/ProbeTestSupport.h"

using nlohmann::json;
using testsupport::cliPath;
using testsupport::runCommand;

namespace {
// Checks members of the printed records, named by JSON pointer.
void expectRecords(const testsupport::CommandResult& result, std::initializer_list<std::pair<const char*, json>> members)
{
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const json out = json::parse(result.out, nullptr, false);
    ASSERT_TRUE(out.is_array()) << result.out;
    for (const auto& [pointer, value] : members)
        EXPECT_EQ(out.contains(json::json_pointer(pointer)) ? out[json::json_pointer(pointer)] : "(absent)", value)
            << pointer;
}
}  // namespace

TEST(ProbeCommand, OneRecordPerFileInOrder)
{
    const std::string missing = testsupport::freshDir("cli") + "/missing.mp3";
    const auto result = runCommand(cliPath(), {"probe", testsupport::sineWav(), missing, testsupport::mp3WithCover()});
    expectRecords(result, {{"/0/fileName", "sine-1.wav"}, {"/0/isValidMediaFile", true}, {"/0/json", "(absent)"},
                           {"/0/tracksInfo/0/trackType", "Audio"}, {"/0/tracksInfo/0/trackKeyValue/0/value", "0"},
                           {"/0/firstVideoTrackInfo", nullptr}, {"/0/firstAudioTrackInfo/codec", "pcm_s16le"},
                           {"/1/hasErrors", true}, {"/1/fileSizeHuman", "Unknown File Size"}, {"/3", "(absent)"},
                           {"/1/durationHuman", nullptr}, {"/1/iTunesMetadata", nullptr},
                           {"/2/iTunesMetadata/title", "Sine"}, {"/2/tracksInfo/1/trackType", "Poster"}});
    // Diagnostics are off unless the logging rules turn them on: then two
    // lines for the missing file, on standard error.
    EXPECT_EQ(result.err, "");
    const auto logged = runCommand("/bin/sh", {"-c", "QT_LOGGING_RULES=velmora.diagnostics=true exec \"$0\" probe \"$1\"",
                                               cliPath(), missing});
    EXPECT_EQ(std::count(logged.err.begin(), logged.err.end(), '\n'), 2) << logged.err;
    EXPECT_EQ(logged.out.find("velmora.diagnostics"), std::string::npos);
}

TEST(ProbeCommand, OptionsRelativePathsAndBadArguments)
{
    const std::string dir = testsupport::freshDir("cli-relative");
    testsupport::writeFile(dir + "/-odd.wav", testsupport::readFile(testsupport::sineWav()));
    // Run from the folder with relative names; "--" ends the options.
    const std::string script = "cd '" + dir + "' && exec '" + cliPath() + "' probe --with-report -- -odd.wav --with-report";
    expectRecords(runCommand("/bin/sh", {"-c", script}),
                  {{"/0/fileName", "-odd.wav"}, {"/0/json/format/filename", dir + "/-odd.wav"},
                   {"/1/fileName", "--with-report"}, {"/1/hasErrors", true}, {"/1/json", nullptr}, {"/2", "(absent)"}});

    const std::string tools = testsupport::fakeProbeTools(
        "cli-fake", R"({"streams": [{"codec_type": "audio", "codec_name": "fake"}], "format": {"duration": "2.5"}})");
    const std::string file = probetest::placeholderFile("cli-fake.mp3");
    expectRecords(runCommand(cliPath(), {"probe", "--tools-dir", tools, file}),
                  {{"/0/tracksInfo/0/trackCodec", "fake"}, {"/0/durationHuman", "00:00:02.500"}});
    // A folder without the tool: that is said, rather than every file probed as not media.
    const std::string none = testsupport::freshDir("cli-none");
    const auto noTool = runCommand(cliPath(), {"probe", "--tools-dir", none, file});
    EXPECT_EQ(noTool.exitCode, 1);
    EXPECT_EQ(noTool.out, "");
    EXPECT_EQ(noTool.err, "velmora-cli: ffprobe not found at " + none + "/sniffer (set --tools-dir)\n");
    // Bad arguments print the usage and nothing else.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"probe"}, {"probe", "--bogus", "a.mp3"}, {"probe", "a.mp3", "--tools-dir"}, {"probe", "--with-report"}}) {
        const auto result = runCommand(cliPath(), args);
        EXPECT_EQ(result.exitCode, 2) << args.back();
        EXPECT_TRUE(result.out.empty() && result.err.find("usage:") != std::string::npos) << result.err;
    }
}
