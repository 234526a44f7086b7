#include "Infrastructure/Platform/AppInstance.h"

#include "Infrastructure/Platform/ApplicationInterface.h"
#include "Infrastructure/Platform/Logging.h"

#include <QDBusConnectionInterface>

namespace vocena {

namespace {
const Logger logger("AppInstance");
}  // namespace

AppInstance::AppInstance(AppActions actions, QDBusConnection bus, QString lockPath)
    : m_bus(std::move(bus)), m_lock(std::move(lockPath)),
      m_interface(std::make_unique<ApplicationInterface>(std::move(actions))) {}

AppInstance::~AppInstance() { release(); }

AppInstance::Claim AppInstance::claim() {
    if (m_primary) return Claim::primary;
    if (m_bus.isConnected()) {
        // The object is there before the name, so whoever sees the name can call it.
        if (!m_bus.registerObject(AppBus::objectPath, m_interface.get(), QDBusConnection::ExportAllSlots)) {
            logger.error(QStringLiteral("无法在 D-Bus 上导出 %1").arg(AppBus::objectPath));
        }
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = m_bus.interface()->registerService(
            AppBus::serviceName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
        if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            logger.info(QStringLiteral("已获得 D-Bus 名称 %1").arg(AppBus::serviceName));
            m_primary = m_onBus = true;
            return Claim::primary;
        }
        m_bus.unregisterObject(AppBus::objectPath);
        if (reply.isValid()) {
            logger.info(QStringLiteral("澄言已在运行（D-Bus 名称 %1 已被占用）").arg(AppBus::serviceName));
            return Claim::alreadyRunning;
        }
        logger.error(QStringLiteral("无法申请 D-Bus 名称 %1: %2").arg(AppBus::serviceName, reply.error().message()));
    }
    logger.notice(QStringLiteral("%1：用锁文件 %2 保证只运行一个澄言；vocena toggle、vocena quit 和快捷键命令需要 D-Bus")
                      .arg(m_bus.isConnected() ? QStringLiteral("D-Bus 名称不可用") : QStringLiteral("没有 D-Bus 会话总线"),
                           m_lock.path()));
    switch (m_lock.tryAcquire()) {
    case InstanceLock::Result::acquired:
        m_primary = true;
        return Claim::primary;
    case InstanceLock::Result::heldByOther:
        logger.info(QStringLiteral("澄言已在运行（锁文件 %1 已被占用）").arg(m_lock.path()));
        return Claim::alreadyRunning;
    case InstanceLock::Result::failed:
        break;
    }
    // A runtime folder we cannot write must not keep the app from starting.
    logger.error(QStringLiteral("无法创建锁文件 %1，不能保证只运行一个澄言").arg(m_lock.path()));
    m_primary = true;
    return Claim::primary;
}

void AppInstance::release() {
    if (!m_primary) return;
    if (m_onBus) {
        m_bus.unregisterService(AppBus::serviceName);
        m_bus.unregisterObject(AppBus::objectPath);
        logger.info(QStringLiteral("已释放 D-Bus 名称 %1").arg(AppBus::serviceName));
    }
    m_lock.release();
    m_primary = m_onBus = false;
}

}  // namespace vocena
