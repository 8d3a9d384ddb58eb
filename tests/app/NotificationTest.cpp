// The desktop notification of a long join that ends while the user looks
// elsewhere, sent to a notification service on a private session bus, and
// the join's progress on the launcher icon and in the window's title.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include "app/DesktopNotification.h"
#include "support/AppTestSupport.h"

using namespace apptest;

namespace {

// Stands in for the desktop's notification daemon and keeps what it is sent.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList summaries, bodies, appNames;
    QVariantMap lastHints;

public slots:
    uint Notify(const QString& appName, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap& hints, int)
    {
        appNames << appName;
        summaries << summary;
        bodies << body;
        lastHints = hints;
        return static_cast<uint>(summaries.size());
    }
};

// Stands in for a dock: keeps the launcher progress it is told.
class LauncherListener : public QObject {
    Q_OBJECT
public:
    QStringList applications;
    QList<QVariantMap> updates;

public slots:
    void update(const QString& application, const QVariantMap& properties)
    {
        applications << application;
        updates << properties;
    }
};

// A session bus of the test's own, ended with the test.
class PrivateBus {
public:
    PrivateBus()
    {
        if (QStandardPaths::findExecutable("dbus-daemon").isEmpty())
            return;
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        if (!daemon_.waitForReadyRead(5000))
            return;
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        for (const QString& name : names_)
            QDBusConnection::disconnectFromBus(name);
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    bool ready() const { return !address_.isEmpty(); }
    QDBusConnection connect(const QString& name)
    {
        names_ << name;
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QProcess daemon_;
    QString address_;
    QStringList names_;
};

class Notification : public AppTest {
protected:
    // Joins the list through the window into `out` and waits for the result.
    void join(const std::string& out)
    {
        trigger("joinAction");
        QFileDialog* dialog = visibleChild<QFileDialog>(&window(), 5000);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(QString::fromStdString(out));
        static_cast<QDialog*>(dialog)->accept();
        QMessageBox* result = waitForAlert(60000);
        ASSERT_NE(result, nullptr);
        result->done(0);
    }
};

TEST_F(Notification, ALongJoinTheUserDidNotSeeIsToldOnTheDesktop)
{
    PrivateBus bus;
    if (!bus.ready())
        GTEST_SKIP() << "dbus-daemon is not installed";
    QDBusConnection client = bus.connect("velmora-test-client");
    ASSERT_TRUE(client.isConnected());
    // No notification service yet: nothing is sent, and nothing fails.
    EXPECT_FALSE(velmora::app::sendDesktopNotification(client, "Audio Joined Successfully!", "/x/joined.mp3"));

    QDBusConnection server = bus.connect("velmora-test-server");
    NotificationService service;
    ASSERT_TRUE(server.registerObject("/org/freedesktop/Notifications", &service, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(server.registerService("org.freedesktop.Notifications"));

    LauncherListener dock;
    ASSERT_TRUE(server.connect({}, {}, "com.canonical.Unity.LauncherEntry", "Update", &dock,
                               SLOT(update(QString, QVariantMap))));

    // Whole joins through the window, any join counted as long; the user is
    // in another application when the first ends, and in the window for the second.
    bool seen = false;
    newDelegate(velmora::app::JoinNotice{client, 0.0, [&seen] { return seen; }});
    ASSERT_TRUE(addAndWait({testsupport::sineWav(1.0)}));
    QStringList titles;
    QObject::connect(&window(), &QWidget::windowTitleChanged, &window(), [&](const QString& t) { titles << t; });
    const std::string out = testsupport::freshDir("notified") + "/joined.mp3";
    ASSERT_NO_FATAL_FAILURE(join(out));
    // The share done shows in the title while the join runs, and on the launcher icon.
    ASSERT_FALSE(titles.isEmpty());
    EXPECT_TRUE(titles.front().contains(QRegularExpression(QStringLiteral("^\\d{1,3} % – Velmora$")))) << titles.front();
    EXPECT_EQ(titles.back(), QStringLiteral("Velmora"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dock.updates.isEmpty() && !dock.updates.back()["progress-visible"].toBool(); }, 5000));
    EXPECT_EQ(dock.applications.front(), QStringLiteral("application://%1.desktop").arg(QGuiApplication::desktopFileName()));
    EXPECT_TRUE(dock.updates.front()["progress-visible"].toBool());
    EXPECT_LE(dock.updates.front()["progress"].toDouble(), 1.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !service.summaries.isEmpty(); }, 5000));
    EXPECT_EQ(service.summaries, QStringList{"Audio Joined Successfully!"});
    EXPECT_EQ(service.bodies, QStringList{QString::fromStdString(out)});
    EXPECT_EQ(service.appNames, QStringList{"Velmora"});

    seen = true;
    ASSERT_NO_FATAL_FAILURE(join(out + ".again.mp3"));
    QTest::qWait(200);
    EXPECT_EQ(service.summaries.size(), 1);
}

}  // namespace

#include "NotificationTest.moc"
