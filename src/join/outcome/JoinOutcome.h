#pragma once
// How a join ended, as one value: the window turns it into its alerts, the
// command-line tool into its exit status.

#include <string>
#include <vector>

#include "join/intake/MediaKind.h"

namespace velmora {

enum class JoinStatus { succeeded, failed, cancelled };

struct JoinOutcome {
    JoinStatus status = JoinStatus::failed;
    std::string outputPath;
    std::string reason;      // why it failed; empty otherwise
    std::string stderrTail;  // the last lines the failing tool wrote, if any
    JoinMedia media = JoinMedia::audio;
    // What a successful join could not do, for the user to know (a cue sheet
    // that was not written, ...); empty when all went as asked.
    std::vector<std::string> notes;
    std::string summary;  // why it failed as one plain sentence for the user; may be empty
    // What the joined file holds, as the final check's probe read it: how
    // long it plays and how many chapters it has; negative when not read.
    double playedSeconds = -1.0;
    long long chapterCount = -1;
};

}  // namespace velmora
