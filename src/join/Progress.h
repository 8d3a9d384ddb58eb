#pragma once
// The encoder's progress: its error stream carries "time=" and a timestamp,
// which becomes a percentage of the whole join, weighted by duration.

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "join/JoinHost.h"

namespace velmora {

inline constexpr const char* kTimestampPattern = "([0-9][0-9]):([0-9][0-9]):([0-9][0-9]).([0-9][0-9])";

// HH:MM:SS.cc to seconds; absent when a piece is not a number.
std::optional<double> timestampToSeconds(const std::string& text);
// The time a chunk of the encoder's error stream reports: the timestamp after
// its last "time=" (a chunk may also hold the banner's "Duration: ..."), if
// the chunk is UTF-8 and holds one.
std::optional<double> chunkSeconds(std::string_view chunk);

// The progress of one join. Each command counts as much as the material it
// works through (its expected duration): the normalisations together count
// as much as the concat. A command's share fills as its encoder reports time,
// up to its duration, and is full once it has ended. Safe to feed from
// several threads, one per running command.
class JoinProgressTracker {
public:
    // `normalisations`: the first commands, one per row (row i is command i).
    JoinProgressTracker(std::vector<double> durations, size_t normalisations, size_t fileCount, JoinHost& host);

    // One chunk of command i's error stream: writes "Percent : " and posts
    // the progress when the chunk tells the time.
    void handleChunk(size_t i, std::string_view chunk);
    // Command i has ended (or was skipped): its share is full.
    void commandEnded(size_t i);

    // The progress now, as handleChunk and commandEnded post it (for tests).
    JoinProgress current() const;

private:
    JoinProgress currentLocked() const;
    void post(const JoinProgress& progress);

    mutable std::mutex mutex_;
    std::vector<double> durations_;
    std::vector<double> done_;  // seconds of each command's material worked through
    std::vector<bool> ended_;
    size_t normalisations_;
    size_t fileCount_;
    bool indeterminate_ = false;
    JoinHost& host_;
};

}  // namespace velmora
