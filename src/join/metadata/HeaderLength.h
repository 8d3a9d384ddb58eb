#pragma once
// The exact number of samples a sound file decodes to, as its own header
// promises it, read without decoding:
//   - MP3 with an encoder's info frame ("Xing" or "Info" with a LAME, Lavf
//     or Lavc tag): its frames less the encoder's delay and padding, which
//     the decoder cuts off;
//   - FLAC: the total in its stream info, when it is given;
//   - WAV: its data chunk's bytes over the bytes of one sample on every
//     channel, when the file holds all the chunk says (PCM only: the caller
//     knows the codec).
// A promise, not a count: a file cut short decodes to less, and the join
// checks what it was really given against it.

#include <optional>
#include <string>

namespace velmora {

std::optional<long long> mp3HeaderSamples(const std::string& path);
std::optional<long long> flacHeaderSamples(const std::string& path);
std::optional<long long> wavHeaderSamples(const std::string& path);

}  // namespace velmora
