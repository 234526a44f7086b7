#include "Infrastructure/Platform/DesktopSession.h"

#include <QByteArray>
#include <QtGlobal>

namespace vocena::DesktopSession {

bool isWayland() { return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland"; }

}  // namespace vocena::DesktopSession
