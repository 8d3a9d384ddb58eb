#pragma once
// What a join does to the sound of its parts besides joining them: evening
// out their loudness, a pause between them, and trimming the silence at
// their edges. Each of them needs every part decoded and encoded again.

#include <optional>
#include <string>

namespace velmora {

struct JoinOptions;

enum class LoudnessMode {
    keep,   // the parts as they are
    parts,  // every part brought to the target on its own
    whole,  // one gain for all, so the book as a whole meets the target
};

struct SoundOptions {
    LoudnessMode loudness = LoudnessMode::keep;
    double targetLufs = -18.0;  // integrated loudness, EBU R128
    double gapSeconds = 0.0;    // silence between two parts, 0 to 10
    bool trimSilence = false;
    double trimThresholdDb = -50.0;  // below this (dBFS) a part's edge is silence
    bool operator==(const SoundOptions&) const = default;
};

// The limits of the choices.
inline constexpr double kMaxGapSeconds = 10.0;
inline constexpr double kMinTargetLufs = -40.0, kMaxTargetLufs = -5.0;
inline constexpr double kMinTrimThresholdDb = -90.0, kMaxTrimThresholdDb = -20.0;
// What a trim leaves of the silence at each edge, so speech keeps its breath.
inline constexpr double kTrimKeptSeconds = 0.25;
// The highest true peak a gain may bring a part to.
inline constexpr double kPeakCeilingDb = -1.0;

// "keep", "parts", "whole".
std::string loudnessModeName(LoudnessMode mode);
std::optional<LoudnessMode> loudnessModeNamed(const std::string& name);

// Whether the options change the sound, so the parts must be decoded and
// encoded again whatever their formats.
bool changesSound(const SoundOptions& sound);
bool changesSound(const JoinOptions& options);

// The options kept in the settings store (the window's Preferences), each
// within its limits; the defaults for what is missing.
SoundOptions loadSoundOptions();
void saveSoundOptions(const SoundOptions& options);
SoundOptions sanitised(SoundOptions options);

// The pause in samples at `sampleRate`, to the nearest 0.1 s step.
long long gapSamples(const SoundOptions& sound, int sampleRate);

}  // namespace velmora
