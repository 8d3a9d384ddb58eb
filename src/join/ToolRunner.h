#pragma once
// Runs a join plan with the encoder tool, one process at a time, turning the
// tool's "time=" progress text into an overall percentage.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "join/JoinControl.h"
#include "join/JoinHost.h"
#include "join/JoinPlan.h"

namespace velmora {

inline constexpr const char* kTimestampPattern = "([0-9][0-9]):([0-9][0-9]):([0-9][0-9]).([0-9][0-9])";

std::vector<std::string> patternMatches(const std::string& pattern, const std::string& text);
// HH:MM:SS.cc to seconds; absent when a piece is not a number.
std::optional<double> timestampToSeconds(const std::string& text);
// The overall percentage a chunk of command i (of n) reports, if any.
std::optional<double> progressFromChunk(std::string_view chunk, size_t i, size_t n, const std::vector<double>& durations);
// One chunk of the error stream: writes "Percent : " and posts the value.
void handleToolErrorOutput(std::string_view chunk, size_t i, size_t n, const std::vector<double>& durations, JoinHost& host);

void runToolCommands(const JoinPlan& plan, const std::string& outputPath, JoinControl& control, JoinHost& host);

}  // namespace velmora
