#include "cli/SoundFlags.h"

#include <QString>
#include <cmath>

#include "foundation/Numbers.h"

namespace velmora::cli {
namespace {

std::optional<double> decimal(const std::string& text)
{
    bool ok = false;
    const double value = QString::fromStdString(text).toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::string rangeText(double low, double high)
{
    return shortestDouble(low, false) + " to " + shortestDouble(high, false);
}

}  // namespace

std::variant<SoundOptions, std::string> readSoundFlags(const CommandLine& line)
{
    SoundOptions sound;
    if (const auto mode = line.value("--loudness")) {
        const auto named = loudnessModeNamed(*mode);
        if (!named)
            return "--loudness takes keep, parts or whole, not '" + *mode + "'";
        sound.loudness = *named;
    }
    if (const auto text = line.value("--target-lufs")) {
        const auto value = decimal(*text);
        if (!value || *value < kMinTargetLufs || *value > kMaxTargetLufs)
            return "--target-lufs takes a loudness from " + rangeText(kMinTargetLufs, kMaxTargetLufs) + " LUFS, not '" +
                   *text + "'";
        sound.targetLufs = *value;
    }
    if (const auto text = line.value("--gap")) {
        const auto value = decimal(*text);
        // Tenths of a second only, so the pause is what was asked to the sample.
        if (!value || *value < 0.0 || *value > kMaxGapSeconds || std::abs(*value * 10.0 - std::round(*value * 10.0)) > 1e-6)
            return "--gap takes seconds from 0 to " + shortestDouble(kMaxGapSeconds, false) +
                   " in steps of 0.1, not '" + *text + "'";
        sound.gapSeconds = *value;
    }
    sound.trimSilence = line.has("--trim-silence");
    if (const auto text = line.value("--silence-threshold")) {
        const auto value = decimal(*text);
        if (!value || *value < kMinTrimThresholdDb || *value > kMaxTrimThresholdDb)
            return "--silence-threshold takes a level from " + rangeText(kMinTrimThresholdDb, kMaxTrimThresholdDb) +
                   " dBFS, not '" + *text + "'";
        sound.trimThresholdDb = *value;
    }
    return sound;
}

}  // namespace velmora::cli
