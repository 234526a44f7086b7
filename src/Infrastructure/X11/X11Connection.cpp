// Qt before Xlib: Xlib's macros (Status, Bool) break Qt headers included after it.
#include "Infrastructure/Platform/Logging.h"

#include "Infrastructure/X11/X11Connection.h"

#include <mutex>
#include <set>

namespace vocena {

namespace {

const Logger logger("X11");

// The error handler is process-wide in Xlib: errors on our connections are ours to ignore,
// errors on anyone else's go to the handler that was there before (Qt installs one that
// ignores them; Xlib's default ends the process).
// Recursive: an error on a connection being closed reaches handleError on the closing thread.
std::recursive_mutex g_mutex;
std::set<Display*> g_ownDisplays;
XErrorHandler g_previousHandler = nullptr;

int handleError(Display* display, XErrorEvent* error) {
    bool own = false;
    XErrorHandler previous = nullptr;
    {
        std::lock_guard lock(g_mutex);
        own = g_ownDisplays.count(display) > 0;
        previous = g_previousHandler;
    }
    if (!own) return previous ? previous(display, error) : 0;
    char text[160] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    logger.debug(QStringLiteral("X11 错误（已忽略）: %1, 请求 %2.%3")
                     .arg(QString::fromLocal8Bit(text))
                     .arg(error->request_code)
                     .arg(error->minor_code));
    return 0;
}

void registerDisplay(Display* display) {
    static std::once_flag installed;
    std::call_once(installed, [] {
        XErrorHandler previous = XSetErrorHandler(handleError);
        std::lock_guard lock(g_mutex);
        g_previousHandler = previous;
    });
    std::lock_guard lock(g_mutex);
    g_ownDisplays.insert(display);
}

}  // namespace

X11Connection::X11Connection() : m_display(XOpenDisplay(nullptr)) {
    if (m_display) registerDisplay(m_display.get());
}

X11Connection::~X11Connection() = default;

void X11Connection::Closer::operator()(Display* display) const {
    // Held across both steps: a connection opened meanwhile on another thread may get the
    // freed address, and its registration must come after this erase, not before.
    std::lock_guard lock(g_mutex);
    XCloseDisplay(display);
    g_ownDisplays.erase(display);
}

}  // namespace vocena
