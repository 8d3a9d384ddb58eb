#pragma once
// Short parts decoded several to one process. Starting a decoder costs
// ffmpeg some 70 ms of a core (it links two hundred libraries), more than
// decoding half a minute of MP3: twenty short parts spent more on starting
// their decoders than on their sound.

#include <cstddef>
#include <vector>

namespace velmora {

// How the parts, whose exact lengths in frames are `frames`, are shared
// among decoders: for each part, the number of parts (itself and those after
// it) the decoder that starts at it gives, or 0 for a part that an earlier
// decoder gives. A part longer than two minutes has a decoder of its own; the
// shorter ones go together, up to five minutes of sound or 64 parts to a
// decoder. A part of unknown length (0 frames) has one of its own.
std::vector<size_t> decoderGroups(const std::vector<long long>& frames, int sampleRate);

}  // namespace velmora
