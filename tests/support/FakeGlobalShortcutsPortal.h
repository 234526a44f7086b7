#pragma once

#include "Infrastructure/Hotkey/PortalRequest.h"
#include "Infrastructure/Hotkey/PortalShortcut.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QTimer>

namespace vocena::test {

// Plays xdg-desktop-portal on the bus at `address` (a connection of its own): owns
// org.freedesktop.portal.Desktop and serves org.freedesktop.portal.GlobalShortcuts at
// /org/freedesktop/portal/desktop, answering each call through a Request object's Response
// signal as the real portal does. Listed among the sources of the targets that use it, for moc.
class FakeGlobalShortcutsPortal final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)

public:
    explicit FakeGlobalShortcutsPortal(const QByteArray& address)
        : m_connectionName(QStringLiteral("fake-portal-%1").arg(++connections)),
          m_bus(QDBusConnection::connectToBus(QString::fromUtf8(address), m_connectionName)) {
        registerPortalShortcutTypes();
    }
    ~FakeGlobalShortcutsPortal() override {
        m_bus.unregisterService(service());
        m_bus.unregisterObject(path());
        QDBusConnection::disconnectFromBus(m_connectionName);
    }

    // Takes the name, with GlobalShortcuts on the portal's object.
    bool start() {
        const auto exported = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties;
        return m_bus.registerObject(path(), this, exported) && m_bus.registerService(service());
    }
    // The user pressed the shortcut `id` of `session`.
    void activate(const QString& id, const QString& session) {
        m_bus.send(QDBusMessage::createSignal(path(), QStringLiteral("org.freedesktop.portal.GlobalShortcuts"), QStringLiteral("Activated"))
                   << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1234) << QVariantMap());
    }

    uint version() const { return 1; }

    uint bindResponse = 0;  // 1: the user cancelled the dialog
    QString session;  // the handle given to the last session
    QString boundSession;
    QList<PortalShortcut> bound;

public Q_SLOTS:
    QDBusObjectPath CreateSession(const QVariantMap& options) {
        session = QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
                      .arg(PortalRequest::senderElement(message().service()), options.value(QStringLiteral("session_handle_token")).toString());
        return respondLater(options.value(QStringLiteral("handle_token")).toString(), 0, {{QStringLiteral("session_handle"), session}});
    }
    QDBusObjectPath BindShortcuts(const QDBusObjectPath& sessionHandle, const QList<vocena::PortalShortcut>& shortcuts,
                                  const QString& /*parentWindow*/, const QVariantMap& options) {
        boundSession = sessionHandle.path();
        bound = shortcuts;
        return respondLater(options.value(QStringLiteral("handle_token")).toString(), bindResponse, {});
    }

private:
    static QString service() { return QStringLiteral("org.freedesktop.portal.Desktop"); }
    static QString path() { return QStringLiteral("/org/freedesktop/portal/desktop"); }
    // The request path for the caller's `token`, answered with `code` and `results` once the reply is out.
    QDBusObjectPath respondLater(const QString& token, uint code, const QVariantMap& results) {
        const QString request =
            QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(PortalRequest::senderElement(message().service()), token);
        QTimer::singleShot(0, this, [this, request, code, results] {
            m_bus.send(QDBusMessage::createSignal(request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"))
                       << code << results);
        });
        return QDBusObjectPath(request);
    }

    static inline int connections = 0;  // the number in each connection's name
    QString m_connectionName;
    QDBusConnection m_bus;
};

}  // namespace vocena::test
