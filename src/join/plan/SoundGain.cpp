#include "join/plan/SoundGain.h"

#include <algorithm>
#include <cmath>

namespace velmora {
namespace {

constexpr double kAbsoluteGate = -70.0, kRelativeGate = -10.0;

// BS.1770: loudness = -0.691 + 10 log10(energy).
double energyOf(double lufs)
{
    return std::pow(10.0, (lufs + 0.691) / 10.0);
}

double loudnessOf(double energy)
{
    return -0.691 + 10.0 * std::log10(energy);
}

bool audible(const PartLoudness& part)
{
    return std::isfinite(part.integrated) && part.integrated > kAbsoluteGate;
}

// The gain that brings `loudness` to the target, held so `peak` stays under the ceiling.
PartGain gainFor(double loudness, double peak, double targetLufs)
{
    const double wanted = targetLufs - loudness;
    const double room = kPeakCeilingDb - peak;
    if (wanted > room)
        return {room, true};
    return {wanted, false};
}

}  // namespace

bool GainChoice::peakLimited() const
{
    return std::any_of(parts.begin(), parts.end(), [](const PartGain& part) { return part.peakLimited; });
}

double gatedLoudness(const std::vector<const std::vector<float>*>& blocks)
{
    double sum = 0.0;
    long long count = 0;
    for (const auto* list : blocks) {
        for (float block : *list) {
            if (block > kAbsoluteGate) {
                sum += energyOf(block);
                ++count;
            }
        }
    }
    if (count == 0)
        return kAbsoluteGate;
    const double relative = loudnessOf(sum / static_cast<double>(count)) + kRelativeGate;
    sum = 0.0;
    count = 0;
    for (const auto* list : blocks) {
        for (float block : *list) {
            if (block > kAbsoluteGate && block > relative) {
                sum += energyOf(block);
                ++count;
            }
        }
    }
    return count == 0 ? kAbsoluteGate : loudnessOf(sum / static_cast<double>(count));
}

GainChoice chooseGains(const std::vector<PartLoudness>& parts, LoudnessMode mode, double targetLufs)
{
    GainChoice choice;
    choice.parts.resize(parts.size());
    if (mode == LoudnessMode::parts) {
        for (size_t i = 0; i < parts.size(); ++i) {
            if (audible(parts[i]))
                choice.parts[i] = gainFor(parts[i].integrated, parts[i].truePeak, targetLufs);
        }
    } else if (mode == LoudnessMode::whole) {
        std::vector<const std::vector<float>*> blocks;
        double peak = -120.0;
        for (const PartLoudness& part : parts) {
            blocks.push_back(&part.blocks);
            peak = std::max(peak, part.truePeak);
        }
        choice.wholeLoudness = gatedLoudness(blocks);
        if (choice.wholeLoudness > kAbsoluteGate) {
            const PartGain gain = gainFor(choice.wholeLoudness, peak, targetLufs);
            std::fill(choice.parts.begin(), choice.parts.end(), gain);
        }
    }
    return choice;
}

}  // namespace velmora
