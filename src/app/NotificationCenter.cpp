#include "app/NotificationCenter.h"

#include <algorithm>

namespace velmora::app {

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(QObject* observer, const QString& name,
                                     std::function<void(const Notification&)> handler)
{
    registrations_.push_back({observer, name, std::move(handler)});
}

void NotificationCenter::removeObserver(QObject* observer)
{
    std::erase_if(registrations_, [observer](const Registration& r) { return r.observer == observer; });
}

void NotificationCenter::post(const QString& name, const QVariantMap& userInfo)
{
    const Notification notification{name, userInfo};
    std::erase_if(registrations_, [](const Registration& r) { return r.observer.isNull(); });
    // A handler may register or remove observers: deliver to a snapshot.
    const auto snapshot = registrations_;
    for (const Registration& r : snapshot) {
        if (r.name == name && !r.observer.isNull())
            r.handler(notification);
    }
    emit posted(notification);
}

}  // namespace velmora::app
