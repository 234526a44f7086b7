#pragma once

#include <QDBusConnection>
#include <QString>

namespace vocena {

// A message for the desktop's notification server (org.freedesktop.Notifications), titled
// "澄言": what the banner would have said where no banner can be shown without taking the
// keyboard focus. Sent without waiting for an answer; a desktop without the server shows nothing.
namespace DesktopNotice {

void show(const QString& message, QDBusConnection bus = QDBusConnection::sessionBus());

}  // namespace DesktopNotice
}  // namespace vocena
