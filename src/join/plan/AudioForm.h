#pragma once
// The one form every part of an audio join is decoded to: the sound that
// streams from the parts' decoders into the one encoder. It is chosen so that
// nothing the output format can keep is lost: the parts' own rate, layout and
// depth when they share them.

#include <string>
#include <vector>

#include "join/intake/FileRow.h"
#include "join/plan/OutputFormat.h"
#include "join/plan/PartEdit.h"

namespace velmora {

struct AudioForm {
    // The decoded samples: "s16", "s32" (integers of up to 32 bits), "flt"
    // (what lossy decoders give, and 24-bit integers exactly) or "dbl".
    std::string sampleFormat = "flt";
    int sampleRate = 44100;
    std::string layout = "stereo";
    int channels = 2;
    // What a lossless output keeps: 16, 24 or 32 bits, as integers or floats.
    int bits = 16;
    bool floatingPoint = false;
    // What the form gives up for this output, for the user to know.
    std::vector<std::string> notes;
    bool operator==(const AudioForm&) const = default;

    // "s16le", "s32le", "f32le" or "f64le": the raw format on the pipe.
    std::string rawFormat() const;
    int bytesPerSample() const;
    // Bytes of one sample on every channel.
    int frameBytes() const { return bytesPerSample() * channels; }
};

// The form for these parts and this output: the parts' common rate, else the
// highest; their common channel layout when the format holds it, else the
// widest layout the format holds (stereo for MP3), with a note when a part is
// mixed down; integers of the parts' depth when all are lossless, else floats.
AudioForm commonAudioForm(const std::vector<FileRow>& rows, const OutputFormat& format);

// The filters that bring one part to the form: exact to `endSample` samples
// of the part when given (an MP4 part's own length; its decoder would keep
// the encoder's padding), a mono part on both channels at its own level, and
// the SoX resampler at its very high precision. Then the edit: the frames
// kept, the gain, and the pause after the part, in the join's rate. With
// `measure`, a filter graph whose output is "[part]": the loudness (EBU R128)
// and the true peak are logged on the way.
std::string partFilter(const FileRow& row, const AudioForm& form, long long endSample = 0, const PartEdit& edit = {},
                       bool measure = false);

// A form whose samples take a gain without rounding: floats (doubles for 32 bits).
AudioForm gainableForm(AudioForm form);

// A container of the MP4 family, whose audio needs its exact length to be
// cut from the decoder's padding.
bool isMp4Container(const FileRow& row);

}  // namespace velmora
