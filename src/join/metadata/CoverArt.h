#pragma once
// Which picture becomes the joined file's cover, and how ffmpeg finds it.
// Nothing is decoded or converted here: the picture is copied as it is.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "join/intake/RowMetadata.h"

namespace velmora {

enum class CoverOrigin { none, user, embedded, folder };

struct CoverChoice {
    CoverOrigin origin = CoverOrigin::none;
    std::string path;                         // the file ffmpeg reads the picture from
    std::optional<std::int64_t> streamIndex;  // the picture's stream there; none for an image file
    std::string codec;                        // "mjpeg" or "png"; empty when the file is neither
    size_t row = 0;                           // the row holding an embedded picture

    // The "-map" operand once `path` is ffmpeg's input number `input`.
    std::string mapSpecifier(int input) const;
    // "image/jpeg", "image/png", or empty.
    std::string mimeType() const;
};

// "mjpeg" for JPEG bytes, "png" for PNG bytes, empty otherwise (or unreadable).
std::string pictureCodec(const std::string& path);

// The first of cover.jpg, cover.png, folder.jpg and front.jpg in `folder`,
// names matched without regard to case; nothing when none is a regular file.
std::optional<std::string> folderCover(const std::string& folder);

// A picture as the Vorbis comment METADATA_BLOCK_PICTURE holds it (a FLAC
// picture block, front cover, in base64): Ogg and Opus take cover art only
// this way, as a tag. Its size fields are left 0, which readers accept.
std::string vorbisPictureTag(const std::string& imageBytes, const std::string& mimeType);

// The cover of the joined file: the user's file when given, else the first
// JPEG or PNG picture embedded in the rows (in list order), else a picture
// file beside the first row. `paths` are the rows' files, in the same order.
CoverChoice chooseCover(const std::vector<RowMetadata>& rows, const std::vector<std::string>& paths,
                        const std::optional<std::string>& userCover = std::nullopt);

}  // namespace velmora
