#include "Infrastructure/Hotkey/PortalShortcut.h"

#include <QDBusMetaType>

namespace vocena {

void registerPortalShortcutTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
        return true;
    }();
    Q_UNUSED(registered);
}

}  // namespace vocena
