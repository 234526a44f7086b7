#pragma once

namespace vocena::X11Display {

// Whether the process runs a QGuiApplication on an X11 display (platform "xcb"): the X11
// backends of typing, the modifier keys and the permission check are chosen on this.
bool available();

}  // namespace vocena::X11Display
