// A sanity check of the fidelity measure the join tests and the benchmark rely
// on: a two-second sweep rejoined faithfully measures clean, and 10 ms of
// silence put in at the first cut is found there.

#include <gtest/gtest.h>

#include "support/AudioCheck.h"
#include "support/TestSupport.h"

using namespace audiocheck;
using testsupport::makeMedia;

TEST(AudioCheck, TellsAFaithfulJoinFromAGap)
{
    constexpr int kRate = 44100;
    const std::string sweep = makeMedia(
        "sweep.wav", {"-f", "lavfi", "-i",
                      "aevalsrc=exprs=0.5*sin(2*PI*(100*t+1975*t*t))|0.5*sin(2*PI*(6000*t-1400*t*t)):s=44100:d=2",
                      "-c:a", "pcm_s16le"});
    // The sweep in two pieces split at 0.8 s, with `between` put before the second.
    const auto rejoined = [&](const std::string& name, const std::string& between) {
        return makeMedia(name, {"-i", sweep, "-filter_complex",
                                "[0]asplit=2[a][b];[a]atrim=end_sample=35280[p1];[b]atrim=start_sample=35280,"
                                "asetpts=PTS-STARTPTS" + between + "[p2];[p1][p2]concat=n=2:v=0:a=1[out]",
                                "-map", "[out]", "-c:a", "pcm_s16le"});
    };
    const Pcm reference = decode(sweep, kRate, 2);
    ASSERT_EQ(reference.frames(), 2 * kRate);

    const Report exact = compare(decode(rejoined("copy.wav", ""), kRate, 2), reference, {35280});
    ASSERT_EQ(exact.joins.size(), 1u);
    EXPECT_EQ(exact.joins[0].lagAfter - exact.joins[0].lagBefore, 0);
    EXPECT_EQ(exact.frameDifference, 0);
    EXPECT_GE(exact.snrDb, 120);

    const Report gap = compare(decode(rejoined("gap.wav", "[p2x];anullsrc=r=44100:cl=stereo,atrim=end_sample=441[gap];"
                                                           "[gap][p2x]concat=n=2:v=0:a=1"),
                                      kRate, 2),
                               reference, {35280});
    ASSERT_EQ(gap.joins.size(), 1u);
    EXPECT_EQ(gap.joins[0].lagAfter - gap.joins[0].lagBefore, 441);
    EXPECT_GE(gap.joins[0].dropoutMs, 9.9);
    EXPECT_LE(gap.joins[0].dropoutMs, 10.1);
    EXPECT_EQ(gap.frameDifference, 441);

    std::string error;
    EXPECT_EQ(decode("/nonexistent/file.wav", kRate, 2, &error).frames(), 0);
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}
