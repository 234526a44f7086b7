#include "Infrastructure/Hotkey/HotkeyPlatform.h"

#include "Infrastructure/Hotkey/ModifierKeyMonitor.h"
#include "Infrastructure/Hotkey/X11ModifierFlagSource.h"
#include "Infrastructure/X11/X11Display.h"

namespace vocena::HotkeyPlatform {

bool install() {
    if (!X11Display::available()) return false;
    ModifierKeyMonitor::shared().setFlagSource(std::make_unique<X11ModifierFlagSource>());
    return true;
}

}  // namespace vocena::HotkeyPlatform
