#pragma once
// The static gains that bring parts to a target loudness (EBU R128), each on
// its own or all by one gain, never raising a true peak above the ceiling.

#include <vector>

#include "join/plan/SoundOptions.h"

namespace velmora {

// A part's loudness as measured.
struct PartLoudness {
    double integrated = -70.0;  // LUFS; -70 or less when the part holds no sound above the gate
    double truePeak = -120.0;   // dBTP
    // The momentary loudness (LUFS) of its 400-ms blocks, one every 100 ms:
    // what the loudness of several parts together is gated on.
    std::vector<float> blocks;
};

struct PartGain {
    double gainDb = 0.0;
    bool peakLimited = false;  // the ceiling held the gain below what the target asked
};

struct GainChoice {
    std::vector<PartGain> parts;
    // Whole mode: the parts' loudness together, before the gain.
    double wholeLoudness = -70.0;
    bool peakLimited() const;
};

// The integrated loudness of blocks taken together: the mean energy of those
// above the absolute gate (-70 LUFS), then of those within 10 LU of that.
// -70 when none is above the gate.
double gatedLoudness(const std::vector<const std::vector<float>*>& blocks);

// The gains for `mode` (none for keep). A silent part keeps its level.
GainChoice chooseGains(const std::vector<PartLoudness>& parts, LoudnessMode mode, double targetLufs);

}  // namespace velmora
