#pragma once
// What the user chose for one join beyond the list and the output path: the
// encoder settings, chapter marks, a cue sheet, and the tags typed over the
// ones the inputs share.

#include <string>

#include "join/metadata/AlbumMetadata.h"
#include "join/plan/OutputFormat.h"
#include "join/plan/QualitySettings.h"
#include "join/plan/SegmentLayout.h"
#include "join/plan/SoundOptions.h"

namespace velmora {

// Whether a join may copy the parts' sound as it is instead of re-encoding
// it: when the parts allow it (see CopyDecision), always, or never.
enum class CopyChoice { automatic, always, never };

struct JoinOptions {
    QualitySettings quality;
    // Automatic copies for audiobooks (.m4b) only: elsewhere the re-encode
    // keeps the joins gapless.
    CopyChoice copy = CopyChoice::automatic;
    // Chapter marks in the output, where its format holds them: one per row,
    // or the rows' own chapters moved to where the rows land. Off: none at all.
    bool chapters = false;
    // A cue sheet beside the output ("joined.cue" for "joined.wav"), one track
    // per chapter, for players of formats that hold no chapters.
    bool cueSheet = false;
    MetadataOverrides overrides;
    // A long AAC output is encoded in segments side by side: as many as there
    // are cores (or `encoders` when set), from `segmentedFromSeconds` of sound.
    size_t encoders = 0;
    double segmentedFromSeconds = kSegmentedMinimumSeconds;
    // Loudness, the pause between parts, the silence trimmed at their edges.
    SoundOptions sound;
    // Other joins share the machine's cores (a batch or a queue that runs
    // several at once). A short book then joins in one process: less work
    // than decoders beside the encoder, though a little slower alone.
    bool besideOtherJoins = false;
};

// How an output format keeps chapter marks.
enum class ChapterSupport {
    none,            // WAV, raw AAC, ...: a cue sheet is the only way
    container,       // MP4 family, Matroska, MP3 (ID3 CHAP): from ffmpeg's chapter mapping
    vorbisComments,  // FLAC, Ogg, Opus: CHAPTERxxx comments
};
ChapterSupport chapterSupport(const OutputFormat& format);
// Whether the format takes a cover picture as it is (MP3, MP4 family, FLAC,
// Matroska audio) or as a picture comment (Ogg, Opus).
enum class CoverSupport { none, attachedPicture, vorbisComment };
CoverSupport coverSupport(const OutputFormat& format);

// Chapters are on by default for audiobooks (.m4b) only.
bool chaptersByDefault(const std::string& outputPath);

}  // namespace velmora
