#pragma once
// The per-user settings store, and the names of the values kept in it.

#include <memory>

#include <QSettings>

namespace velmora {

namespace settingsKey {
// The version seen at the last launch that changed it.
inline constexpr const char* installedVersion = "installedVersion";
// Launches since the installed version last changed, this one included.
inline constexpr const char* launchCount = "launchCount";
// The main window's size and place, as QWidget::saveGeometry gives them.
inline constexpr const char* windowGeometry = "window/geometry";
// The file list's column widths in pixels, by column name ("name", "start", ...).
inline constexpr const char* fileListColumns = "window/fileListColumns";
// The folder the open dialog showed last, and the one a join was last saved to.
inline constexpr const char* lastAddFolder = "folders/lastAdd";
inline constexpr const char* lastSaveFolder = "folders/lastSave";
// The playlists opened or saved last, newest first (File > Open Recent).
inline constexpr const char* recentLists = "lists/recent";
// The encoder settings of the lossy output formats (Preferences).
inline constexpr const char* mp3VbrQuality = "quality/mp3VbrQuality";
inline constexpr const char* mp3Bitrate = "quality/mp3Bitrate";
inline constexpr const char* aacBitrate = "quality/aacBitrate";
inline constexpr const char* opusBitrate = "quality/opusBitrate";
// The save dialog's "Keep the original encoding" box as the user last set it.
inline constexpr const char* keepEncoding = "join/keepEncoding";
// What joins do to the sound (Preferences, Sound).
inline constexpr const char* loudnessMode = "sound/loudness";
inline constexpr const char* targetLufs = "sound/targetLufs";
inline constexpr const char* gapSeconds = "sound/gapSeconds";
inline constexpr const char* trimSilence = "sound/trimSilence";
inline constexpr const char* trimThresholdDb = "sound/trimThresholdDb";
}  // namespace settingsKey

std::unique_ptr<QSettings> settings();

}  // namespace velmora
