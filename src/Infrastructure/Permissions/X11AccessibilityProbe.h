#pragma once

#include "Infrastructure/Permissions/PermissionManager.h"

namespace vocena {

// The "accessibility" permission on X11: the display named by DISPLAY opens and offers the
// XTest extension (synthetic key events), and the real operation, reading the window that has
// the input focus, succeeds. Uses a connection of its own, so it works without a GUI
// application and on any thread; blocks while the display does not answer.
class X11AccessibilityProbe {
public:
    // The detail is the display's name when everything works, else the reason.
    static AccessibilityCheck check();
};

}  // namespace vocena
