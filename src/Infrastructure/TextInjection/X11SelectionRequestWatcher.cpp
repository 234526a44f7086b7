// Qt before xcb, as with Xlib.
#include <QCoreApplication>

#include "Infrastructure/TextInjection/X11SelectionRequestWatcher.h"
#include "Infrastructure/X11/X11QtConnection.h"

#include <xcb/xcb.h>

namespace vocena {

X11SelectionRequestWatcher::X11SelectionRequestWatcher(std::function<void(quint32 client)> onRequest)
    : m_onRequest(std::move(onRequest)) {
    if (QCoreApplication* app = QCoreApplication::instance()) app->installNativeEventFilter(this);
}

X11SelectionRequestWatcher::~X11SelectionRequestWatcher() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
}

bool X11SelectionRequestWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_SELECTION_REQUEST) return false;
    const auto* request = reinterpret_cast<const xcb_selection_request_event_t*>(event);
    const bool selection = request->selection == XCB_ATOM_PRIMARY || request->selection == X11QtConnection::atom("CLIPBOARD");
    const bool read = request->target != X11QtConnection::atom("TARGETS") && request->target != X11QtConnection::atom("TIMESTAMP");
    if (selection && read) m_onRequest(X11QtConnection::clientOf(request->requestor));
    return false;  // Qt answers it
}

}  // namespace vocena
