#pragma once

#include "Infrastructure/Permissions/PermissionManager.h"
#include "Infrastructure/Wayland/WlrSelections.h"

#include <QCoro/QCoroTask>

namespace vocena {

class TextInjectionService;

// Typing on a wlroots compositor (sway, Hyprland, river, labwc): the virtual keyboard and the
// data-control clipboard, on the compositor named by WAYLAND_DISPLAY. A build without the
// Wayland client library has none of it (every answer says so).
namespace WaylandTyping {

// What this process still serves on the compositor's selections.
using ServedContent = QList<QPair<PasteSelection, SelectionFormats>>;

// Whether the compositor offers both protocols for a seat, asked on a connection of its own
// (bounded, about a second at most; any thread). The detail names the compositor's socket, or
// says what is missing.
AccessibilityCheck check();

// The process's service over the two protocols; null when they are not offered. Main thread;
// lives until the event loop ends. As on X11, signals during a paste put the clipboard back
// first, and what the process still serves on the clipboard when the event loop ends goes to
// a keeper process.
TextInjectionService* shared();

// What this process still serves on the clipboard and the primary selection (empty when it
// serves nothing or never connected).
ServedContent servedContent();
// The keeper's side: serves `content` and returns when other clients have taken every
// selection, or the compositor went away. False when it could not be served.
QCoro::Task<bool> keep(ServedContent content);

}  // namespace WaylandTyping
}  // namespace vocena
