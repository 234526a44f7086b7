#pragma once

namespace vocena::HotkeyPlatform {

// Gives ModifierKeyMonitor::shared() the modifier-flag source of the desktop the process runs
// on, once, at start-up after the typing backend was chosen (InputBackendPlatform::choose) and
// before monitoring starts: XInput2 raw key and button events on X11 (platform "xcb"), the
// fcitx5 bridge's key signals when that backend was chosen. With both, one of them runs: XInput2
// on X11, the bridge first in a Wayland session (XWayland sees only X11 windows). Without either
// there is no source and monitoring reports itself unavailable. Returns whether a source was
// installed. Main thread.
bool install();

}  // namespace vocena::HotkeyPlatform
