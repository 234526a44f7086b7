#pragma once

#include <QCoro/QCoroTask>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <chrono>

namespace vocena {

// The start/stop shortcut through the desktop's GlobalShortcuts portal (xdg-desktop-portal's
// org.freedesktop.portal.GlobalShortcuts, offered by KDE Plasma), for Wayland sessions where
// no key can be watched globally: one session, one shortcut "toggle-recording" that the user
// assigns a key to in the desktop's dialog or settings. A modifier-only double tap cannot be
// expressed there. Main thread.
class GlobalShortcutsPortal final : public QObject {
    Q_OBJECT

public:
    static inline const QString serviceName = QStringLiteral("org.freedesktop.portal.Desktop");
    static inline const QString objectPath = QStringLiteral("/org/freedesktop/portal/desktop");
    static inline const QString interfaceName = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
    static inline const QString shortcutId = QStringLiteral("toggle-recording");
    static inline const QString shortcutDescription = QStringLiteral("开始/停止录音");
    // The portal answers calls at once; binding may wait for the user to choose a key.
    static constexpr std::chrono::milliseconds callTimeout{5000};
    static constexpr std::chrono::milliseconds bindTimeout{120000};

    explicit GlobalShortcutsPortal(QDBusConnection bus, QObject* parent = nullptr);

    // Asks whether the portal offers GlobalShortcuts and, if so, creates a session and binds
    // the shortcut. True when bound. Logs one line: bound, not offered, or why it failed.
    QCoro::Task<bool> start();
    bool isBound() const { return !m_session.isEmpty(); }

Q_SIGNALS:
    // The user pressed the shortcut.
    void activated();

private Q_SLOTS:
    void onActivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp, const QVariantMap& options);

private:
    QCoro::Task<bool> offered();
    QCoro::Task<QString> createSession();
    QCoro::Task<bool> bind(QString session);
    QDBusMessage portalCall(const QString& method, const QVariantList& arguments) const;

    QDBusConnection m_bus;
    QString m_session;  // the session's handle once the shortcut is bound
};

}  // namespace vocena
