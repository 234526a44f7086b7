// Qt before xcb, as with Xlib.
#include <QByteArray>
#include <QGuiApplication>
#include <QHash>

#include "Infrastructure/X11/X11QtConnection.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace vocena::X11QtConnection {

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, FreeReply>;

}  // namespace

xcb_connection_t* connection() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

quint32 clientOf(quint32 id) {
    xcb_connection_t* c = connection();
    return c ? id & ~xcb_get_setup(c)->resource_id_mask : id;
}

std::optional<quint32> thisClient() {
    xcb_connection_t* c = connection();
    if (!c) return std::nullopt;
    return xcb_get_setup(c)->resource_id_base;
}

namespace {

// The client of the deepest window under the pointer, where keys go when the focus follows the
// pointer; nullopt when the server does not say.
std::optional<quint32> clientUnderPointer(xcb_connection_t* c) {
    xcb_window_t window = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    for (int depth = 0; depth < 64; ++depth) {  // (a window tree is never that deep)
        const ReplyPointer<xcb_query_pointer_reply_t> pointer(xcb_query_pointer_reply(c, xcb_query_pointer(c, window), nullptr));
        if (!pointer) return std::nullopt;
        if (!pointer->same_screen) window = pointer->root;  // the pointer is on another screen
        else if (pointer->child == XCB_NONE) return clientOf(window);
        else window = pointer->child;
    }
    return std::nullopt;
}

}  // namespace

std::optional<quint32> focusedClient() {
    xcb_connection_t* c = connection();
    if (!c) return std::nullopt;
    const ReplyPointer<xcb_get_input_focus_reply_t> focus(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (!focus) return std::nullopt;
    // No focus: keys go nowhere, and no application is the target. The server's own client
    // (the root window's) never reads a selection.
    if (focus->focus == XCB_NONE) return 0;
    if (focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT) return clientUnderPointer(c);
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it)) {
        if (it.data->root == focus->focus) return clientUnderPointer(c);
    }
    return clientOf(focus->focus);
}

quint32 atom(const char* name) {
    static QHash<QByteArray, quint32> cache;
    xcb_connection_t* c = connection();
    if (!c) return 0;
    const QByteArray key(name);
    if (const auto found = cache.constFind(key); found != cache.constEnd()) return *found;
    const ReplyPointer<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    const quint32 value = reply ? reply->atom : 0;
    if (value) cache.insert(key, value);
    return value;
}

}  // namespace vocena::X11QtConnection
