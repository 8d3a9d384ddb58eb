#pragma once
// How large a joined file will be, and whether the place it goes has room
// for it: asked before anything runs, so a join that cannot fit never starts.

#include <cstdint>
#include <optional>
#include <string>

#include "join/plan/AudioForm.h"
#include "join/plan/OutputFormat.h"

namespace velmora {

// A generous estimate of the bytes `seconds` of sound in `form` take in this
// format (the encoder's top rate for a variable one, raw PCM for FLAC).
std::uint64_t estimatedOutputBytes(const OutputFormat& format, const AudioForm& form, const QualitySettings& quality,
                                   double seconds);

// Why the output cannot fit in its folder ("The joined file needs about ...,
// but only ... is free in ..."), or nothing when it can, or when the free
// space cannot be told.
std::optional<std::string> spaceProblem(const std::string& outputPath, std::uint64_t neededBytes);

}  // namespace velmora
