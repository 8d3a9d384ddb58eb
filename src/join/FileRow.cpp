#include "join/FileRow.h"

namespace velmora {

double playedLength(const FileRow& row)
{
    return row.mediaType == "Audio" && row.audio.duration > 0.0 ? row.audio.duration : row.duration;
}

nlohmann::json fileRowJson(const FileRow& row)
{
    return nlohmann::json{
        {"fileURL", row.fileURL},
        {"filePath", row.filePath},
        {"fileName", row.fileName},
        {"durationHuman", row.durationHuman},
        {"duration", row.duration},
        {"codec", row.codec},
        {"mediaType", row.mediaType},
        {"fileSizeHuman", row.fileSizeHuman},
        {"isProRes", row.isProRes},
    };
}

}  // namespace velmora
