#include "Infrastructure/Hotkey/GlobalShortcutsPortal.h"

#include "Infrastructure/Hotkey/PortalRequest.h"
#include "Infrastructure/Hotkey/PortalShortcut.h"
#include "Infrastructure/Platform/Logging.h"

#include <QCoro/QCoroDBus>
#include <QDBusPendingCall>
#include <QPointer>
#include <memory>

namespace vocena {

namespace {

const Logger logger("GlobalShortcutsPortal");

const QString notOffered = QStringLiteral("没有 GlobalShortcuts 门户（%1）：请把 vocena toggle 绑定到桌面的快捷键");

}  // namespace

GlobalShortcutsPortal::GlobalShortcutsPortal(QDBusConnection bus, QObject* parent) : QObject(parent), m_bus(std::move(bus)) {
    registerPortalShortcutTypes();
}

QDBusMessage GlobalShortcutsPortal::portalCall(const QString& method, const QVariantList& arguments) const {
    QDBusMessage message = QDBusMessage::createMethodCall(serviceName, objectPath, interfaceName, method);
    message.setArguments(arguments);
    return message;
}

QCoro::Task<bool> GlobalShortcutsPortal::start() {
    QPointer self{this};
    if (!m_bus.isConnected()) {
        logger.info(notOffered.arg(QStringLiteral("没有 D-Bus 会话总线")));
        co_return false;
    }
    const bool available = co_await offered();
    if (!self || !available) co_return false;
    const QString session = co_await createSession();
    if (!self || session.isEmpty()) co_return false;
    const bool bound = co_await bind(session);
    if (!self || !bound) co_return false;
    m_session = session;
    m_bus.connect(serviceName, objectPath, interfaceName, QStringLiteral("Activated"), this,
                  SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    logger.info(QStringLiteral("已通过 GlobalShortcuts 门户注册快捷键 %1（%2）").arg(shortcutId, shortcutDescription));
    co_return true;
}

QCoro::Task<bool> GlobalShortcutsPortal::offered() {
    // The interface's version property: an error when the portal or the interface is missing.
    QDBusMessage get = QDBusMessage::createMethodCall(serviceName, objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get.setArguments({interfaceName, QStringLiteral("version")});
    const QDBusPendingCall pending = m_bus.asyncCall(get, int(callTimeout.count()));
    const QDBusMessage reply = co_await pending;
    if (reply.type() == QDBusMessage::ReplyMessage) co_return true;
    logger.info(notOffered.arg(reply.errorName()));
    co_return false;
}

QCoro::Task<QString> GlobalShortcutsPortal::createSession() {
    QPointer self{this};
    const auto request = std::make_unique<PortalRequest>(m_bus, serviceName);
    const QVariantMap options{{QStringLiteral("handle_token"), request->token()},
                              {QStringLiteral("session_handle_token"), request->token()}};
    QCoro::Task<std::optional<PortalRequest::Response>> sending =
        request->send(portalCall(QStringLiteral("CreateSession"), {options}), callTimeout, callTimeout);
    const std::optional<PortalRequest::Response> response = co_await std::move(sending);
    if (!self) co_return QString();
    // The handle is a string in the interface's description, an object path in some portals.
    const QVariant handle = response ? response->results.value(QStringLiteral("session_handle")) : QVariant();
    const QString session =
        handle.metaType() == QMetaType::fromType<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path() : handle.toString();
    if (response && response->code == PortalRequest::success && !session.isEmpty()) co_return session;
    logger.error(QStringLiteral("GlobalShortcuts 门户无法建立会话: %1")
                     .arg(response ? QStringLiteral("回应 %1").arg(response->code) : request->error()));
    co_return QString();
}

QCoro::Task<bool> GlobalShortcutsPortal::bind(QString session) {
    QPointer self{this};
    const auto request = std::make_unique<PortalRequest>(m_bus, serviceName);
    const QList<PortalShortcut> shortcuts{{shortcutId, {{QStringLiteral("description"), shortcutDescription}}}};
    const QVariantList arguments{QVariant::fromValue(QDBusObjectPath(session)), QVariant::fromValue(shortcuts), QString(),
                                 QVariantMap{{QStringLiteral("handle_token"), request->token()}}};
    QCoro::Task<std::optional<PortalRequest::Response>> sending =
        request->send(portalCall(QStringLiteral("BindShortcuts"), arguments), callTimeout, bindTimeout);
    const std::optional<PortalRequest::Response> response = co_await std::move(sending);
    if (!self) co_return false;
    if (!response || response->code != PortalRequest::success) {
        logger.error(QStringLiteral("GlobalShortcuts 门户注册快捷键失败: %1")
                         .arg(response ? QStringLiteral("回应 %1").arg(response->code) : request->error()));
        co_return false;
    }
    co_return true;
}

void GlobalShortcutsPortal::onActivated(const QDBusObjectPath& session, const QString& id, qulonglong, const QVariantMap&) {
    if (session.path() != m_session || id != shortcutId) return;
    logger.info(QStringLiteral("GlobalShortcuts 门户: 快捷键 %1 被按下").arg(id));
    Q_EMIT activated();
}

}  // namespace vocena
