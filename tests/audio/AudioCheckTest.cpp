// The fidelity checks themselves, on a two-second stereo sweep cut at two
// places and put together again faithfully, with a gap, with a loss, late,
// and through a lossy encoder.

#include <gtest/gtest.h>

#include "support/AudioCheck.h"
#include "support/TestSupport.h"

using namespace audiocheck;
using testsupport::makeMedia;

namespace {

constexpr int kRate = 44100;
constexpr int64_t kCut1 = 35280;  // 0.8 s
constexpr int64_t kCut2 = 61740;  // 1.4 s

// Left channel sweeps up (100 Hz to 8 kHz), right down at another rate (6 kHz
// to 400 Hz): no two stretches look alike, and they seldom cross zero together.
const std::string kSweep =
    "aevalsrc=exprs=0.5*sin(2*PI*(100*t+1975*t*t))|0.5*sin(2*PI*(6000*t-1400*t*t)):s=44100:d=2";

std::string sweepWav()
{
    return makeMedia("sweep.wav", {"-f", "lavfi", "-i", kSweep, "-c:a", "pcm_s16le"});
}

// The sweep through a filter graph whose input is [0] and output [out].
std::string variant(const std::string& name, const std::string& graph, const std::vector<std::string>& codec)
{
    std::vector<std::string> arguments{"-i", sweepWav(), "-filter_complex", graph, "-map", "[out]"};
    arguments.insert(arguments.end(), codec.begin(), codec.end());
    return makeMedia(name, arguments);
}

// The three pieces, with `between1` put between the first two.
std::string rejoined(const std::string& name, const std::string& between1)
{
    const std::string c1 = std::to_string(kCut1), c2 = std::to_string(kCut2);
    const std::string graph = "[0]asplit=3[a][b][c];[a]atrim=end_sample=" + c1 + "[p1];[b]atrim=start_sample=" + c1 +
                              ":end_sample=" + c2 + ",asetpts=PTS-STARTPTS" + between1 +
                              "[p2];[c]atrim=start_sample=" + c2 +
                              ",asetpts=PTS-STARTPTS[p3];[p1][p2][p3]concat=n=3:v=0:a=1[out]";
    return variant(name, graph, {"-c:a", "pcm_s16le"});
}

Pcm load(const std::string& path)
{
    std::string error;
    Pcm pcm = decode(path, kRate, 2, &error);
    EXPECT_GT(pcm.frames(), 0) << path << ": " << error;
    return pcm;
}

}  // namespace

TEST(AudioCheck, DecodesToTheAskedFormAndReportsFailures)
{
    const Pcm pcm = load(sweepWav());
    EXPECT_EQ(pcm.frames(), 2 * kRate);
    EXPECT_EQ(pcm.channels, 2);
    EXPECT_EQ(decode(sweepWav(), 22050, 1).frames(), kRate);
    EXPECT_EQ(decodeErrors(sweepWav()), "");
    EXPECT_EQ(sampleRate(sweepWav()), kRate);
    EXPECT_DOUBLE_EQ(declaredDuration(sweepWav()), 2.0);
    const Pcm resampled = resample(pcm, 48000);
    EXPECT_EQ(resampled.frames(), 96000);
    EXPECT_GT(snrDb(resampled, decode(sweepWav(), 48000, 2), 0), 120.0);  // the same resampler as decoding at 48 kHz

    std::string error;
    EXPECT_EQ(decode("/nonexistent/file.wav", kRate, 2, &error).frames(), 0);
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    EXPECT_NE(decodeErrors("/nonexistent/file.wav"), "");
}

TEST(AudioCheck, FindsQuietRunsWhereTheyAre)
{
    // 10 ms of digital silence from 0.5 s, and a -90 dB stretch from 1.5 s.
    const Pcm pcm = load(makeMedia(
        "holes.wav", {"-f", "lavfi", "-i",
                      "aevalsrc=exprs=if(between(t\\,0.5\\,0.51-1/88200)\\,0\\,if(between(t\\,1.5\\,1.52)\\,3e-5\\,0.5)"
                      ")*sin(2*PI*440*t)|0.5*cos(2*PI*440*t)*not(between(t\\,0.5\\,0.51-1/88200)):s=44100:d=2",
                      "-c:a", "pcm_f32le"}));
    const std::vector<QuietRun> silent = quietRuns(pcm, msToFrames(1, kRate));
    ASSERT_EQ(silent.size(), 1u);
    EXPECT_EQ(silent[0].start, 22050);
    EXPECT_EQ(silent[0].length, 441);
    EXPECT_TRUE(quietRuns(pcm, 2, 0.0f, 0, 22000).empty());  // zero crossings alone are shorter

    // Near-silence is not digital silence, but stays under a threshold (the
    // right channel still plays there, so nothing is quiet in both).
    EXPECT_EQ(quietRuns(pcm, msToFrames(1, kRate), 1e-4f).size(), 1u);
}

TEST(AudioCheck, AlignsAShiftedCopyAtTheExactLag)
{
    const Pcm reference = load(sweepWav());
    const Pcm late = load(variant("late.wav", "[0]adelay=delays=1000S:all=1[out]", {"-c:a", "pcm_s16le"}));
    for (int64_t start : {int64_t(2000), kCut1, kCut2 + 5000}) {
        const Alignment found = align(late, reference, start, 4410, 0, 2205);
        EXPECT_EQ(found.lag, 1000) << "window at " << start;
        EXPECT_GT(found.correlation, 0.999);
    }
    // Out of reach of the search: not found there.
    EXPECT_NE(align(late, reference, 20000, 4410, 0, 500).lag, 1000);
}

struct JoinCase {
    const char* name;
    std::string (*make)();
    int64_t startLag;
    std::vector<int64_t> shifts;  // frames at each join
    double minDropoutMs;          // at the first join
    double maxDropoutMs;
    int64_t frameDifference;
    double minSnr, maxSnr;
};

void PrintTo(const JoinCase& c, std::ostream* os)
{
    *os << c.name;
}

class CompareJoins : public testing::TestWithParam<JoinCase> {};

TEST_P(CompareJoins, MeasuresShiftDropoutAndNoise)
{
    const JoinCase& c = GetParam();
    const Pcm reference = load(sweepWav());
    const Pcm output = load(c.make());
    const Report report = compare(output, reference, {kCut1, kCut2});
    EXPECT_EQ(report.startLag, c.startLag);
    ASSERT_EQ(report.joins.size(), 2u);
    for (size_t k = 0; k < 2; ++k)
        EXPECT_EQ(report.joins[k].lagAfter - report.joins[k].lagBefore, c.shifts[k]) << "join " << k;
    EXPECT_GE(report.joins[0].dropoutMs, c.minDropoutMs);
    EXPECT_LE(report.joins[0].dropoutMs, c.maxDropoutMs);
    EXPECT_EQ(report.frameDifference, c.frameDifference);
    EXPECT_GE(report.snrDb, c.minSnr);
    EXPECT_LE(report.snrDb, c.maxSnr);
    if (c.shifts[0] == 0)  // no step at an intact join beyond what the codec does everywhere
        EXPECT_LE(report.joins[0].joinError, report.noisePeak * 1.5 + 1e-6);
    else
        EXPECT_GT(report.joins[0].joinError, 0.1);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, CompareJoins,
    testing::Values(
        JoinCase{"ExactCopy", [] { return rejoined("copy.wav", ""); }, 0, {0, 0}, 0, 0, 0, 120, 200},
        JoinCase{"TenMsGap",
                 [] { return rejoined("gap.wav", "[p2x];anullsrc=r=44100:cl=stereo,atrim=end_sample=441[gap];"
                                                   "[gap][p2x]concat=n=2:v=0:a=1"); },
                 0, {441, 0}, 9.9, 10.1, 441, 20, 200},
        JoinCase{"TenMsOfNoise",
                 [] {
                     return rejoined("noise.wav", "[p2x];anoisesrc=r=44100:a=0.02,pan=stereo|c0=c0|c1=c0,"
                                                  "atrim=end_sample=441[gap];[gap][p2x]concat=n=2:v=0:a=1");
                 },
                 0, {441, 0}, 9.5, 10.5, 441, 20, 200},
        JoinCase{"FiveMsLost",
                 [] { return rejoined("lost.wav", ",atrim=start_sample=220,asetpts=PTS-STARTPTS"); }, 0, {-220, 0},
                 0, 0.1, -220, 5, 200},
        JoinCase{"StartsLate",
                 [] { return variant("late.wav", "[0]adelay=delays=1000S:all=1[out]", {"-c:a", "pcm_s16le"}); },
                 1000, {0, 0}, 0, 0, 1000, 120, 200},
        JoinCase{"ThroughMp3",
                 [] { return variant("lossy.mp3", "[0]anull[out]", {"-c:a", "libmp3lame", "-b:a", "192k"}); }, 0,
                 {0, 0}, 0, 0, 0, 15, 60}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AudioCheck, Md5TellsBitExactFromNearlyEqual)
{
    const Pcm reference = load(sweepWav());
    const Pcm flac = load(variant("sweep.flac", "[0]anull[out]", {"-c:a", "flac"}));
    const Pcm quieter = load(variant("quieter.wav", "[0]volume=0.999[out]", {"-c:a", "pcm_s16le"}));
    EXPECT_EQ(md5(flac), md5(reference));
    EXPECT_NE(md5(quieter), md5(reference));
    EXPECT_EQ(snrDb(flac, reference, 0), 200.0);

    Pcm first = reference, second = reference;
    first.samples.resize(size_t(kCut1 * 2));
    second.samples.erase(second.samples.begin(), second.samples.begin() + kCut1 * 2);
    EXPECT_EQ(md5(concatenate({first, second})), md5(reference));
}
