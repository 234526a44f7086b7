#pragma once

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <functional>

namespace vocena {

// The two notifications that cross subsystems.
namespace Notifications {
inline const QString aiProcessingFallback = QStringLiteral("com.vocena.aiProcessingFallback");  // object: the message
inline const QString termSuggestionReady = QStringLiteral("com.vocena.termSuggestionReady");    // userInfo: term, category
}  // namespace Notifications

struct Notification {
    QString name;
    QVariant object;
    QVariantMap userInfo;
};

// A process-wide notification centre. Observers always run on the main thread: a post made
// on the main thread reaches them before post() returns, one made elsewhere is queued there.
class NotificationCenter {
public:
    using Observer = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    // The observer is dropped when `context` is destroyed (or removeObserver is called).
    int addObserver(const QString& name, QObject* context, Observer observer);
    void removeObserver(int token);
    void post(const QString& name, const QVariant& object = {}, const QVariantMap& userInfo = {});

private:
    struct Entry {
        QString name;
        QPointer<QObject> context;
        Observer observer;
    };
    void deliver(const Notification& notification);

    QMutex m_mutex;
    QHash<int, Entry> m_observers;
    int m_nextToken = 1;
};

}  // namespace vocena
