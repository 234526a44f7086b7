#include "Infrastructure/Permissions/WlrootsAccessibilityProbe.h"

#include "Infrastructure/Platform/DesktopSession.h"
#include "Infrastructure/Wayland/WaylandTyping.h"

namespace vocena {

AccessibilityCheck WlrootsAccessibilityProbe::check(const AccessibilityCheck& x11) {
    if ((x11.trusted && x11.realOperationWorks) || !DesktopSession::isWayland()) return x11;
    const AccessibilityCheck wlroots = WaylandTyping::check();
    if (wlroots.trusted && wlroots.realOperationWorks) return wlroots;
    AccessibilityCheck result = x11;
    result.detail = x11.detail.isEmpty() ? wlroots.detail : wlroots.detail + QStringLiteral("；") + x11.detail;
    return result;
}

}  // namespace vocena
