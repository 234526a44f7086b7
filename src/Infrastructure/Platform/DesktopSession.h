#pragma once

namespace vocena::DesktopSession {

// Whether the user's desktop is a Wayland session (WAYLAND_DISPLAY, or XDG_SESSION_TYPE
// "wayland"). There an X11 display is XWayland's: it sees and types into X11 windows only.
bool isWayland();

}  // namespace vocena::DesktopSession
