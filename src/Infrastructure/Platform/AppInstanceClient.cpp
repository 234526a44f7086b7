#include "Infrastructure/Platform/AppInstanceClient.h"

#include "Infrastructure/Platform/AppInstance.h"

#include <QCoro/QCoroDBus>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusReply>

namespace vocena {

AppInstanceClient::AppInstanceClient(QDBusConnection bus, QString lockPath)
    : m_bus(std::move(bus)), m_lockPath(std::move(lockPath)) {}

AppInstanceClient::Presence AppInstanceClient::presence() const {
    if (m_bus.isConnected()) {
        // NameHasOwner: a question to the bus itself, which starts nothing.
        const QDBusReply<bool> owned = m_bus.interface()->isServiceRegistered(AppBus::serviceName);
        if (owned.isValid()) return owned.value() ? Presence::running : Presence::notRunning;
    }
    return InstanceLock::isHeldByOther(m_lockPath) ? Presence::runningWithoutBus : Presence::notRunning;
}

QCoro::Task<QString> AppInstanceClient::activate(std::chrono::milliseconds timeout) {
    QCoro::Task<QString> calling = call(QStringLiteral("Activate"), {QVariantMap()}, timeout);
    co_return co_await std::move(calling);
}

QCoro::Task<QString> AppInstanceClient::activateAction(QString action, std::chrono::milliseconds timeout) {
    QCoro::Task<QString> calling = call(QStringLiteral("ActivateAction"), {action, QVariantList(), QVariantMap()}, timeout);
    co_return co_await std::move(calling);
}

QCoro::Task<QString> AppInstanceClient::call(QString method, QVariantList arguments, std::chrono::milliseconds timeout) {
    if (!m_bus.isConnected()) co_return QStringLiteral("没有 D-Bus 会话总线");
    QDBusMessage message = QDBusMessage::createMethodCall(AppBus::serviceName, AppBus::objectPath, AppBus::interfaceName, method);
    message.setArguments(arguments);
    // Should the app have quit since the question, the call fails instead of starting anything.
    message.setAutoStartService(false);
    const QDBusPendingCall pending = m_bus.asyncCall(message, int(timeout.count()));
    const QDBusMessage reply = co_await pending;
    if (reply.type() == QDBusMessage::ErrorMessage) co_return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    co_return QString();
}

}  // namespace vocena
