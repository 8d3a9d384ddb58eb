#include "join/FileRow.h"

namespace velmora {

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
