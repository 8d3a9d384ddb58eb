#pragma once
// A long AAC output is encoded in as many time segments as there are cores,
// each by an encoder of its own, and the segments are then put together by
// stream copy. Each segment's encoder also hears some of the sound before
// and after its share, so that the frames either side of a cut are
// coded from the same continuous sound as in one encode; only the frames of
// its own share are kept. Cuts fall on multiples of the codec's frame, so the
// kept frames of one segment end exactly where the next segment's begin.

#include <string>
#include <vector>

#include "join/plan/AudioForm.h"
#include "join/plan/OutputFormat.h"

namespace velmora {

// One segment, in frames of the output (samples on every channel).
struct EncodeSegment {
    long long start = 0;  // its share: [start, end)
    long long end = 0;
    long long from = 0;   // what its encoder hears: [from, to), the share and its margins
    long long to = 0;
    long long leadIn() const { return start - from; }
};

// The AAC encoder's frame and its priming: the first packet carries this many
// samples of delay, so a packet's time stamp is the first sample it gives.
inline constexpr int kAacFrameSamples = 1024;
// Frames heard after a segment's share, and seconds heard before it: the
// encoder's rate control takes a few seconds to settle, and the share must
// start with it settled, as in one encode.
inline constexpr int kSegmentMarginFrames = 8;
inline constexpr double kSegmentLeadInSeconds = 10.0;
// The lead-in at `sampleRate`, in whole codec frames.
long long segmentLeadInFrames(int sampleRate);
// Outputs shorter than this are encoded in one piece: the gain would be small.
inline constexpr double kSegmentedMinimumSeconds = 600.0;

// Whether an output in this format may be encoded in segments: AAC in the
// MP4 family (whose container keeps the exact length and the priming).
bool encodesInSegments(const OutputFormat& format);

// The segments of an output of `totalFrames` at `sampleRate`, one per
// encoder; empty when one encoder should do it all (a single encoder, or
// less than `minimumSeconds` of sound).
std::vector<EncodeSegment> segmentLayout(long long totalFrames, int sampleRate, size_t encoders,
                                         double minimumSeconds = kSegmentedMinimumSeconds);

// The filter that keeps frames [from, to) of what a part's filters give.
std::string sliceWindow(long long from, long long to);
// A part's decoder made to give only frames [from, to) of what it would give.
std::vector<std::string> windowedDecoder(std::vector<std::string> decoder, long long from, long long to);

// The encoder of one segment: the form on its standard input, into an MP4
// file that keeps every sample's time exactly.
std::vector<std::string> segmentEncoderCommand(const AudioForm& form, const OutputFormat& format,
                                               const QualitySettings& quality, const std::string& segmentPath);

// The concat list that keeps each segment's own share of its frames.
std::string segmentListText(const std::vector<EncodeSegment>& segments, const std::vector<std::string>& paths,
                            int sampleRate);

// Copies the segments' kept frames into the output, with the tags, chapters
// and cover (`outputArguments`, as the one-piece encoder gets them; input 1 is
// the metadata file and any further inputs follow it).
std::vector<std::string> segmentJoinCommand(const std::string& listPath, int sampleRate,
                                            const std::string& metadataPath,
                                            const std::vector<std::string>& moreInputs,
                                            const std::vector<std::string>& outputArguments,
                                            const std::string& outputPath);

}  // namespace velmora
