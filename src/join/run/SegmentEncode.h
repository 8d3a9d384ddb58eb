#pragma once
// A long AAC output encoded on every core: each segment of the output's time
// (see SegmentLayout) streams its share of the parts into an encoder of its
// own, side by side, into a file beside the output; then one copy puts the
// segments' kept frames together with the tags, chapters and cover into the
// output. The segment files are removed when this returns, and noted in the
// run folder so that a later run removes them should this one die.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Cancellation.h"
#include "join/outcome/StepReport.h"
#include "join/plan/JoinPlan.h"
#include "join/plan/SegmentLayout.h"
#include "join/run/WorkFolder.h"

namespace velmora {

struct SegmentedWork {
    const JoinPlan& plan;
    const std::vector<PartCount>& counts;      // each part's frames, in row order
    const std::vector<EncodeSegment>& segments;
    OutputFormat format;
    QualitySettings quality;
    std::string outputPath;   // the output the user asked for (the segments go beside it)
    std::string writtenPath;  // where the joined file is written
    RunFolder& folder;
    // The parts' rows, when short slices of them may share a decoder (see
    // decoderGroups); none: one decoder for each slice.
    const std::vector<FileRow>* rows = nullptr;
};

// Runs the segments' encoders, then the copy. The report reads as one
// stream's: each part's frames are those it gave to the segments' shares
// (a part that gave fewer than counted fell short), and the encoder is the
// first segment encoder that failed, else the copy. `encoded` runs with the
// seconds of sound encoded so far by all segments together, `joinSaid` with
// each chunk of the copy's messages.
StreamReport encodeInSegments(const SegmentedWork& work, Cancellation& control,
                              const std::function<void(double seconds)>& encoded,
                              const std::function<void(std::string_view)>& joinSaid);

}  // namespace velmora
