// The encoder's progress text turned into an overall percentage.
#include <cmath>
#include <optional>
#include <tuple>

#include <gtest/gtest.h>

#include "join/Progress.h"

using namespace velmora;

TEST(Progress, PercentFromAChunk)
{
    // Three rows and the concat: command 1 at 30 s of 120 s gives 31.25.
    const std::vector<double> durations{60.0, 120.0, 30.0, 210.0};
    const std::vector<std::tuple<std::string, size_t, std::optional<double>>> cases{
        {"frame=1 size=1kB time=00:00:30.00 bitrate=1", 1, 31.25},
        {"time=01:10:00.00", 3, 75.0 + 4200.0 / 210.0 * 25.0},  // past the expected end: passed on
        // The first timestamp of a chunk with "time=" counts, wherever it stands.
        {"Duration: 00:05:00.00, start\ntime=00:00:01.00", 3, 75.0 + 300.0 / 210.0 * 100.0 / 4.0},
        {"Duration: 00:00:05.00", 0, std::nullopt},
        {"time=N/A bitrate=N/A", 0, std::nullopt},
        {"time=00:00:05,00", 0, std::nullopt},
        {"time=00:00:30.00 \xff\xfe", 0, std::nullopt},  // not UTF-8
        {"time=00:00:30.00 \xc3", 0, std::nullopt},      // a cut sequence
        {"time=00:00:30.00 \xc3\xa9", 0, 12.5}};
    for (const auto& [chunk, index, percent] : cases)
        EXPECT_EQ(progressFromChunk(chunk, index, 4, durations), percent) << chunk;
    EXPECT_EQ(progressFromChunk("time=00:00:01.00", 0, 2, {0.0, 0.0}), INFINITY);  // a row without duration
}
