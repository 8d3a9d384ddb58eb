#include "join/plan/QualitySettings.h"

#include <QVariant>

#include "foundation/Settings.h"

namespace velmora {
namespace {

int within(int value, int low, int high, int fallback)
{
    return value >= low && value <= high ? value : fallback;
}

int storedInt(QSettings& store, const char* key, int fallback)
{
    bool ok = false;
    const int value = store.value(QLatin1String(key)).toInt(&ok);
    return ok ? value : fallback;
}

}  // namespace

QualitySettings sanitised(const QualitySettings& s)
{
    const QualitySettings defaults;
    QualitySettings result;
    result.mp3VbrQuality = within(s.mp3VbrQuality, kMp3QualityBest, kMp3QualityLeast, defaults.mp3VbrQuality);
    result.mp3Bitrate = s.mp3Bitrate == 0 ? 0 : within(s.mp3Bitrate, kMp3BitrateMin, kMp3BitrateMax, defaults.mp3Bitrate);
    result.aacBitrate = within(s.aacBitrate, kAacBitrateMin, kAacBitrateMax, defaults.aacBitrate);
    result.opusBitrate = within(s.opusBitrate, kOpusBitrateMin, kOpusBitrateMax, defaults.opusBitrate);
    return result;
}

QualitySettings loadQualitySettings()
{
    const std::unique_ptr<QSettings> store = settings();
    const QualitySettings defaults;
    QualitySettings loaded;
    loaded.mp3VbrQuality = storedInt(*store, settingsKey::mp3VbrQuality, defaults.mp3VbrQuality);
    loaded.mp3Bitrate = storedInt(*store, settingsKey::mp3Bitrate, defaults.mp3Bitrate);
    loaded.aacBitrate = storedInt(*store, settingsKey::aacBitrate, defaults.aacBitrate);
    loaded.opusBitrate = storedInt(*store, settingsKey::opusBitrate, defaults.opusBitrate);
    return sanitised(loaded);
}

void saveQualitySettings(const QualitySettings& settingsToKeep)
{
    const QualitySettings s = sanitised(settingsToKeep);
    const std::unique_ptr<QSettings> store = settings();
    store->setValue(QLatin1String(settingsKey::mp3VbrQuality), s.mp3VbrQuality);
    store->setValue(QLatin1String(settingsKey::mp3Bitrate), s.mp3Bitrate);
    store->setValue(QLatin1String(settingsKey::aacBitrate), s.aacBitrate);
    store->setValue(QLatin1String(settingsKey::opusBitrate), s.opusBitrate);
}

}  // namespace velmora
