#include "app/ListFiles.h"

#include <QObject>

#include "foundation/Paths.h"
#include "join/intake/PlaylistWriter.h"
#include "join/intake/RowMetadata.h"

namespace velmora::app {

std::optional<std::string> saveList(const std::vector<FileRow>& rows, const QString& path)
{
    std::vector<PlaylistItem> items;
    for (const FileRow& row : rows)
        items.push_back({row.filePath, playedLength(row), rowTitle(row.metadata)});
    return writeM3u8(items, fromQString(path));
}

MessageRequest listGoneMessage(const QString& path)
{
    MessageRequest message;
    message.messageText = QObject::tr("The list %1 is gone.").arg(path).toStdString();
    return message;
}

MessageRequest listNotSavedMessage(const std::string& failure)
{
    MessageRequest message;
    message.messageText = QObject::tr("The list could not be saved.").toStdString();
    message.informativeText = failure;
    message.style = MessageStyle::critical;
    return message;
}

}  // namespace velmora::app
