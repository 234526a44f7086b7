#include "Infrastructure/Platform/ApplicationInterface.h"

#include "Infrastructure/Platform/Logging.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QMetaObject>

namespace vocena {

namespace {
const Logger logger("AppInstance");
}  // namespace

void ApplicationInterface::Activate(const QVariantMap&) { dispatch(QStringLiteral("activate"), m_actions.activate); }

void ApplicationInterface::ActivateAction(const QString& actionName, const QVariantList&, const QVariantMap&) {
    const std::pair<const QString&, const std::function<void()>&> actions[] = {
        {AppBus::toggleRecording, m_actions.toggleRecording},
        {AppBus::cycleWorkMode, m_actions.cycleWorkMode},
        {AppBus::permissions, m_actions.permissions},
        {AppBus::settings, m_actions.settings},
        {AppBus::quit, m_actions.quit},
    };
    for (const auto& [name, action] : actions)
        if (name == actionName) return dispatch(name, action);
    logger.error(QStringLiteral("未知的 D-Bus 动作: %1").arg(actionName));
    sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("未知的动作: %1").arg(actionName));
}

void ApplicationInterface::Open(const QStringList&, const QVariantMap&) {
    sendErrorReply(QDBusError::NotSupported, QStringLiteral("澄言不打开文件"));
}

void ApplicationInterface::dispatch(const QString& name, const std::function<void()>& action) {
    if (!action) {
        logger.error(QStringLiteral("D-Bus 动作 %1 不可用").arg(name));
        sendErrorReply(QDBusError::NotSupported, QStringLiteral("动作不可用: %1").arg(name));
        return;
    }
    logger.info(QStringLiteral("收到 D-Bus 动作: %1").arg(name));
    // Queued: the reply leaves first (the slot returns), then the action runs.
    QMetaObject::invokeMethod(this, [action] { action(); }, Qt::QueuedConnection);
}

}  // namespace vocena
