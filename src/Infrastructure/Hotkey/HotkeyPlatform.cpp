#include "Infrastructure/Hotkey/HotkeyPlatform.h"

#include "Infrastructure/Hotkey/ModifierKeyMonitor.h"
#include "Infrastructure/Hotkey/X11ModifierFlagSource.h"
#include "Infrastructure/TextInjection/TextInjectionPlatform.h"

namespace vocena::HotkeyPlatform {

bool install() {
    if (!TextInjectionPlatform::hasDisplay()) return false;
    ModifierKeyMonitor::shared().setFlagSource(std::make_unique<X11ModifierFlagSource>());
    return true;
}

}  // namespace vocena::HotkeyPlatform
