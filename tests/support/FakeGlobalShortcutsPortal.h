#pragma once

#include "Infrastructure/Hotkey/PortalShortcut.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QObject>

namespace vocena::test {

// Plays xdg-desktop-portal on the bus at `address` (a connection of its own): owns
// org.freedesktop.portal.Desktop and serves org.freedesktop.portal.GlobalShortcuts at
// /org/freedesktop/portal/desktop, answering each call through a Request object's Response
// signal as the real portal does.
class FakeGlobalShortcutsPortal final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)

public:
    explicit FakeGlobalShortcutsPortal(const QByteArray& address);
    ~FakeGlobalShortcutsPortal() override;

    // Takes the name; with `withInterface` false the portal runs without GlobalShortcuts.
    bool start(bool withInterface = true);
    // The user pressed the shortcut `id` of `session`.
    void activate(const QString& id, const QString& session);

    uint version() const { return 1; }

    uint bindResponse = 0;  // 1: the user cancelled the dialog
    QString session;  // the handle given to the last session
    QString boundSession;
    QList<PortalShortcut> bound;

public Q_SLOTS:
    QDBusObjectPath CreateSession(const QVariantMap& options);
    QDBusObjectPath BindShortcuts(const QDBusObjectPath& session, const QList<vocena::PortalShortcut>& shortcuts,
                                  const QString& parentWindow, const QVariantMap& options);

private:
    // The request path for the caller's `token`, answered with `code` and `results` once the reply is out.
    QDBusObjectPath respondLater(const QString& token, uint code, const QVariantMap& results);

    QString m_connectionName;
    QDBusConnection m_bus;
};

}  // namespace vocena::test
