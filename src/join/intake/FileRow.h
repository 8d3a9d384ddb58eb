#pragma once
// One entry of the file list. A row is never changed after it is made;
// reordering moves whole rows.

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "join/intake/MediaKind.h"
#include "join/intake/RowMetadata.h"

namespace velmora {

// What the probe found about the first audio stream of a file: what a join
// needs to pick one common form for all its files. Zero or empty when unknown.
struct AudioStreamFacts {
    std::string codec;         // "flac", "mp3", "pcm_s16le", ...
    int sampleRate = 0;        // Hz
    int channels = 0;
    std::string layout;        // "mono", "stereo", "5.1(side)", ...; empty when the file names none
    std::string sampleFormat;  // "s16", "s32", "fltp", ...
    int bits = 0;              // significant bits per sample of a lossless stream
    bool lossless = false;     // decodes to exactly the samples that were encoded
    double duration = 0.0;     // seconds, as the stream declares it
    std::string profile;       // "LC", "HE-AAC", ...; empty when the codec has none
    bool operator==(const AudioStreamFacts&) const = default;
};

struct FileRow {
    std::string fileURL;      // file:// URL text of the file as added
    std::string filePath;
    std::string fileName;
    std::string durationHuman;
    double duration = 0.0;
    std::string codec;        // every track's codec, ", " between them
    MediaKind kind = MediaKind::unknown;
    std::string fileSizeHuman;
    bool isProRes = false;
    // The codecs the list shows: those of the audio, video and subtitle
    // tracks, without cover art, chapter and data tracks ("mp3", where
    // "codec" says "mp3, mjpeg"). Not one of the nine keys.
    std::string codecHuman;
    // Not shown and not part of the row's keys: what the join plan reads.
    AudioStreamFacts audio;
    std::string formatName;   // the container as the probe names it ("mov,mp4,m4a,3gp,3g2,mj2", "flac", ...)
    std::string streamKinds;  // every stream's kind in file order, "audio,video" for an MP3 with a cover
    // Tags, track numbers, chapters and pictures: what the joined file's
    // tags, chapters and cover are made of.
    RowMetadata metadata;
    bool operator==(const FileRow&) const = default;
};

// How long the row plays in a joined file: for a sound file its sound's own
// length (a container's duration can count a late start too, as in an MP4
// whose edit list begins later), else the container's duration.
double playedLength(const FileRow& row);

// The rows' metadata and their paths, in row order.
std::vector<RowMetadata> metadataOf(const std::vector<FileRow>& rows);
std::vector<std::string> pathsOf(const std::vector<FileRow>& rows);

// The row's nine keys as a JSON object.
nlohmann::json fileRowJson(const FileRow& row);

}  // namespace velmora
