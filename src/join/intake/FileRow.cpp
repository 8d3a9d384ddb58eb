#include "join/intake/FileRow.h"

namespace velmora {

double playedLength(const FileRow& row)
{
    return row.kind == MediaKind::audio && row.audio.duration > 0.0 ? row.audio.duration : row.duration;
}

std::vector<RowMetadata> metadataOf(const std::vector<FileRow>& rows)
{
    std::vector<RowMetadata> metadata;
    metadata.reserve(rows.size());
    for (const FileRow& row : rows)
        metadata.push_back(row.metadata);
    return metadata;
}

std::vector<std::string> pathsOf(const std::vector<FileRow>& rows)
{
    std::vector<std::string> paths;
    paths.reserve(rows.size());
    for (const FileRow& row : rows)
        paths.push_back(row.filePath);
    return paths;
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
        {"mediaType", mediaKindText(row.kind)},
        {"fileSizeHuman", row.fileSizeHuman},
        {"isProRes", row.isProRes},
    };
}

}  // namespace velmora
