#pragma once
// The intake rule: which probed files enter the list, and the row each one
// becomes. Shared by the window and the command-line tool.

#include <optional>
#include <string>

#include "join/intake/FileRow.h"
#include "probe/FileProbe.h"

namespace velmora {

class Cancellation;

enum class IntakeVerdict {
    accepted,
    skippedExtension,   // vob, m4p
    unreadable,         // empty, unreadable or damaged (the probe reported errors)
    notMedia,           // the probe found no usable media
    protectedContent,   // encrypted
    noAudioOrVideo,
    cancelled,          // the intake was cancelled before this file was done
    probeTimedOut,      // the probe ran past its time limit
    reportTooLarge,     // the probe's report was past the size limit
    toolUnavailable,    // the probe tool is missing or cannot run
};

struct IntakeResult {
    IntakeVerdict verdict = IntakeVerdict::notMedia;
    std::optional<FileRow> row;
};

// Why a file was skipped, as a short phrase ("not media", ...).
std::string intakeVerdictText(IntakeVerdict verdict);
// Files never probed: their extension marks them as unusable.
bool isSkippedExtension(const std::string& path);
// The rule given a probe of the file (no process runs). Writes the accepted
// file's media type as a diagnostic line.
IntakeResult intakeFromProbe(const std::string& path, const FileProbe& probe);

}  // namespace velmora
