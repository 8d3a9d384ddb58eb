#pragma once
// What a join does to each part's sound on its way to the encoder, from what
// was measured of it: a static gain, the silence cut from its edges and the
// pause after it. All of it in the part's decoder, exact to the sample of the
// join's rate, so the counts the chapters are laid on stay exact.

#include <string>
#include <vector>

#include "join/intake/FileRow.h"
#include "join/plan/SoundGain.h"
#include "join/plan/SoundOptions.h"

namespace velmora {

// What decoding a part once told of its sound, at the join's rate.
struct PartSound {
    long long frames = 0;
    // The first and the last frame with a sample above the trim threshold; -1 when none is.
    long long firstSound = -1, lastSound = -1;
    bool loudnessMeasured = false;
    PartLoudness loudness;
};

struct PartEdit {
    double gainDb = 0.0;
    bool peakLimited = false;
    long long start = 0;  // the first frame kept
    long long end = 0;    // the frame after the last one kept; 0: to the part's end
    long long pad = 0;    // frames of silence after the part
    bool operator==(const PartEdit&) const = default;
    bool trimmed() const { return start > 0 || end > 0; }
    // The frames a part of `decoded` frames gives with the edit.
    long long framesOf(long long decoded) const;
};

struct SoundPlan {
    std::vector<PartEdit> edits;
    GainChoice gains;
};

// The edits for parts measured as `sounds`: the gains of the loudness mode
// (none for a part whose loudness could not be measured), the silence beyond
// kTrimKeptSeconds cut from each edge (a part that is silence throughout
// stays whole), and the pause after every part but the last.
SoundPlan planSound(const std::vector<PartSound>& sounds, const SoundOptions& options, int sampleRate);

// What the user is told of the gains the peak ceiling held back; empty when none.
std::vector<std::string> soundNotes(const std::vector<FileRow>& rows, const SoundPlan& plan,
                                    const SoundOptions& options);

// One line for a part: its loudness, gain and trim, e.g. "-30.0 LUFS, +12.0 dB, trim 2.75 s + 2.75 s".
std::string editSummary(const PartSound& sound, const PartEdit& edit, int sampleRate);

// "-18.0 LUFS", "+2.5 dB": one decimal, with its sign.
std::string lufsText(double lufs);
std::string gainText(double db);

}  // namespace velmora
