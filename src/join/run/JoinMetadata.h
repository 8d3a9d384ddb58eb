#pragma once
// What the joined file carries besides its sound, made before it is written: its tags,
// its chapters at the exact lengths the rows came out at, and its cover made
// ready for the concat to read.

#include <string>
#include <vector>

#include "join/metadata/AlbumMetadata.h"
#include "join/intake/FileRow.h"
#include "foundation/Cancellation.h"
#include "join/plan/JoinOptions.h"
#include "join/plan/JoinPlan.h"
#include "join/metadata/OutputChapters.h"

namespace velmora {

struct PreparedMetadata {
    std::string failure;  // why the step failed; empty when all is in place
    AlbumMetadata album;
    std::vector<OutputChapter> chapters;  // one per row or the rows' own, where they land in the output
    std::vector<std::string> notes;       // what the join changed in the tags and chapters, for the user
};

// How long each piece of a video plan plays: what the probe finds in its
// intermediate (its row's declared length when the probe finds nothing).
std::vector<double> pieceDurations(const JoinPlan& plan, const std::vector<FileRow>& rows, Cancellation& control);

// Works out the chapters and the tags (the user's over the shared ones),
// copies an embedded cover out when the format takes it as a file, and
// writes the plan's metadata file for `outputPath`'s format. The chapters lie
// on `lengths`, how long each row plays in the output, when they are known
// (a streamed join counts them); else on the plan's pieces.
PreparedMetadata prepareJoinMetadata(const JoinPlan& plan, const std::vector<FileRow>& rows,
                                     const JoinOptions& options, const std::string& outputPath, Cancellation& control,
                                     const std::vector<double>& lengths = {});

// The cue sheet's path beside the output: "joined.cue" for "joined.wav".
std::string cueSheetPath(const std::string& outputPath);
// Writes the cue sheet beside the joined file. A file of that name that is
// not a sheet for this output is left alone. False when the sheet was not
// written; `notes` gets why, or what a player may stumble on in the sheet.
bool writeCueSheet(const std::string& outputPath, const PreparedMetadata& metadata, std::vector<std::string>& notes);

}  // namespace velmora
