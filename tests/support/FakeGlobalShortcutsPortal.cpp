#include "support/FakeGlobalShortcutsPortal.h"

#include "Infrastructure/Hotkey/PortalRequest.h"

#include <QDBusMessage>
#include <QTimer>

namespace vocena::test {

namespace {

const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
int connections = 0;  // the number in each connection's name

}  // namespace

FakeGlobalShortcutsPortal::FakeGlobalShortcutsPortal(const QByteArray& address)
    : m_connectionName(QStringLiteral("fake-portal-%1").arg(++connections)), m_bus(QDBusConnection::connectToBus(QString::fromUtf8(address), m_connectionName)) {
    registerPortalShortcutTypes();
}

FakeGlobalShortcutsPortal::~FakeGlobalShortcutsPortal() {
    m_bus.unregisterService(service);
    m_bus.unregisterObject(path);
    QDBusConnection::disconnectFromBus(m_connectionName);
}

bool FakeGlobalShortcutsPortal::start(bool withInterface) {
    if (withInterface && !m_bus.registerObject(path, this, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties))
        return false;
    return m_bus.registerService(service);
}

void FakeGlobalShortcutsPortal::activate(const QString& id, const QString& sessionHandle) {
    m_bus.send(QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.GlobalShortcuts"), QStringLiteral("Activated"))
               << QVariant::fromValue(QDBusObjectPath(sessionHandle)) << id << qulonglong(1234) << QVariantMap());
}

QDBusObjectPath FakeGlobalShortcutsPortal::respondLater(const QString& token, uint code, const QVariantMap& results) {
    const QString request =
        QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(PortalRequest::senderElement(message().service()), token);
    QTimer::singleShot(0, this, [this, request, code, results] {
        m_bus.send(QDBusMessage::createSignal(request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"))
                   << code << results);
    });
    return QDBusObjectPath(request);
}

QDBusObjectPath FakeGlobalShortcutsPortal::CreateSession(const QVariantMap& options) {
    session = QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
                  .arg(PortalRequest::senderElement(message().service()), options.value(QStringLiteral("session_handle_token")).toString());
    return respondLater(options.value(QStringLiteral("handle_token")).toString(), 0, {{QStringLiteral("session_handle"), session}});
}

QDBusObjectPath FakeGlobalShortcutsPortal::BindShortcuts(const QDBusObjectPath& sessionHandle, const QList<vocena::PortalShortcut>& shortcuts,
                                                         const QString&, const QVariantMap& options) {
    boundSession = sessionHandle.path();
    bound = shortcuts;
    return respondLater(options.value(QStringLiteral("handle_token")).toString(), bindResponse, {});
}

}  // namespace vocena::test
