// Real joins that change the sound, into .mp3, .m4b and .flac, checked on
// the decoded output: loudness evened out part by part or for the whole
// book, an exact pause between parts with the chapters after it, and the
// silence at the parts' edges trimmed to a quarter second.
#include <cmath>

#include <nlohmann/json.hpp>

#include "support/AudioCheck.h"
#include "support/JoinTestSupport.h"

using namespace jointest;
using audiocheck::Pcm;

namespace {

constexpr int kRate = 44100;

// A stereo tone of `seconds` at `amplitude` with `silence` seconds of digital silence either side, as FLAC.
std::string tonePart(const std::string& name, double amplitude, double seconds, double silence = 0.0)
{
    const std::string tone = std::to_string(amplitude) + "*sin(2*PI*440*t)";
    std::string source = "aevalsrc=exprs='" + tone + "|" + tone + "':s=44100:d=" + std::to_string(seconds);
    std::vector<std::string> arguments{"-f", "lavfi", "-i", source};
    if (silence > 0.0) {
        const std::string delay = std::to_string(std::lround(silence * 1000));
        arguments.insert(arguments.end(), {"-af", "adelay=" + delay + "|" + delay + ",apad=pad_dur=" +
                                                      std::to_string(silence)});
    }
    arguments.insert(arguments.end(), {"-c:a", "flac"});
    return makeMedia("sound-" + name + ".flac", arguments);
}

struct Loudness {
    double integrated = 0.0;
    double truePeak = 0.0;
};

// EBU R128 of `seconds` of `path` from `from`, as ffmpeg measures it.
Loudness measure(const std::string& path, double from, double seconds)
{
    const CommandResult run =
        runCommand("ffmpeg", {"-nostdin", "-hide_banner", "-nostats", "-ss", std::to_string(from), "-t",
                              std::to_string(seconds), "-i", path, "-af", "ebur128=peak=true", "-f",
                              "null", "-"});
    Loudness measured;
    const std::string& text = run.err;
    const size_t summary = text.rfind("Summary:");
    if (summary == std::string::npos)
        return measured;
    measured.integrated = std::atof(text.c_str() + text.find("I:", summary) + 2);
    measured.truePeak = std::atof(text.c_str() + text.find("Peak:", summary) + 5);
    return measured;
}

CommandResult joinInto(const std::string& out, const std::vector<std::string>& options,
                       const std::vector<std::string>& parts)
{
    std::vector<std::string> arguments{"join", "--chapters", "-o", out};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.insert(arguments.end(), parts.begin(), parts.end());
    return runCommand(cliPath(), arguments);
}

// One codec frame of the output: how far its lengths and chapters may be off.
double frameSeconds(const std::string& extension)
{
    return extension == "mp3" ? 1152.0 / kRate : extension == "m4b" ? 1024.0 / kRate : 1.0 / kRate;
}

class SoundJoin : public testing::TestWithParam<std::string> {
protected:
    std::string output(const std::string& name) { return freshDir("sound " + name + " " + GetParam()) + "/joined." + GetParam(); }
    // Three parts of 4 s at about -30, -14 and -22 LUFS.
    std::vector<std::string> unevenParts()
    {
        return {tonePart("quiet", 0.0316, 4), tonePart("loud", 0.2, 4), tonePart("middle", 0.0794, 4)};
    }
};

}  // namespace

TEST_P(SoundJoin, PartsModeBringsEveryPartToTheTarget)
{
    const std::string out = output("parts");
    const CommandResult joined = joinInto(out, {"--loudness", "parts"}, unevenParts());
    ASSERT_EQ(joined.exitCode, 0) << joined.err;
    const std::vector<double> starts = chapterStarts(out);
    ASSERT_EQ(starts.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        // Away from the edges, where a lossy codec's frames blur the parts together.
        const Loudness part = measure(out, starts[i] + 0.5, 3.0);
        EXPECT_NEAR(part.integrated, -18.0, 0.5) << "part " << i;
        EXPECT_LE(part.truePeak, -1.0) << "part " << i;
    }
}

TEST_P(SoundJoin, WholeModeKeepsThePartsApartAndMeetsTheTarget)
{
    const std::string out = output("whole");
    const std::vector<std::string> parts = unevenParts();
    const CommandResult joined = joinInto(out, {"--loudness", "whole", "--target-lufs", "-20"}, parts);
    ASSERT_EQ(joined.exitCode, 0) << joined.err;
    const std::vector<double> starts = chapterStarts(out);
    ASSERT_EQ(starts.size(), 3u);
    std::vector<double> before, after;
    for (size_t i = 0; i < 3; ++i) {
        before.push_back(measure(parts[i], 0.5, 3.0).integrated);
        after.push_back(measure(out, starts[i] + 0.5, 3.0).integrated);
    }
    EXPECT_NEAR(after[1] - after[0], before[1] - before[0], 0.5);
    EXPECT_NEAR(after[2] - after[0], before[2] - before[0], 0.5);
    EXPECT_NEAR(measure(out, 0, 60).integrated, -20.0, 0.5);
    EXPECT_TRUE(joined.err.find("note") == std::string::npos) << joined.err;

    // Quiet speech with one loud knock: the gain stops where the knock's peak
    // meets the ceiling, short of the target, and a note says so.
    const std::string knock = "0.03*sin(2*PI*440*t)+0.87*sin(2*PI*440*t)*between(t,1,1.02)";
    const std::string knocking = makeMedia("sound-knock.flac", {"-f", "lavfi", "-i", "aevalsrc=exprs='" + knock + "|" +
                                                                    knock + "':s=44100:d=4", "-c:a", "flac"});
    const std::string held = output("whole-held");
    const CommandResult limited = joinInto(held, {"--loudness", "whole"}, {parts[0], knocking});
    ASSERT_EQ(limited.exitCode, 0) << limited.err;
    EXPECT_TRUE(contains(limited.err, "so that its peaks stay below -1 dBTP")) << limited.err;
    EXPECT_LE(measure(held, 0, 60).truePeak, -0.8);
}

TEST_P(SoundJoin, GapPutsExactSilenceBetweenPartsAndChaptersAfterIt)
{
    const std::string out = output("gap");
    const std::vector<std::string> parts{tonePart("a", 0.3, 1.5), tonePart("b", 0.3, 2.25), tonePart("c", 0.3, 1)};
    const CommandResult joined = joinInto(out, {"--gap", "2"}, parts);
    ASSERT_EQ(joined.exitCode, 0) << joined.err;
    const std::vector<double> starts = chapterStarts(out);
    ASSERT_EQ(starts.size(), 3u);
    const double frame = frameSeconds(GetParam());
    EXPECT_NEAR(starts[1], 3.5, frame);
    EXPECT_NEAR(starts[2], 7.75, frame);

    const Pcm pcm = audiocheck::decode(out, kRate, 2);
    // A lossless output holds digital silence; a lossy one the codec's faint noise at its ends.
    const bool lossless = GetParam() == "flac";
    const auto quiet = audiocheck::quietRuns(pcm, audiocheck::msToFrames(500, kRate), lossless ? 0.0f : 0.003f);
    ASSERT_EQ(quiet.size(), 2u);
    for (const audiocheck::QuietRun& run : quiet) {
        if (lossless)
            EXPECT_NEAR(run.length, 2 * kRate, 1);
        else
            EXPECT_NEAR(double(run.length) / kRate, 2.0, 2 * frame);
    }
    EXPECT_NEAR(pcm.seconds(), 8.75, lossless ? 1.0 / kRate : 3 * frame);
}

TEST_P(SoundJoin, TrimLeavesAQuarterSecondAtEachEdge)
{
    const std::string out = output("trim");
    const std::vector<std::string> parts{tonePart("padded-a", 0.3, 2, 3), tonePart("padded-b", 0.3, 1, 3)};
    const CommandResult joined = joinInto(out, {"--trim-silence"}, parts);
    ASSERT_EQ(joined.exitCode, 0) << joined.err;
    const std::vector<double> starts = chapterStarts(out);
    ASSERT_EQ(starts.size(), 2u);
    const double frame = frameSeconds(GetParam());
    EXPECT_NEAR(starts[1], 2.5, frame + 0.02);

    const Pcm pcm = audiocheck::decode(out, kRate, 2);
    // Silence here is what the trim takes as silence: below -50 dBFS.
    const auto quiet = audiocheck::quietRuns(pcm, audiocheck::msToFrames(100, kRate), 0.00316f);
    ASSERT_EQ(quiet.size(), 3u);
    const double lead = GetParam() == "flac" ? 0.0 : frame;  // a lossy decoder may keep a little priming
    EXPECT_NEAR(double(quiet[0].length) / kRate, 0.25, 0.02 + lead);
    EXPECT_NEAR(double(quiet[1].length) / kRate, 0.5, 0.04);
    EXPECT_NEAR(double(quiet[2].length) / kRate, 0.25, 0.02 + lead);
    EXPECT_NEAR(pcm.seconds(), 4.0, 0.04 + 2 * lead);
}

INSTANTIATE_TEST_SUITE_P(Formats, SoundJoin, testing::Values("mp3", "m4b", "flac"));
