#include "app/DesktopNotification.h"

#include <algorithm>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QVariantMap>

namespace velmora::app {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");

}  // namespace

bool joinNotificationDue(double seconds, bool windowSeen, double threshold)
{
    return !windowSeen && seconds > threshold;
}

bool applicationIsActive()
{
    return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

bool sendDesktopNotification(const QDBusConnection& bus, const QString& summary, const QString& body)
{
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(kService).value())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/Notifications"),
                                                      kService, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QGuiApplication::desktopFileName());
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout (-1: the server's).
    call << QStringLiteral("Velmora") << uint(0) << QStringLiteral("velmora") << summary << body << QStringList()
         << hints << int(-1);
    QDBusConnection(bus).asyncCall(call);
    return true;
}

void sendLauncherProgress(const QDBusConnection& bus, double fraction, bool visible)
{
    if (!bus.isConnected())
        return;
    QDBusMessage update = QDBusMessage::createSignal(QStringLiteral("/app/velmora/Velmora/launcher"),
                                                     QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                                     QStringLiteral("Update"));
    QVariantMap properties;
    properties.insert(QStringLiteral("progress"), std::clamp(fraction, 0.0, 1.0));
    properties.insert(QStringLiteral("progress-visible"), visible);
    update << QStringLiteral("application://%1.desktop").arg(QGuiApplication::desktopFileName()) << properties;
    QDBusConnection(bus).send(update);
}

}  // namespace velmora::app
