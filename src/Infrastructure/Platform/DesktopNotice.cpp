#include "Infrastructure/Platform/DesktopNotice.h"

#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace vocena::DesktopNotice {

void show(const QString& message, QDBusConnection bus) {
    QDBusMessage notify = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
                                                         QStringLiteral("/org/freedesktop/Notifications"),
                                                         QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // app name, id to replace (none), icon, summary, body, actions, hints, timeout (the server's).
    notify << QStringLiteral("澄言") << 0u << QStringLiteral("vocena") << QStringLiteral("澄言") << message << QStringList()
           << QVariantMap() << -1;
    notify.setAutoStartService(false);
    bus.send(notify);
}

}  // namespace vocena::DesktopNotice
