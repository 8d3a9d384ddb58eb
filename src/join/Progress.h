#pragma once
// The encoder's progress: its error stream carries "time=" and a timestamp,
// which becomes an overall percentage of the join.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "join/JoinHost.h"

namespace velmora {

inline constexpr const char* kTimestampPattern = "([0-9][0-9]):([0-9][0-9]):([0-9][0-9]).([0-9][0-9])";

// HH:MM:SS.cc to seconds; absent when a piece is not a number.
std::optional<double> timestampToSeconds(const std::string& text);
// The overall percentage a chunk of command i (of n) reports, if any. Each
// command owns an equal share of the whole.
std::optional<double> progressFromChunk(std::string_view chunk, size_t i, size_t n, const std::vector<double>& durations);
// One chunk of the error stream: writes "Percent : " and posts the value.
void handleToolErrorOutput(std::string_view chunk, size_t i, size_t n, const std::vector<double>& durations, JoinHost& host);

}  // namespace velmora
