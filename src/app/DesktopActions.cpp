#include "app/DesktopActions.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

namespace velmora::app {
namespace {

std::optional<DesktopEntry> readDesktopEntry(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QTextStream in(&file);
    DesktopEntry entry;
    entry.path = path;
    bool inMainGroup = false;
    bool hidden = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup)
            continue;
        if (line.startsWith(QLatin1String("Name=")))
            entry.name = line.mid(5).trimmed();
        else if (line.startsWith(QLatin1String("Exec=")))
            entry.exec = line.mid(5).trimmed();
        else if (line == QLatin1String("Hidden=true") || line == QLatin1String("NoDisplay=true"))
            hidden = true;
    }
    if (hidden || entry.exec.isEmpty())
        return std::nullopt;
    return entry;
}

void openContainingFolder(const QString& filePath)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(filePath).absolutePath()));
}

}  // namespace

std::optional<DesktopEntry> findDesktopEntry(const QString& name, const QStringList& directories)
{
    for (const QString& directory : directories) {
        QDirIterator it(directory, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const auto entry = readDesktopEntry(it.next());
            if (entry && entry->name == name)
                return entry;
        }
    }
    return std::nullopt;
}

QStringList execCommandForFile(const QString& exec, const QString& filePath)
{
    QStringList command;
    bool placed = false;
    for (const QString& word : QProcess::splitCommand(exec)) {
        if (word == QLatin1String("%f") || word == QLatin1String("%F")) {
            command << filePath;
            placed = true;
        } else if (word == QLatin1String("%u") || word == QLatin1String("%U")) {
            command << QUrl::fromLocalFile(filePath).toString();
            placed = true;
        } else if (word.size() == 2 && word.startsWith(QLatin1Char('%'))) {
            continue;  // %i, %c, %k and the like carry nothing we need
        } else {
            command << word;
        }
    }
    if (!placed && !command.isEmpty())
        command << filePath;
    return command;
}

bool openFile(const QString& filePath)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(filePath));
}

void revealInFileManager(const QString& filePath)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openContainingFolder(filePath);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(filePath).toString()} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [filePath](QDBusPendingCallWatcher* w) {
        if (w->isError())
            openContainingFolder(filePath);
        w->deleteLater();
    });
}

bool openWebAddress(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty() || url.host().isEmpty())
        return false;
    QDesktopServices::openUrl(url);
    return true;
}

}  // namespace velmora::app
