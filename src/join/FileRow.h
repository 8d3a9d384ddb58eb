#pragma once
// One entry of the file list. A row is never changed after it is made;
// reordering moves whole rows.

#include <string>

#include <nlohmann/json.hpp>

namespace velmora {

struct FileRow {
    std::string fileURL;      // file:// URL text of the file as added
    std::string filePath;
    std::string fileName;
    std::string durationHuman;
    double duration = 0.0;
    std::string codec;        // every track's codec, ", " between them
    std::string mediaType;    // "Audio & Video", "Video", "Audio" or "Unknown"
    std::string fileSizeHuman;
    bool isProRes = false;
    // The codecs the list shows: those of the audio, video and subtitle
    // tracks, without cover art, chapter and data tracks ("mp3", where
    // "codec" says "mp3, mjpeg"). Not one of the nine keys.
    std::string codecHuman;
    bool operator==(const FileRow&) const = default;
};

// The row's nine keys as a JSON object.
nlohmann::json fileRowJson(const FileRow& row);

}  // namespace velmora
