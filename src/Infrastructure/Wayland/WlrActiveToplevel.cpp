#include "Infrastructure/Wayland/WlrActiveToplevel.h"

#include "Infrastructure/Wayland/WaylandConnection.h"

#include <chrono>
#include <wayland-client.h>

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace vocena {

using namespace std::chrono_literals;

// One window; its changes count once the compositor says they are complete (done).
struct WlrActiveToplevel::Toplevel {
    QByteArray appId, pendingAppId;
    bool active = false, pendingActive = false;
};

namespace {

using Handle = zwlr_foreign_toplevel_handle_v1;

bool holdsActivated(wl_array* states) {
    const auto* state = static_cast<const uint32_t*>(states->data);
    for (size_t i = 0; i < states->size / sizeof(uint32_t); ++i)
        if (state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED) return true;
    return false;
}

}  // namespace

WlrActiveToplevel::WlrActiveToplevel(WaylandConnection& connection) : m_connection(connection) {
    // Version 1 has every event needed here.
    m_manager = static_cast<zwlr_foreign_toplevel_manager_v1*>(connection.bind(&zwlr_foreign_toplevel_manager_v1_interface, 1));
    if (!m_manager) return;
    static const zwlr_foreign_toplevel_handle_v1_listener handleListener = {
        [](void*, Handle*, const char*) {},  // title
        [](void* data, Handle* handle, const char* appId) {
            if (Toplevel* toplevel = static_cast<WlrActiveToplevel*>(data)->find(handle)) toplevel->pendingAppId = appId;
        },
        [](void*, Handle*, wl_output*) {},  // output_enter
        [](void*, Handle*, wl_output*) {},  // output_leave
        [](void* data, Handle* handle, wl_array* states) {
            if (Toplevel* toplevel = static_cast<WlrActiveToplevel*>(data)->find(handle)) toplevel->pendingActive = holdsActivated(states);
        },
        [](void* data, Handle* handle) {
            if (Toplevel* toplevel = static_cast<WlrActiveToplevel*>(data)->find(handle)) {
                toplevel->appId = toplevel->pendingAppId;
                toplevel->active = toplevel->pendingActive;
            }
        },
        [](void* data, Handle* handle) {
            static_cast<WlrActiveToplevel*>(data)->m_toplevels.erase(handle);
            zwlr_foreign_toplevel_handle_v1_destroy(handle);
        },
        [](void*, Handle*, Handle*) {},  // parent (version 3)
    };
    static const zwlr_foreign_toplevel_manager_v1_listener managerListener = {
        [](void* data, zwlr_foreign_toplevel_manager_v1*, Handle* handle) {
            static_cast<WlrActiveToplevel*>(data)->m_toplevels.emplace(handle, std::make_unique<Toplevel>());
            zwlr_foreign_toplevel_handle_v1_add_listener(handle, &handleListener, data);
        },
        [](void* data, zwlr_foreign_toplevel_manager_v1* manager) {
            auto* self = static_cast<WlrActiveToplevel*>(data);
            zwlr_foreign_toplevel_manager_v1_destroy(manager);
            self->m_manager = nullptr;
        },
    };
    zwlr_foreign_toplevel_manager_v1_add_listener(m_manager, &managerListener, this);
    connection.roundtrip(1s);
}

WlrActiveToplevel::~WlrActiveToplevel() {
    for (const auto& [handle, toplevel] : m_toplevels) zwlr_foreign_toplevel_handle_v1_destroy(handle);
    if (m_manager) zwlr_foreign_toplevel_manager_v1_destroy(m_manager);
}

WlrActiveToplevel::Toplevel* WlrActiveToplevel::find(zwlr_foreign_toplevel_handle_v1* handle) {
    const auto found = m_toplevels.find(handle);
    return found == m_toplevels.end() ? nullptr : found->second.get();
}

QByteArray WlrActiveToplevel::appId() {
    m_connection.dispatchOnce(-1, 0ms);
    for (const auto& [handle, toplevel] : m_toplevels)
        if (toplevel->active) return toplevel->appId;
    return {};
}

}  // namespace vocena
