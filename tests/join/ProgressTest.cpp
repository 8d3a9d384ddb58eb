// The encoder's progress text turned into a percentage of the whole join,
// weighted by duration.
#include <cmath>
#include <optional>
#include <tuple>

#include <gtest/gtest.h>

#include "join/Progress.h"
#include "support/RecordingHost.h"

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

TEST(Progress, EveryCommandCountsAsMuchAsItsMaterial)
{
    // A 30-s row and a 10-s row normalised side by side, then the concat of 40 s.
    testsupport::RecordingHost host;
    JoinProgressTracker progress({30.0, 10.0, 40.0}, 2, 2, host);
    const std::vector<std::tuple<size_t, std::string, double, size_t>> steps{
        {0, "time=00:00:15.00", 15.0 / 80 * 100, 1},
        {1, "time=00:00:05.00", 20.0 / 80 * 100, 1},
        {1, "Duration: 00:00:10.00", 20.0 / 80 * 100, 1},       // no time: nothing posted
        {0, "ended", 35.0 / 80 * 100, 2},                       // the long row is done
        {1, "time=00:00:12.00", 40.0 / 80 * 100, 2},            // past its length: full, no more
        {1, "ended", 40.0 / 80 * 100, 0},                       // only the output is left
        {2, "time=00:00:20.00", 60.0 / 80 * 100, 0},
        {2, "time=00:00:10.00", 60.0 / 80 * 100, 0},            // never backwards
        {2, "ended", 100.0, 0}};
    for (const auto& [command, chunk, percent, file] : steps) {
        if (chunk == "ended")
            progress.commandEnded(command);
        else
            progress.handleChunk(command, chunk);
        host.drain();
        EXPECT_DOUBLE_EQ(host.progress.back(), percent) << command << " " << chunk;
        EXPECT_EQ(host.progressFiles.back(), file) << command << " " << chunk;
    }
    EXPECT_EQ(host.progress.size(), steps.size() - 1);
    EXPECT_EQ(progress.current().fileCount, 2u);
}

TEST(Progress, MaterialOfUnknownLengthMakesTheBarIndeterminate)
{
    testsupport::RecordingHost host;
    JoinProgressTracker progress({0.0, 5.0, 5.0}, 2, 2, host);
    progress.handleChunk(1, "time=00:00:01.00");
    progress.handleChunk(0, "time=00:00:00.00");  // no time yet: no harm
    progress.handleChunk(0, "time=00:00:01.00");
    progress.handleChunk(1, "time=00:00:02.00");  // it stays so
    progress.commandEnded(1);
    host.drain();
    EXPECT_EQ(host.progress, (std::vector<double>{10.0, 10.0, INFINITY}));
}
