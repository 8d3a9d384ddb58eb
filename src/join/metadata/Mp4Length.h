#pragma once
// The exact length of the sound in an MP4-family file, read from its boxes:
// the sound track's own length less the encoder's delay that its edit list
// skips. The edit list's own length is rounded to the movie's time scale
// (milliseconds, as ffmpeg writes it), and the decoder keeps the encoder's
// padding at the end: cutting to this count is exact to the sample.

#include <optional>
#include <string>

namespace velmora {

// Samples of the first sound track, at its own rate; nothing when the file
// is not one this can be read from, or the track's time scale is not its rate.
std::optional<long long> mp4SoundSamples(const std::string& path, int sampleRate);

// The packets of the first sound track as its sample table times them: how
// many, their ticks together, the longest one, and the track's time scale.
// What a probe that sums the packets' durations finds, without reading them.
struct Mp4Packets {
    long long count = 0;
    long long ticks = 0;
    long long longest = 0;
    long long timescale = 0;
};
std::optional<Mp4Packets> mp4SoundPackets(const std::string& path);

}  // namespace velmora
