// A tool's version line: the first line of what "-version" prints.
#include <gtest/gtest.h>

#include "foundation/ToolVersion.h"
#include "support/TestSupport.h"

using namespace velmora;

TEST(ToolVersion, FirstLineOfWhatTheToolPrints)
{
    const auto tool = [](const std::string& name, const std::string& body) {
        return testsupport::fakeToolsWithScript("version-" + name, "creator", body) + "/creator";
    };
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases{
        {tool("lines", "[ \"$1\" = -version ] && printf 'tool version 9.1 Copyright\\r\\nbuilt with gcc\\n'"),
         "tool version 9.1 Copyright"},
        {tool("silent", "exit 0"), std::nullopt},
        {tool("failing", "echo 'tool version 1'; exit 1"), std::nullopt},
        {testsupport::scratchDir() + "/no-such-tool", std::nullopt},
        {"", std::nullopt}};
    for (const auto& [program, version] : cases)
        EXPECT_EQ(toolVersion(program), version) << program;

    // The real encoder, as the resources folder links it.
    const auto ffmpeg = toolVersion(testsupport::resourcesDir() + "/creator");
    ASSERT_TRUE(ffmpeg.has_value());
    EXPECT_TRUE(ffmpeg->starts_with("ffmpeg version ")) << *ffmpeg;
}
