#include "join/plan/JoinOptions.h"

#include "foundation/Paths.h"

namespace velmora {

ChapterSupport chapterSupport(const OutputFormat& format)
{
    const std::string& e = format.extension;
    if (e == "m4a" || e == "m4b" || e == "mp4" || e == "m4v" || e == "mov" || e == "mkv" || e == "mka" || e == "mp3")
        return ChapterSupport::container;
    if (e == "flac" || e == "ogg" || e == "opus")
        return ChapterSupport::vorbisComments;
    return ChapterSupport::none;
}

CoverSupport coverSupport(const OutputFormat& format)
{
    const std::string& e = format.extension;
    if (e == "mp3" || e == "m4a" || e == "m4b" || e == "mp4" || e == "flac" || e == "mka")
        return CoverSupport::attachedPicture;
    if (e == "ogg" || e == "opus")
        return CoverSupport::vorbisComment;
    return CoverSupport::none;
}

bool chaptersByDefault(const std::string& outputPath)
{
    return lowerExtension(outputPath) == "m4b";
}

}  // namespace velmora
