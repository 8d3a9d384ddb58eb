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
    missing,            // the file is not there (any more)
    noPermission,       // the file may not be read
    playlist,           // an .m3u/.m3u8/.pls list: opened as a list, not as media
    damaged,            // a media file's extension, but the probe reported errors or found no media
    notMedia,           // no media file's extension, and the probe found no usable media
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

// Why a file was skipped, as a short phrase ("damaged", "missing", ...).
std::string intakeVerdictText(IntakeVerdict verdict);
// Files never probed: their extension marks them as unusable.
bool isSkippedExtension(const std::string& path);
// The verdict on a file that is not worth probing (skipped by its extension,
// missing, not readable, a playlist); nothing when the probe decides.
std::optional<IntakeVerdict> verdictBeforeProbe(const std::string& path);
// The rule given a probe of the file (no process runs). Writes the accepted
// file's media type as a diagnostic line.
IntakeResult intakeFromProbe(const std::string& path, const FileProbe& probe);

}  // namespace velmora
