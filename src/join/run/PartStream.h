#pragma once
// The sound of an audio join streaming through Velmora: each part's decoder
// writes the join's common form on its standard output, and the parts are
// passed on, in order and with nothing stored, to the one encoder's standard
// input. Before that, every part is decoded once side by side, one per core,
// to count exactly how many samples it gives (unless its header says so): the
// chapters, the cue sheet and the final check are laid on those counts.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Cancellation.h"
#include "join/outcome/StepReport.h"
#include "join/plan/JoinPlan.h"

namespace velmora {

// Decodes every part of a streamed plan, side by side, counting its samples;
// `counted` runs (on a worker thread) after each part. With `trustHeaders`,
// a part whose header promises its count (see JoinPlan::promisedFrames) is
// taken at its word, not decoded: the stream checks the promise.
std::vector<PartCount> countParts(const JoinPlan& plan, Cancellation& control,
                                  const std::function<void(size_t part, long long frames)>& counted = {},
                                  bool trustHeaders = false);

// Where a stream takes its parts' decoders from: `command(i)` may wait
// until part i's decoder is known (an empty one ends the stream before part
// i), `ready(i)` says whether it would not wait.
// A decoder may give several parts one after another (see decoderGroups):
// `span(i)` says how many from part i on, and the sound it gives is shared
// out among them by their expected `frames`, the last taking what is left.
struct DecoderSource {
    size_t count = 0;
    std::function<std::vector<std::string>(size_t part)> command;
    std::function<bool(size_t part)> ready;
    std::function<size_t(size_t part)> span;  // none: one part to a decoder
    std::vector<long long> frames;
};

// Starts the encoder and streams the parts into it, one decoder (each writing
// raw frames of `frameBytes` bytes) at a time, the next one started ahead
// when it is ready, so its start costs no time; then ends the encoder's input
// and waits for it. `relayed` runs after every chunk with the frames passed
// on so far (the encoder may be some way behind them), and `encoderSaid` with
// every chunk of the encoder's messages (its "time=" says how far it has
// really come). A part that fails ends the stream there.
StreamReport streamFrom(const DecoderSource& decoders, const std::vector<std::string>& encoder, int frameBytes,
                        Cancellation& control, const std::function<void(long long framesSoFar)>& relayed = {},
                        const std::function<void(std::string_view)>& encoderSaid = {});

// Runs a whole join in one process (see wholeJoinCommand) and reads what it
// says: each chunk to `said`, and the samples it encoded into the report.
StreamReport streamInOne(const std::vector<std::string>& command, Cancellation& control,
                         const std::function<void(std::string_view)>& said = {});
// The samples an ffmpeg line at the verbose level says its audio output
// stream was given: "Output stream #0:0 (audio): 6891 frames encoded (7938000 samples); ...".
std::optional<long long> encodedSamples(std::string_view line);

}  // namespace velmora
