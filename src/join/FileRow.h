#pragma once
// One entry of the file list, and the intake rule that turns a probed file
// into one (or says why the file is skipped). Shared by the window and the CLI.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "probe/FileProbe.h"

namespace velmora {

class JoinHost;

struct FileRow {
    std::string fileURL;      // file:// URL text of the file as added
    std::string filePath;
    std::string fileName;
    std::string durationHuman;
    double duration = 0.0;
    std::string codec;        // every track's codec, ", " between them
    std::string mediaType;    // "Audio & Video", "Video", "Audio" or "Unknown"
    std::string fileSizeHuman;
    bool isProRes = false;
    bool operator==(const FileRow&) const = default;
};

enum class IntakeVerdict {
    accepted,
    skippedExtension,   // vob, m4p
    unreadable,         // empty, unreadable or damaged (the probe reported errors)
    notMedia,           // the probe found no usable media
    protectedContent,   // encrypted
    noAudioOrVideo,
};

struct IntakeResult {
    IntakeVerdict verdict = IntakeVerdict::notMedia;
    std::optional<FileRow> row;
};

// Why a file was skipped, as a short phrase ("not media", ...).
std::string intakeVerdictText(IntakeVerdict verdict);
bool isSkippedExtension(const std::string& path);
// The rule given an existing probe of the file (no process runs).
IntakeResult intakeFromProbe(const std::string& path, const FileProbe& probe);
// Skips by extension or probes the file, then applies the rule. Writes the
// accepted file's media type as a diagnostic line.
IntakeResult analyzeFile(const std::string& path);
// One intake batch, run on a background thread: shows the analysing sheet,
// probes the files in order and hands each accepted row to onRow on the main
// thread (through the host), then hides the sheet.
void analyzeFiles(const std::vector<std::string>& paths, JoinHost& host, std::function<void(FileRow)> onRow);

std::string fileUrlText(const std::string& path);
nlohmann::json fileRowJson(const FileRow& row);

}  // namespace velmora
