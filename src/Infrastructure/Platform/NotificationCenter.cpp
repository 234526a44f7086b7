#include "Infrastructure/Platform/NotificationCenter.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QThread>

namespace vocena {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

int NotificationCenter::addObserver(const QString& name, QObject* context, Observer observer) {
    QMutexLocker lock(&m_mutex);
    const int token = m_nextToken++;
    m_observers.insert(token, Entry{name, context, std::move(observer)});
    return token;
}

void NotificationCenter::removeObserver(int token) {
    QMutexLocker lock(&m_mutex);
    m_observers.remove(token);
}

void NotificationCenter::post(const QString& name, const QVariant& object, const QVariantMap& userInfo) {
    Notification notification{name, object, userInfo};
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        deliver(notification);
        return;
    }
    QMetaObject::invokeMethod(app, [this, notification] { deliver(notification); }, Qt::QueuedConnection);
}

void NotificationCenter::deliver(const Notification& notification) {
    QList<Observer> observers;
    {
        QMutexLocker lock(&m_mutex);
        for (auto it = m_observers.begin(); it != m_observers.end();) {
            if (!it->context) {
                it = m_observers.erase(it);
                continue;
            }
            if (it->name == notification.name) observers << it->observer;
            ++it;
        }
    }
    // Called without the lock: an observer may add or remove observers.
    for (const Observer& observer : observers) observer(notification);
}

}  // namespace vocena
