#pragma once
// The commands of a copy join: the parts' packets go into the output as they
// are, through ffmpeg's concat reader, with the same tags, chapters and
// cover as a re-encoded join. Only the first sound stream is taken, so the
// cover pictures inside the parts never enter the sound.

#include <string>
#include <vector>

#include "join/intake/FileRow.h"
#include "join/plan/JoinOptions.h"
#include "join/plan/JoinPlan.h"

namespace velmora {

// The concat list of a copy: each part with the length its packets last
// (`seconds`), so that the next part starts exactly where they end. The
// lengths are given to the microsecond, rounded up at each part's end in
// the output so that no part overlaps the one before.
std::string copyListText(const std::vector<std::string>& paths, const std::vector<double>& seconds);

// The copy: the list (input 0), the metadata file (input 1), then any
// further inputs (the cover).
std::vector<std::string> copyCommand(const std::string& listPath, const std::string& metadataPath,
                                     const std::vector<std::string>& moreInputs,
                                     const std::vector<std::string>& streamArguments, const std::string& outputPath);

// The plan of a copy join of these rows (which allow it, see CopyDecision)
// into `outputPath`; the list is written by the job once the parts'
// packets are counted.
JoinPlan buildCopyPlan(const std::vector<FileRow>& rows, const std::string& outputPath, const std::string& workDir,
                       const JoinOptions& options = {});

}  // namespace velmora
