#include "app/DesktopActions.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace velmora::app {
namespace {

const QString kFileManager = QStringLiteral("org.freedesktop.FileManager1");

void openFolderOf(const QString& filePath, const std::function<void()>& noOpener)
{
    if (!openFile(QFileInfo(filePath).absolutePath()) && noOpener)
        noOpener();
}

}  // namespace

bool openFile(const QString& path)
{
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!xdgOpen.isEmpty() && QProcess::startDetached(xdgOpen, {path}))
        return true;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void revealInFileManager(const QStringList& filePaths, const std::function<void()>& noOpener)
{
    if (filePaths.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    const bool canAsk = bus.isConnected() && bus.interface() &&
                        (bus.interface()->isServiceRegistered(kFileManager).value() ||
                         bus.interface()->activatableServiceNames().value().contains(kFileManager));
    if (!canAsk) {
        openFolderOf(filePaths.front(), noOpener);
        return;
    }
    QStringList uris;
    for (const QString& path : filePaths)
        uris << QUrl::fromLocalFile(path).toString();
    QDBusMessage call = QDBusMessage::createMethodCall(kFileManager, QStringLiteral("/org/freedesktop/FileManager1"),
                                                      kFileManager, QStringLiteral("ShowItems"));
    call << uris << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000), QCoreApplication::instance());
    const QString first = filePaths.front();
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [first, noOpener](QDBusPendingCallWatcher* w) {
                         if (w->isError())
                             openFolderOf(first, noOpener);
                         w->deleteLater();
                     });
}

bool openWebAddress(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty() || url.host().isEmpty())
        return false;
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!xdgOpen.isEmpty() && QProcess::startDetached(xdgOpen, {url.toString(QUrl::FullyEncoded)}))
        return true;
    return QDesktopServices::openUrl(url);
}

}  // namespace velmora::app
