// Turning the encoder's error stream into an overall percentage.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "JoinTestSupport.h"
#include "join/ToolRunner.h"
#include "support/RecordingHost.h"

using namespace velmora;

TEST(Progress, TimestampToSeconds)
{
    EXPECT_EQ(timestampToSeconds("01:02:03.45"), 0.45 + 3 + 120 + 3600);
    EXPECT_EQ(timestampToSeconds("00:00:30.00"), 30.0);
    EXPECT_EQ(timestampToSeconds("00:05:00.00"), 300.0);
    // The pattern's "." takes any character: such a match gives no value.
    EXPECT_FALSE(timestampToSeconds("00:00:30,00").has_value());
    EXPECT_FALSE(timestampToSeconds("").has_value());
    EXPECT_FALSE(timestampToSeconds("aa:00:30.00").has_value());
}

TEST(Progress, PatternMatches)
{
    EXPECT_EQ(patternMatches(kTimestampPattern, "Duration: 00:05:00.00, x time=00:00:01.00 bitrate"),
              (std::vector<std::string>{"00:05:00.00", "00:00:01.00"}));
    EXPECT_TRUE(patternMatches(kTimestampPattern, "nothing here").empty());
    jointest::DiagnosticRecorder diagnostics;
    EXPECT_TRUE(patternMatches("([0-9]", "12").empty());
    const auto lines = diagnostics.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("invalid regex: ", 0), 0u);
}

TEST(Progress, ShareOfEachCommand)
{
    const std::vector<double> durations{60.0, 120.0, 30.0, 210.0};
    // Three rows, four commands: command 1 at 30 s of 120 s.
    EXPECT_EQ(progressFromChunk("frame=1 size=1kB time=00:00:30.00 bitrate=1", 1, 4, durations), 31.25);
    EXPECT_EQ(progressFromChunk("time=00:00:00.00", 0, 4, durations), 0.0);
    // Past the expected duration the value is passed on unchanged.
    EXPECT_EQ(progressFromChunk("time=00:07:00.00", 3, 4, durations), 75.0 + 50.0);
    // The first timestamp of the chunk counts, wherever it stands.
    EXPECT_EQ(progressFromChunk("Duration: 00:05:00.00, start\ntime=00:00:01.00", 3, 4, durations),
              75.0 + (300.0 / 210.0) * 100.0 / 4.0);
}

TEST(Progress, ChunksThatGiveNoValue)
{
    const std::vector<double> durations{10.0, 10.0};
    EXPECT_FALSE(progressFromChunk("Duration: 00:00:05.00", 0, 2, durations).has_value());
    EXPECT_FALSE(progressFromChunk("time=N/A bitrate=N/A", 0, 2, durations).has_value());
    EXPECT_FALSE(progressFromChunk("time=00:00:05,00", 0, 2, durations).has_value());
    const std::string notUtf8 = std::string("time=00:00:05.00 \xff\xfe");
    EXPECT_FALSE(progressFromChunk(notUtf8, 0, 2, durations).has_value());
    const std::string cutSequence = std::string("time=00:00:05.00 \xc3");
    EXPECT_FALSE(progressFromChunk(cutSequence, 0, 2, durations).has_value());
    EXPECT_EQ(progressFromChunk("time=00:00:05.00 \xc3\xa9", 0, 2, durations), 25.0);
}

TEST(Progress, ZeroDurations)
{
    const std::vector<double> durations{0.0, 0.0};
    const auto inf = progressFromChunk("time=00:00:01.00", 0, 2, durations);
    ASSERT_TRUE(inf.has_value());
    EXPECT_TRUE(std::isinf(*inf) && *inf > 0);
    const auto nan = progressFromChunk("time=00:00:00.00", 0, 2, durations);
    ASSERT_TRUE(nan.has_value());
    EXPECT_TRUE(std::isnan(*nan));
}

TEST(Progress, ValuesAreWrittenAndPosted)
{
    testsupport::RecordingHost host;
    jointest::DiagnosticRecorder diagnostics;
    const std::vector<double> durations{60.0, 120.0, 30.0, 210.0};
    handleToolErrorOutput("time=00:00:30.00", 1, 4, durations, host);
    handleToolErrorOutput("no progress here", 1, 4, durations, host);
    handleToolErrorOutput("time=00:00:30.00", 2, 4, durations, host);
    handleToolErrorOutput("time=00:00:01.00", 0, 2, {0.0, 0.0}, host);
    EXPECT_TRUE(host.progress.empty());  // posted, not yet run
    host.drain();
    ASSERT_EQ(host.progress.size(), 3u);
    EXPECT_EQ(host.progress[0], 31.25);
    EXPECT_EQ(host.progress[1], 75.0);
    EXPECT_TRUE(std::isinf(host.progress[2]));
    EXPECT_EQ(diagnostics.lines(), (std::vector<std::string>{"Percent : 31.25", "Percent : 75.0", "Percent : inf"}));
}
