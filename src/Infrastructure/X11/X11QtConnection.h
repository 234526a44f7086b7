#pragma once

#include <QtGlobal>
#include <optional>

struct xcb_connection_t;

// Qt's own connection to the X display (the application runs on xcb), for the few requests
// that must come from the connection that owns the clipboard or sees its events. Main thread.
//
// Every resource (window, pixmap) a client creates carries that client's resource-id base, so
// the base of a window tells which client, and so which application, it belongs to.
namespace vocena::X11QtConnection {

// Null when the application does not run a QGuiApplication on xcb.
xcb_connection_t* connection();

// The client that created the resource `id`.
quint32 clientOf(quint32 id);
// This process's client on Qt's connection; nullopt without one.
std::optional<quint32> thisClient();
// The client of the window that has the keyboard focus: when the focus follows the pointer (it
// is PointerRoot or the root window), of the window under the pointer; the server's client 0
// when there is no focus at all; nullopt when the server does not answer.
std::optional<quint32> focusedClient();

// The atom named `name` (interned once, then cached); 0 without a connection.
quint32 atom(const char* name);

}  // namespace vocena::X11QtConnection
