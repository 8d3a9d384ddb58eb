#include "join/plan/SoundOptions.h"

#include <algorithm>
#include <cmath>

#include "foundation/Settings.h"
#include "join/plan/JoinOptions.h"

namespace velmora {

std::string loudnessModeName(LoudnessMode mode)
{
    switch (mode) {
    case LoudnessMode::parts: return "parts";
    case LoudnessMode::whole: return "whole";
    case LoudnessMode::keep: break;
    }
    return "keep";
}

std::optional<LoudnessMode> loudnessModeNamed(const std::string& name)
{
    for (LoudnessMode mode : {LoudnessMode::keep, LoudnessMode::parts, LoudnessMode::whole}) {
        if (loudnessModeName(mode) == name)
            return mode;
    }
    return std::nullopt;
}

bool changesSound(const SoundOptions& sound)
{
    return sound.loudness != LoudnessMode::keep || sound.gapSeconds > 0.0 || sound.trimSilence;
}

bool changesSound(const JoinOptions& options)
{
    return changesSound(options.sound);
}

SoundOptions sanitised(SoundOptions options)
{
    const SoundOptions defaults;
    const auto within = [](double value, double low, double high, double fallback) {
        return std::isfinite(value) ? std::clamp(value, low, high) : fallback;
    };
    options.targetLufs = within(options.targetLufs, kMinTargetLufs, kMaxTargetLufs, defaults.targetLufs);
    options.gapSeconds = std::round(within(options.gapSeconds, 0.0, kMaxGapSeconds, 0.0) * 10.0) / 10.0;
    options.trimThresholdDb =
        within(options.trimThresholdDb, kMinTrimThresholdDb, kMaxTrimThresholdDb, defaults.trimThresholdDb);
    return options;
}

SoundOptions loadSoundOptions()
{
    const std::unique_ptr<QSettings> store = settings();
    const SoundOptions defaults;
    SoundOptions loaded;
    loaded.loudness = loudnessModeNamed(store->value(QLatin1String(settingsKey::loudnessMode)).toString().toStdString())
                          .value_or(defaults.loudness);
    loaded.targetLufs = store->value(QLatin1String(settingsKey::targetLufs), defaults.targetLufs).toDouble();
    loaded.gapSeconds = store->value(QLatin1String(settingsKey::gapSeconds), defaults.gapSeconds).toDouble();
    loaded.trimSilence = store->value(QLatin1String(settingsKey::trimSilence), defaults.trimSilence).toBool();
    loaded.trimThresholdDb =
        store->value(QLatin1String(settingsKey::trimThresholdDb), defaults.trimThresholdDb).toDouble();
    return sanitised(loaded);
}

void saveSoundOptions(const SoundOptions& options)
{
    const SoundOptions kept = sanitised(options);
    const std::unique_ptr<QSettings> store = settings();
    store->setValue(QLatin1String(settingsKey::loudnessMode), QString::fromStdString(loudnessModeName(kept.loudness)));
    store->setValue(QLatin1String(settingsKey::targetLufs), kept.targetLufs);
    store->setValue(QLatin1String(settingsKey::gapSeconds), kept.gapSeconds);
    store->setValue(QLatin1String(settingsKey::trimSilence), kept.trimSilence);
    store->setValue(QLatin1String(settingsKey::trimThresholdDb), kept.trimThresholdDb);
}

long long gapSamples(const SoundOptions& sound, int sampleRate)
{
    // Tenths of a second, so 2 s is exactly twice the rate, whatever the rounding of the value given.
    const long long tenths = std::llround(std::clamp(sound.gapSeconds, 0.0, kMaxGapSeconds) * 10.0);
    return tenths * sampleRate / 10;
}

}  // namespace velmora
