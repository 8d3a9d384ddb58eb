// Whole joins with the real encoder on small generated media.
#include <cmath>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "JoinTestSupport.h"
#include "join/JoinControl.h"
#include "join/Preflight.h"
#include "support/RecordingHost.h"

using namespace velmora;
using jointest::row;

namespace {

struct Input {
    std::string path;
    std::string mediaType;
};

// Joins the inputs into `out` through the engine and expects the success alert.
void joinSucceeds(const std::vector<Input>& inputs, const std::string& out)
{
    std::vector<FileRow> rows;
    double total = 0.0;
    for (const Input& input : inputs) {
        ASSERT_FALSE(input.path.empty());
        const double seconds = testsupport::mediaDuration(input.path);
        total += seconds;
        rows.push_back(row(input.path, seconds, input.mediaType));
    }
    jointest::ToolsGuard tools(testsupport::resourcesDir());
    testsupport::RecordingHost host;
    JoinControl control;
    startJoin(out, rows, control, host);
    ASSERT_TRUE(host.waitForAlert(1, std::chrono::seconds(120)));
    const AlertSpec& alert = host.alerts.at(0);
    EXPECT_EQ(alert.messageText, "Audio Joined Successfully!");
    EXPECT_EQ(alert.informativeText, out);
    EXPECT_EQ(alert.buttons, (std::vector<std::string>{"Launch in QuickTime Player", "Show in Finder", "OK"}));
    EXPECT_EQ(alert.style, AlertStyle::informational);
    ASSERT_FALSE(host.progress.empty());
    EXPECT_GT(host.progress.back(), 50.0);

    const auto check = testsupport::runCommand("ffmpeg", {"-v", "error", "-i", out, "-f", "null", "-"});
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_EQ(check.err, "");
    EXPECT_NEAR(testsupport::mediaDuration(out), total, 0.05 * static_cast<double>(inputs.size()));
    EXPECT_TRUE(jointest::processesMentioning(jointest::testTemporaryDirectory()).empty());
}

nlohmann::json streams(const std::string& path)
{
    return nlohmann::json::parse(testsupport::ffprobeJson(path)).at("streams");
}

std::vector<Input> audioSet()
{
    return {{testsupport::sineWav(1.0), "Audio"},
            {testsupport::mp3WithCover(1.0), "Audio"},
            {testsupport::sineM4a(1.0), "Audio"},
            {testsupport::sineFlac(1.0), "Audio"}};
}

}  // namespace

TEST(MediaJoin, AudioFilesIntoMp3)
{
    const std::string out = testsupport::freshDir("join-mp3") + "/joined audio.mp3";
    joinSucceeds(audioSet(), out);
    const auto list = streams(out);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].at("codec_name"), "mp3");
}

TEST(MediaJoin, AudioFilesIntoM4a)
{
    const std::string out = testsupport::freshDir("join-m4a") + "/joined.m4a";
    joinSucceeds(audioSet(), out);
    const auto list = streams(out);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].at("codec_name"), "aac");
    EXPECT_EQ(list[0].at("sample_rate"), "48000");
    EXPECT_EQ(list[0].at("channels"), 2);
}

TEST(MediaJoin, ClipsOfDifferentSizesAndRatesIntoMp4)
{
    const std::string out = testsupport::freshDir("join-mp4") + "/joined.mp4";
    joinSucceeds({{testsupport::h264Clip(320, 240, 15, 1.0), "Audio & Video"},
                  {testsupport::h264Clip(400, 300, 25, 1.0), "Audio & Video"}},
                 out);
    const auto list = streams(out);
    ASSERT_EQ(list.size(), 2u);
    for (const auto& stream : list) {
        if (stream.at("codec_type") == "video") {
            EXPECT_EQ(stream.at("codec_name"), "h264");
            EXPECT_EQ(stream.at("width"), 640);
            EXPECT_EQ(stream.at("height"), 480);
            // 24 frames a second inside each clip; the clips meet where their
            // audio ends, so the frame rate over the whole file is not exact.
            EXPECT_EQ(stream.at("nb_frames"), "48");
        } else {
            EXPECT_EQ(stream.at("codec_name"), "aac");
            EXPECT_EQ(stream.at("sample_rate"), "48000");
            EXPECT_EQ(stream.at("channels"), 2);
        }
    }
    const auto frames = testsupport::runCommand(
        "ffprobe", {"-v", "error", "-select_streams", "v", "-show_entries", "frame=pts_time", "-of", "csv=p=0", out});
    std::vector<double> times;
    std::istringstream in(frames.out);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0])))
            times.push_back(std::atof(line.c_str()));
    }
    ASSERT_EQ(times.size(), 48u);
    int steady = 0;
    for (size_t i = 1; i < times.size(); ++i)
        steady += std::fabs(times[i] - times[i - 1] - 1.0 / 24.0) < 0.001 ? 1 : 0;
    EXPECT_GE(steady, 45);
}

TEST(MediaJoin, TemporaryFolderWithAnApostrophe)
{
    const std::string saved = jointest::testTemporaryDirectory();
    const std::string odd = testsupport::freshDir("it's tmp");
    ::setenv("TMPDIR", odd.c_str(), 1);
    const std::string out = testsupport::freshDir("join-odd-tmp") + "/joined.mp3";
    joinSucceeds({{testsupport::sineWav(1.0), "Audio"}, {testsupport::sineFlac(1.0), "Audio"}}, out);
    ::setenv("TMPDIR", saved.c_str(), 1);
}
