#pragma once
// The one form every row of an audio-only join is decoded to before the
// concat. The concat reader takes the first file's parameters for all of
// them, so the intermediates must agree in codec, sample format, rate and
// channels; the form is chosen so that none loses anything.

#include <string>
#include <vector>

#include "join/intake/FileRow.h"

namespace velmora {

struct AudioForm {
    std::string pcmCodec = "pcm_f32le";  // of the intermediates
    int sampleRate = 44100;
    int channels = 2;
    int bits = 16;  // the depth a lossless output keeps: 24 once any input has more than 16 bits
    bool operator==(const AudioForm&) const = default;
};

// PCM that holds every input exactly: 16-bit integers when every input is
// lossless with at most 16 bits, 24-bit when some have up to 24, else 32-bit
// float (a lossy decoder's own form, which holds every 24-bit integer too).
// The inputs' common rate, else the highest; mono only when every input is.
AudioForm commonAudioForm(const std::vector<FileRow>& rows);

// Whether the concat reader can decode the files themselves exactly, so that
// no intermediates are needed: all MP3 or all WAV, alike in codec, sample
// format, rate, channels and stream layout. Never AAC in MP4 (the decoder
// keeps its end padding), Opus (decoder state runs over the join) nor FLAC
// (one decoder set up from the first file's header refuses a later file's
// larger blocks, and drops them).
bool concatDecodesExactly(const std::vector<FileRow>& rows);

// A container of the MP4 family, whose audio needs its declared length to be
// cut from the decoder's padding.
bool isMp4Container(const FileRow& row);

}  // namespace velmora
