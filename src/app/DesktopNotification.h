#pragma once
// Desktop notifications through org.freedesktop.Notifications on the
// session bus, for a long join that ends while the user looks elsewhere.

#include <functional>
#include <optional>

#include <QDBusConnection>
#include <QString>

namespace velmora::app {

// A join that took longer than this is worth a notification, if the user is
// not looking at the window.
inline constexpr double kNotifyAfterSeconds = 10.0;

bool joinNotificationDue(double seconds, bool windowSeen, double threshold = kNotifyAfterSeconds);
// Whether the application is the one the user works in (one of its windows
// has the focus).
bool applicationIsActive();

// Where the notification of a long join goes and when it is due.
struct JoinNotice {
    std::optional<QDBusConnection> bus;  // none: the session bus
    double afterSeconds = kNotifyAfterSeconds;
    // Whether the user looks at the window now: Velmora has one window (with
    // its sheets and dialogs), so whether the application is the active one.
    std::function<bool()> windowSeen = applicationIsActive;
};

// Sends the notification (without waiting for the answer); false, and
// nothing sent, when no notification service runs on the bus.
bool sendDesktopNotification(const QDBusConnection& bus, const QString& summary, const QString& body);

// Shows (or, with `visible` false, hides) the join's progress on the
// application's launcher icon, for docks that follow the Unity LauncherEntry
// interface: the signal com.canonical.Unity.LauncherEntry.Update with
// "progress" (0 to 1) and "progress-visible".
void sendLauncherProgress(const QDBusConnection& bus, double fraction, bool visible);

}  // namespace velmora::app
