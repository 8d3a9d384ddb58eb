#include "join/OutputRule.h"

namespace velmora {

std::string outputExtension(const std::vector<FileRow>& rows)
{
    if (rows.empty())
        return ".mp4";
    const std::string& first = rows.front().mediaType;
    for (const FileRow& row : rows) {
        if (row.mediaType != first)
            return ".ext";
    }
    if (first == "Audio")
        return ".mp3";
    if (first == "Video" || first == "Audio & Video")
        return ".mp4";
    return ".ext";
}

bool isJoinableList(const std::vector<FileRow>& rows)
{
    return outputExtension(rows) != ".ext";
}

JoinMedia joinMedia(const std::vector<FileRow>& rows)
{
    if (rows.empty())
        return JoinMedia::video;
    for (const FileRow& row : rows) {
        if (row.mediaType != "Audio")
            return JoinMedia::video;
    }
    return JoinMedia::audio;
}

std::string joinMediaName(JoinMedia media)
{
    return media == JoinMedia::audio ? "Audio" : "Video";
}

std::string joiningTitle(JoinMedia media)
{
    return "Joining " + joinMediaName(media) + "...";
}

}  // namespace velmora
