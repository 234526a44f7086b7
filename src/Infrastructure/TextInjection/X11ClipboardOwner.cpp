// Qt before xcb, as with Xlib.
#include <QClipboard>
#include <QGuiApplication>

#include "Infrastructure/TextInjection/X11ClipboardOwner.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <optional>

namespace vocena::X11ClipboardOwner {

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

xcb_atom_t clipboardAtom(xcb_connection_t* connection) {
    static xcb_atom_t atom = XCB_ATOM_NONE;
    if (atom == XCB_ATOM_NONE) {
        const std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> reply(
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, 9, "CLIPBOARD"), nullptr));
        if (reply) atom = reply->atom;
    }
    return atom;
}

QGuiApplication* guiApplication() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()); }

// What the X server says; nullopt when the application does not run on xcb.
std::optional<bool> serverSaysOurs() {
    QGuiApplication* app = guiApplication();
    auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) return std::nullopt;
    const xcb_atom_t atom = clipboardAtom(connection);
    if (atom == XCB_ATOM_NONE) return std::nullopt;
    const std::unique_ptr<xcb_get_selection_owner_reply_t, FreeReply> reply(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom), nullptr));
    if (!reply) return std::nullopt;
    if (reply->owner == XCB_WINDOW_NONE) return false;
    // Every resource a connection creates carries that connection's resource-id base.
    const xcb_setup_t* setup = xcb_get_setup(connection);
    return (reply->owner & ~setup->resource_id_mask) == setup->resource_id_base;
}

}  // namespace

QClipboard* clipboard() { return guiApplication() ? QGuiApplication::clipboard() : nullptr; }

bool ownedByThisProcess() {
    QClipboard* board = clipboard();
    return board && board->ownsClipboard() && serverSaysOurs().value_or(true);
}

}  // namespace vocena::X11ClipboardOwner
