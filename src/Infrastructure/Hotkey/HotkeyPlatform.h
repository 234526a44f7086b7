#pragma once

namespace vocena::HotkeyPlatform {

// Gives ModifierKeyMonitor::shared() the modifier-flag source of the display the process runs
// on, once, at start-up before monitoring starts: XInput2 raw key and button events on X11
// (platform "xcb"). Elsewhere it has none and monitoring reports itself unavailable. Returns
// whether a source was installed. Main thread.
bool install();

}  // namespace vocena::HotkeyPlatform
