#pragma once
// The job queue kept between sessions: one JSON file holding each entry's
// name, output, files, options, status and reason (not the analysed rows, and
// no progress). Written in one piece, so a crash leaves the old file or the
// new one; a file cut short or damaged reads as an empty queue, and an entry
// that makes no sense is left out.

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "join/run/JobQueue.h"

namespace velmora {

nlohmann::json queueJson(const std::vector<QueueEntry>& entries);
// The entries of a queue file's JSON; `problem` says why some or all were not read.
std::vector<QueueEntry> queueEntries(const nlohmann::json& json, std::string* problem = nullptr);

// Writes the queue file (its folder is made when missing); the reason when it could not.
std::optional<std::string> saveQueueFile(const std::string& path, const std::vector<QueueEntry>& entries);
// Reads it; a missing file is an empty queue without a problem.
std::vector<QueueEntry> loadQueueFile(const std::string& path, std::string* problem = nullptr);

}  // namespace velmora
