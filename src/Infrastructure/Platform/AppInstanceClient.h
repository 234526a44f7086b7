#pragma once

#include "Infrastructure/Platform/InstanceLock.h"

#include <QCoro/QCoroTask>
#include <QDBusConnection>
#include <QString>

namespace vocena {

// Another process's view of the running app: whether it runs, and its actions over D-Bus.
// It only ever asks the bus whether the name has an owner and never calls a name without
// one, so nothing is D-Bus-activated by asking.
class AppInstanceClient {
public:
    explicit AppInstanceClient(QDBusConnection bus = QDBusConnection::sessionBus(),
                               QString lockPath = InstanceLock::defaultPath());

    enum class Presence {
        notRunning,
        running,           // reachable on the bus
        runningWithoutBus, // holds the lock file; there is no bus to reach it
    };
    Presence presence() const;

    // Calls on the running app; an empty text on success, else why it failed. Bounded by
    // `timeout`.
    QCoro::Task<QString> activate(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    QCoro::Task<QString> activateAction(QString action, std::chrono::milliseconds timeout = std::chrono::seconds(5));

private:
    QCoro::Task<QString> call(QString method, QVariantList arguments, std::chrono::milliseconds timeout);

    QDBusConnection m_bus;
    QString m_lockPath;
};

}  // namespace vocena
