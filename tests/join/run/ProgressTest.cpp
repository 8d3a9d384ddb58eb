// The encoder's progress text turned into a percentage of the whole join,
// weighted by duration, and the time left told from the pace so far.
#include <cmath>
#include <optional>
#include <tuple>

#include <gtest/gtest.h>

#include "join/run/JobProgress.h"
#include "join/run/PartStream.h"

using namespace velmora;

TEST(Progress, TheTimeAChunkReports)
{
    const std::vector<std::pair<std::string, std::optional<double>>> cases{
        {"frame=1 size=1kB time=00:00:30.00 bitrate=1", 30.0},
        // The banner's durations are not the time reached.
        {"Duration: 00:05:00.00, start\nsize=1kB time=00:00:01.00 bitrate", 1.0},
        {"time=00:00:01.00 x\rtime=00:00:02.50 y", 2.5},
        {"time=N/A bitrate=N/A", std::nullopt},
        {"time=00:00:30.00 \xff\xfe", std::nullopt},  // not UTF-8
        {"time=00:00:30.00 \xc3", std::nullopt},      // a cut sequence
        {"time=00:00:30.00 \xc3\xa9", 30.0}};
    for (const auto& [chunk, seconds] : cases)
        EXPECT_EQ(chunkSeconds(chunk), seconds) << chunk;
    EXPECT_EQ(timestampToSeconds("01:02:03.45"), 0.45 + 3 + 120 + 3600);
}

TEST(Progress, TheSamplesAJoinInOneProcessSaysItEncoded)
{
    const std::vector<std::pair<std::string, std::optional<long long>>> cases{
        {"  Output stream #0:0 (audio): 6891 frames encoded (7938000 samples); 6892 packets muxed (717995 bytes); ",
         7938000},
        {"  Input stream #0:0 (audio): 2298 packets read (239592 bytes); 2298 frames decoded (2646000 samples); ",
         std::nullopt},
        {"  Output stream #0:1 (video): 1 packets muxed (1234 bytes); ", std::nullopt},
        {"  Output stream #0:0 (audio): 12 frames encoded (", std::nullopt},  // cut off
        {"  Output stream #0:0 (audio): 6891 frames encoded (99999999999999999999999 samples); ", std::nullopt}};
    for (const auto& [line, samples] : cases)
        EXPECT_EQ(encodedSamples(line), samples) << line;
}

TEST(Progress, EveryStepCountsAsMuchAsItsMaterialAndTheTimeLeftFollowsThePace)
{
    // A 30-s row and a 10-s row normalised side by side, then the concat of 40 s.
    double now = 100.0;
    JoinProgressModel progress({30.0, 10.0, 40.0}, 2, 2, [&] { return now; });
    progress.setStatus(JobStatus::running);
    const std::vector<std::tuple<size_t, std::string, double, size_t>> steps{
        {0, "time=00:00:15.00", 15.0 / 80 * 100, 1},
        {1, "time=00:00:05.00", 20.0 / 80 * 100, 1},
        {1, "Duration: 00:00:10.00", 20.0 / 80 * 100, 1},       // no time: no change
        {0, "ended", 35.0 / 80 * 100, 2},                       // the long row is done
        {1, "time=00:00:12.00", 40.0 / 80 * 100, 2},            // past its length: full, no more
        {1, "ended", 40.0 / 80 * 100, 0},                       // only the output is left
        {2, "time=00:00:20.00", 60.0 / 80 * 100, 0},
        {2, "time=00:00:10.00", 60.0 / 80 * 100, 0}};           // never backwards
    for (const auto& [step, chunk, percent, file] : steps) {
        now += 1.0;
        chunk == "ended" ? progress.stepEnded(step) : progress.handleChunk(step, chunk);
        const JoinProgress at = progress.current();
        EXPECT_DOUBLE_EQ(at.percent, percent) << step << " " << chunk;
        EXPECT_EQ(at.file, file) << step << " " << chunk;
        EXPECT_EQ(at.fileCount, 2u);
        EXPECT_DOUBLE_EQ(at.elapsedSeconds, now - 100.0);
    }
    // The last step began when the rows' steps ended (at 6 s) and has
    // worked through 20 s of its 40 in 2 s: the 20 s left take 2 s more,
    // whatever the faster steps before it did.
    EXPECT_DOUBLE_EQ(*progress.current().secondsLeft, 2.0);
    EXPECT_FALSE(progress.stepEnded(1));  // ended already: nothing moves
    progress.stepEnded(2);
    progress.setStatus(JobStatus::finishing);
    EXPECT_DOUBLE_EQ(progress.current().percent, 100.0);
    EXPECT_FALSE(progress.current().secondsLeft);
}

TEST(Progress, NoTimeLeftIsToldFromTooLittleWork)
{
    double now = 0.0;
    JoinProgressModel progress({100.0}, 0, 1, [&] { return now; });
    progress.setStatus(JobStatus::running);
    progress.handleChunk(0, "time=00:00:00.50");  // 0.5 %
    now = 10.0;
    EXPECT_FALSE(progress.current().secondsLeft);
    progress.handleChunk(0, "time=00:00:10.00");
    now = 1.0;  // 10 % after one second: too early to tell
    EXPECT_FALSE(progress.current().secondsLeft);
    now = 4.0;
    EXPECT_DOUBLE_EQ(*progress.current().secondsLeft, 36.0);
}

TEST(Progress, MaterialOfUnknownLengthMakesTheBarIndeterminate)
{
    JoinProgressModel progress({0.0, 5.0, 5.0}, 2, 2);
    EXPECT_TRUE(progress.handleChunk(1, "time=00:00:01.00"));
    EXPECT_DOUBLE_EQ(progress.current().percent, 10.0);
    progress.handleChunk(0, "time=00:00:00.00");  // no time yet: no harm
    EXPECT_FALSE(progress.current().indeterminate);
    progress.handleChunk(0, "time=00:00:01.00");
    progress.handleChunk(1, "time=00:00:02.00");  // it stays so
    EXPECT_FALSE(progress.stepEnded(1));
    EXPECT_TRUE(progress.current().indeterminate);
    EXPECT_FALSE(progress.current().secondsLeft);
}
