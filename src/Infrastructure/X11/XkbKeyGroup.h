#pragma once

// Xlib: include only from the X11 implementation files.
#include <X11/XKBlib.h>

namespace vocena {

// The group of `key` that is in effect while the keyboard is in `group`: a key with fewer
// groups (Alt and Control usually have one) wraps, clamps or redirects as its mapping says.
// -1 when the key has no group at all.
int xkbKeyGroup(XkbDescPtr xkb, KeyCode key, int group);

}  // namespace vocena
