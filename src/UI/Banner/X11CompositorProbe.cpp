#include "UI/Banner/X11CompositorProbe.h"

#include "Infrastructure/X11/X11QtConnection.h"

#include <QByteArray>
#include <cstdlib>
#include <xcb/xcb.h>

namespace vocena::X11CompositorProbe {

bool compositorRunning() {
    xcb_connection_t* connection = X11QtConnection::connection();
    if (!connection) return false;
    int screen = 0;
    char* host = nullptr;
    int displayNumber = 0;
    if (xcb_parse_display(nullptr, &host, &displayNumber, &screen)) std::free(host);
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
    const quint32 selection = X11QtConnection::atom(name.constData());
    if (!selection) return false;
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool owned = reply && reply->owner != XCB_NONE;
    std::free(reply);
    return owned;
}

}  // namespace vocena::X11CompositorProbe
