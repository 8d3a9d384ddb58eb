#pragma once
// The length of a WAV file read from its header, without starting a probe:
// what the join needs to place chapters at the exact end of each PCM
// intermediate. Plain RIFF and RF64 (64-bit sizes in a "ds64" chunk).

#include <optional>
#include <string>

namespace velmora {

// Seconds of sound in the file's "data" chunk (its size over the frame size
// and the rate of its "fmt " chunk), never more than the bytes the file
// holds; nothing when the file is not a WAV file one can read that from.
std::optional<double> wavLength(const std::string& path);

}  // namespace velmora
