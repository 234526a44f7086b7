#pragma once

#include <QByteArray>
#include <map>
#include <memory>

struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;

namespace vocena {

class WaylandConnection;

// Which application's window is active, on compositors that tell their taskbars
// (zwlr_foreign_toplevel_management_v1; sway, Hyprland, labwc): the app id of the active
// toplevel (the WM_CLASS for XWayland windows). Main thread, on a watched connection.
class WlrActiveToplevel {
public:
    explicit WlrActiveToplevel(WaylandConnection& connection);
    ~WlrActiveToplevel();
    WlrActiveToplevel(const WlrActiveToplevel&) = delete;
    WlrActiveToplevel& operator=(const WlrActiveToplevel&) = delete;

    // The active window's app id, after the events that arrived; empty when no window is active
    // or the compositor does not tell.
    QByteArray appId();

private:
    struct Toplevel;
    Toplevel* find(zwlr_foreign_toplevel_handle_v1* handle);

    WaylandConnection& m_connection;
    zwlr_foreign_toplevel_manager_v1* m_manager = nullptr;
    std::map<zwlr_foreign_toplevel_handle_v1*, std::unique_ptr<Toplevel>> m_toplevels;
};

}  // namespace vocena
