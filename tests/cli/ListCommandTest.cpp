// velmora-cli list, run as a program.
#include <nlohmann/json.hpp>

#include "support/JoinTestSupport.h"

using namespace jointest;

TEST(ListCommand, PrintsRowsAndNamesRefusedFiles)
{
    const std::string dir = freshDir("cli-list");
    writeFile(dir + "/movie.VOB", "x");
    writeFile(dir + "/notes.txt", "just some words");
    writeFile(dir + "/empty.wav", "");
    const auto result = cliIn(dir, {"list", sineWav(1.0), "movie.VOB", "notes.txt", "empty.wav", mp3WithCover(1.0),
                                    h264Clip(320, 240, 15, 1.0), sineWav(1.0)});
    EXPECT_EQ(result.exitCode, 0);
    const auto list = nlohmann::json::parse(result.out);
    ASSERT_EQ(list.size(), 4u);
    for (const char* key : {"fileURL", "filePath", "fileName", "durationHuman", "duration", "codec", "mediaType",
                            "fileSizeHuman", "isProRes"})
        EXPECT_TRUE(list[0].contains(key) && list[0].size() == 9u) << key;
    EXPECT_EQ(list[1].at("mediaType"), "Audio");  // the cover art does not count
    EXPECT_EQ(list[2].at("mediaType"), "Audio & Video");
    EXPECT_EQ(list[3], list[0]);  // a file given twice is listed twice
    EXPECT_TRUE(contains(result.err, "movie.VOB: skipped extension\n")) << result.err;
    EXPECT_TRUE(contains(result.err, "notes.txt: ") && contains(result.err, "empty.wav: ")) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 3);
}

