#include "app/StartupFiles.h"

#include <QDir>

namespace velmora::app {

QList<QUrl> startupFileUrls(const QStringList& arguments)
{
    QList<QUrl> urls;
    for (const QString& argument : arguments) {
        if (argument.isEmpty())
            continue;
        if (argument.contains(QLatin1String("://"))) {
            const QUrl url(argument);
            if (url.isLocalFile())
                urls.append(url);
            continue;
        }
        urls.append(QUrl::fromLocalFile(QDir::current().absoluteFilePath(argument)));
    }
    return urls;
}

}  // namespace velmora::app
