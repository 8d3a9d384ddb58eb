#pragma once
// What the output file's extension asks of a join: the one encode at the
// concat (encoder, its settings and the muxer), whether the result keeps the
// samples exactly, whether it takes the video of a video join, and the formats
// the save dialog offers.

#include <string>
#include <vector>

#include "join/plan/QualitySettings.h"

namespace velmora {

// The audio encoder an output format gets.
enum class AudioEncoder { mp3, aac, flac, pcm, opus, toolDefault };

struct OutputFormat {
    std::string extension;   // lower case, without the dot; empty when the name has none
    AudioEncoder encoder = AudioEncoder::toolDefault;
    bool lossless = false;   // FLAC or PCM: the samples come out as they went in
    bool holdsVideo = false; // a video container: a video join keeps its picture
    bool copiesVideo = false;  // and takes the joined H.264 as it is
    bool known = false;        // one of outputExtensions(): a join can write it
};

OutputFormat outputFormatOf(const std::string& outputPath);
// Every extension a join writes, without the dot: "mp3", "m4a", ...
std::vector<std::string> outputExtensions();

// The arguments of the audio encode into this format. `bits` is the depth a
// lossless output keeps (16, 24 or 32), in floats when `floatingPoint`
// (WAV only: FLAC here keeps at most 24-bit integers).
std::vector<std::string> audioEncoderArguments(const OutputFormat& format, int bits, bool floatingPoint,
                                               const QualitySettings& quality);
// Muxer options that follow the encoder arguments (the audiobook muxer for
// .m4b, the index at the front of MP4-family files).
std::vector<std::string> muxerArguments(const OutputFormat& format);
// The same for an audio join at `sampleRate`: an MP4-family file's clock
// counts its samples, so its length is kept exactly (its default clock counts
// milliseconds).
std::vector<std::string> audioMuxerArguments(const OutputFormat& format, int sampleRate);

// One entry of the save dialog's format list.
struct SaveFormat {
    std::string name;       // "MP3", "M4B audiobook", ...
    std::string extension;  // without the dot
    std::string filterText() const;  // "MP3 (*.mp3)"
};
// The formats offered for a list: the audio formats, after MP4 for a video list.
std::vector<SaveFormat> saveFormats(bool video);

}  // namespace velmora
