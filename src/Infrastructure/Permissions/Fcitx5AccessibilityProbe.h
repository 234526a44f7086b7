#pragma once

#include "Infrastructure/Permissions/PermissionManager.h"

#include <QCoro/QCoroTask>
#include <QDBusConnection>

namespace vocena {

// The "accessibility" permission through the input method: fcitx5 owns its name on `bus` and
// the bridge loaded into it answers Version() with the version this program speaks. Asks the
// bus first, never starts fcitx5; each call is bounded by the bridge's call time-out, so the
// answer comes within about a second. Main thread.
class Fcitx5AccessibilityProbe {
public:
    // Trusted and working when the bridge answers; the detail says what was found.
    static QCoro::Task<AccessibilityCheck> check(QDBusConnection bus);
};

}  // namespace vocena
