#pragma once

#include "Infrastructure/Permissions/PermissionManager.h"

namespace vocena {

// The "accessibility" permission on a wlroots compositor: typing works when it offers the
// virtual keyboard and data-control for a seat. Asked on a connection of its own, bounded to
// about a second; any thread.
class WlrootsAccessibilityProbe {
public:
    // `x11` (the X display's answer) when it types; else the compositor's answer when that
    // types; else `x11` with what the compositor lacks added to its detail (in a Wayland session).
    static AccessibilityCheck check(const AccessibilityCheck& x11);
};

}  // namespace vocena
