#include "Infrastructure/Hotkey/HotkeyPlatform.h"

#include "Infrastructure/Hotkey/FirstAvailableModifierFlagSource.h"
#include "Infrastructure/Hotkey/ModifierKeyMonitor.h"
#include "Infrastructure/Hotkey/X11ModifierFlagSource.h"
#include "Infrastructure/InputMethod/Fcitx5ModifierFlagSource.h"
#include "Infrastructure/InputMethod/InputBackendPlatform.h"
#include "Infrastructure/Platform/DesktopSession.h"
#include "Infrastructure/X11/X11Display.h"

namespace vocena::HotkeyPlatform {

bool install() {
    // In a Wayland session an X11 display is XWayland's, which sees only the keys typed into
    // X11 windows: the bridge's keys come first there.
    std::vector<std::unique_ptr<ModifierFlagSource>> sources;
    if (X11Display::available()) sources.push_back(std::make_unique<X11ModifierFlagSource>());
    if (Fcitx5Bridge* bridge = InputBackendPlatform::bridge()) {
        auto fromBridge = std::make_unique<Fcitx5ModifierFlagSource>(*bridge);
        sources.insert(DesktopSession::isWayland() ? sources.begin() : sources.end(), std::move(fromBridge));
    }
    if (sources.empty()) return false;
    ModifierKeyMonitor::shared().setFlagSource(sources.size() == 1 ? std::move(sources.front())
                                                                   : std::make_unique<FirstAvailableModifierFlagSource>(std::move(sources)));
    return true;
}

}  // namespace vocena::HotkeyPlatform
