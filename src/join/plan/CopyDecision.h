#pragma once
// Whether a join copies the parts' sound as it is, with no decode and no
// encode: the parts must share their codec, rate, layout and kind of file,
// and the output's container must hold that codec. A copy keeps each part's
// encoder delay and padding at the joins, so by default only audiobooks
// (.m4b) are copied; music keeps the gapless joins of a re-encode.

#include <optional>
#include <string>
#include <vector>

#include "join/intake/FileRow.h"
#include "join/plan/JoinOptions.h"
#include "join/plan/OutputFormat.h"

namespace velmora {

struct CopyDecision {
    bool copy = false;
    // Why the parts or the options rule a copy out, as one plain line
    // ("part 4 is 48000 Hz, the others 44100 Hz"); empty when nothing does.
    std::string refusal;
};

// Whether this format's container holds this codec's packets as they are:
// AAC in .m4a, .m4b and .mp4; MP3 in .mp3; Opus in .opus and .ogg; ALAC in .m4a.
bool containerHolds(const OutputFormat& format, const std::string& codec);

// Why these parts cannot be copied into this format; nothing when they can.
std::optional<std::string> partsRefusal(const std::vector<FileRow>& rows, const OutputFormat& format);
// Why these options need the sound decoded (a filter that changes it);
// nothing when a copy keeps everything they ask.
std::optional<std::string> optionsRefusal(const JoinOptions& options);

// A copy by default: audiobooks (.m4b) only.
bool copiesByDefault(const std::string& outputPath);

// Whether the parts, the options and the choice in them allow a copy, asked
// for or by default.
CopyDecision decideCopy(const std::vector<FileRow>& rows, const std::string& outputPath, const JoinOptions& options);
// Whether a copy could be taken if it were asked for.
bool copyPossible(const std::vector<FileRow>& rows, const std::string& outputPath, const JoinOptions& options);

}  // namespace velmora
