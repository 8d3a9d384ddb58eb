// The join command's sound options: values out of range refused before
// anything runs, and a dry run that measures the parts and lists the gains,
// trims and pauses the join would make.
#include <QFileInfo>
#include <nlohmann/json.hpp>

#include "support/JoinTestSupport.h"

using namespace jointest;

TEST(SoundFlags, ValuesOutOfRangeAreRefused)
{
    const std::string dir = freshDir("sound-flags");
    const std::string part = makeMedia("sound-flags.wav", {"-f", "lavfi", "-i", "sine=d=1", "-c:a", "pcm_s16le"});
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--loudness", "loud"}, "--loudness takes keep, parts or whole, not 'loud'"},
        {{"--target-lufs", "-3"}, "--target-lufs takes a loudness from -40 to -5 LUFS, not '-3'"},
        {{"--gap", "1.25"}, "--gap takes seconds from 0 to 10 in steps of 0.1, not '1.25'"},
        {{"--gap", "11"}, "--gap takes seconds from 0 to 10 in steps of 0.1, not '11'"},
        {{"--silence-threshold", "-10"}, "--silence-threshold takes a level from -90 to -20 dBFS, not '-10'"},
    };
    for (const auto& [options, message] : cases) {
        std::vector<std::string> arguments{"join", "-o", dir + "/out.mp3"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        arguments.push_back(part);
        const CommandResult run = runCommand(cliPath(), arguments);
        EXPECT_EQ(run.exitCode, 2) << message;
        EXPECT_TRUE(contains(run.err, message)) << run.err;
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(dir + "/out.mp3")));
    }
}

TEST(SoundFlags, ADryRunMeasuresThePartsAndListsTheEdits)
{
    // 1 s of silence, 2 s of a tone at about -26 LUFS, 1 s of silence.
    const std::string part = makeMedia(
        "sound-dry.flac", {"-f", "lavfi", "-i", "aevalsrc=exprs=0.05*sin(2*PI*440*t)*between(t\\,1\\,3):s=48000:d=4",
                           "-c:a", "flac"});
    const std::string dir = freshDir("sound-dry");
    const CommandResult run = runCommand(cliPath(), {"join", "--dry-run", "--loudness", "parts", "--trim-silence",
                                                     "--gap", "1.5", "-o", dir + "/out.m4b", part, part});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(dir + "/out.m4b")));
    const nlohmann::json listing = nlohmann::json::parse(run.out);
    ASSERT_EQ(listing["sound"].size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const nlohmann::json& sound = listing["sound"][i];
        const double gain = sound["gainDb"];
        EXPECT_NEAR(sound["loudnessLufs"].get<double>() + gain, -18.0, 0.05);
        EXPECT_NEAR(sound["trimStartSeconds"].get<double>(), 0.75, 0.01);
        EXPECT_NEAR(sound["trimEndSeconds"].get<double>(), 0.75, 0.01);
        EXPECT_DOUBLE_EQ(sound["pauseAfterSeconds"].get<double>(), i == 0 ? 1.5 : 0.0);
        // The decoders make what is listed.
        const std::string decoder = listing["commands"][i].dump();
        EXPECT_TRUE(contains(decoder, "volume=")) << decoder;
        EXPECT_TRUE(contains(decoder, "atrim=start_sample=")) << decoder;
        EXPECT_EQ(contains(decoder, "apad=pad_len=72000"), i == 0) << decoder;
    }
    EXPECT_TRUE(contains(run.err, "gain +")) << run.err;

    // A quiet tone with a short burst at a quarter of the rate whose samples
    // fall halfway up its crests: its peak between the samples is 3 dB over
    // the samples themselves (-16.4 dBFS at most), and it is that peak that
    // holds the gain.
    const std::string burst = makeMedia(
        "sound-dry-burst.flac",
        {"-f", "lavfi", "-i",
         "aevalsrc=exprs=0.01*sin(2*PI*440*t)+0.2*sin(2*PI*11025*t+PI/4)*between(t\\,1\\,1.02):s=44100:d=4", "-c:a",
         "flac"});
    const CommandResult held = runCommand(cliPath(), {"join", "--dry-run", "--loudness", "parts", "--target-lufs", "-5",
                                                      "-o", dir + "/held.mp3", burst});
    ASSERT_EQ(held.exitCode, 0) << held.err;
    const nlohmann::json sound = nlohmann::json::parse(held.out)["sound"][0];
    const double peak = sound["truePeakDb"];
    EXPECT_GT(peak, -14.6) << sound.dump();
    EXPECT_LT(peak, -13.0) << sound.dump();
    EXPECT_NEAR(sound["gainDb"].get<double>(), -1.0 - peak, 0.05) << sound.dump();
}
