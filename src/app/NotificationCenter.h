#pragma once
// A small in-process notification centre: any object posts a named
// notification with a user-info map; observers registered for that name get
// it on the posting thread, in registration order.

#include <functional>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

namespace velmora::app {

struct Notification {
    QString name;
    QVariantMap userInfo;
};

class NotificationCenter : public QObject {
    Q_OBJECT
public:
    static NotificationCenter& defaultCenter();

    // The observer's lifetime bounds the registration: once it is destroyed
    // it receives nothing more.
    void addObserver(QObject* observer, const QString& name, std::function<void(const Notification&)> handler);
    void removeObserver(QObject* observer);
    void post(const QString& name, const QVariantMap& userInfo = {});

signals:
    void posted(const velmora::app::Notification& notification);

private:
    struct Registration {
        QPointer<QObject> observer;
        QString name;
        std::function<void(const Notification&)> handler;
    };
    std::vector<Registration> registrations_;
};

}  // namespace velmora::app
