#include "app/MediaFileFilter.h"

#include <QObject>

#include "join/intake/MediaFiles.h"

namespace velmora::app {

QStringList mediaFileNameFilters()
{
    QStringList patterns;
    for (const std::string& extension : velmora::mediaFileExtensions())
        patterns << QStringLiteral("*.") + QString::fromStdString(extension);
    return {QObject::tr("Audio and video files (%1)").arg(patterns.join(QLatin1Char(' '))), QObject::tr("All files (*)")};
}

}  // namespace velmora::app
