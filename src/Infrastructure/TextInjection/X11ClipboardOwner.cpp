// Qt before xcb, as with Xlib.
#include <QClipboard>
#include <QGuiApplication>

#include "Infrastructure/TextInjection/X11ClipboardOwner.h"
#include "Infrastructure/X11/X11QtConnection.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <optional>

namespace vocena::X11ClipboardOwner {

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

// What the X server says; nullopt when the application does not run on xcb.
std::optional<bool> serverSaysOurs(QClipboard::Mode mode) {
    xcb_connection_t* connection = X11QtConnection::connection();
    if (!connection) return std::nullopt;
    const xcb_atom_t atom = mode == QClipboard::Selection ? xcb_atom_t(XCB_ATOM_PRIMARY) : X11QtConnection::atom("CLIPBOARD");
    if (atom == XCB_ATOM_NONE) return std::nullopt;
    const std::unique_ptr<xcb_get_selection_owner_reply_t, FreeReply> reply(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom), nullptr));
    if (!reply) return std::nullopt;
    if (reply->owner == XCB_WINDOW_NONE) return false;
    return X11QtConnection::clientOf(reply->owner) == X11QtConnection::thisClient();
}

}  // namespace

QClipboard* clipboard() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

bool ownedByThisProcess(QClipboard::Mode mode) {
    QClipboard* board = clipboard();
    if (!board) return false;
    const bool qtSaysOurs = mode == QClipboard::Selection ? board->ownsSelection() : board->ownsClipboard();
    return qtSaysOurs && serverSaysOurs(mode).value_or(true);
}

}  // namespace vocena::X11ClipboardOwner
