#pragma once

// Xlib: include only from the X11 implementation files (its macros clash with Qt's names).
#include <X11/Xlib.h>

#include <memory>

namespace vocena {

// A connection of its own to the X display named by DISPLAY, closed with the object. Protocol
// errors on it (a window destroyed between two requests gives BadWindow) are logged and
// ignored instead of ending the process, as Xlib's default error handler would.
class X11Connection {
public:
    X11Connection();
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    // Null when the display could not be opened.
    Display* display() const { return m_display.get(); }

private:
    struct Closer {
        void operator()(Display* display) const;
    };
    std::unique_ptr<Display, Closer> m_display;
};

}  // namespace vocena
