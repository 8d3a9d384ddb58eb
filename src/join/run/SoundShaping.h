#pragma once
// From the measure of every part to the join that changes their sound: the
// edits, the decoders that make them, the exact counts the chapters are laid
// on (each part's kept frames and the pause after it) and what the user is told.

#include <string>
#include <vector>

#include "join/intake/FileRow.h"
#include "join/plan/JoinPlan.h"
#include "join/plan/PartEdit.h"
#include "join/run/PartMeasure.h"

namespace velmora {

struct ShapedSound {
    JoinPlan plan;                  // its decoders make the edits
    std::vector<PartCount> counts;  // the frames each edited part gives
    SoundPlan sound;
    std::vector<std::string> notes;
    // One line per part: what was measured and what is done to it.
    std::vector<std::string> summaries;
};

ShapedSound shapeSound(const JoinPlan& plan, const std::vector<FileRow>& rows, const SoundOptions& options,
                       const MeasuredParts& measured);

}  // namespace velmora
