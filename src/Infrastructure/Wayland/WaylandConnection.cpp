#include "Infrastructure/Wayland/WaylandConnection.h"

#include "Infrastructure/Platform/Logging.h"

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <wayland-client.h>

#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace vocena {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

namespace {

const Logger logger("WaylandConnection");

std::chrono::milliseconds remaining(SteadyClock::time_point deadline) {
    return std::max(0ms, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()));
}

}  // namespace

WaylandConnection::WaylandConnection(std::chrono::milliseconds limit) {
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) return;
    m_display = wl_display_connect(nullptr);
    if (!m_display) {
        logger.info(QStringLiteral("无法连接 Wayland 混成器 %1").arg(qEnvironmentVariable("WAYLAND_DISPLAY")));
        return;
    }
    static const wl_registry_listener listener = {&WaylandConnection::global, &WaylandConnection::globalRemove};
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &listener, this);
    if (!roundtrip(limit)) logger.error(QStringLiteral("Wayland 混成器在 %1 ms 内没有应答").arg(limit.count()));
}

WaylandConnection::~WaylandConnection() {
    delete m_notifier;
    if (m_dataControl) zwlr_data_control_manager_v1_destroy(m_dataControl);
    if (m_virtualKeyboards) zwp_virtual_keyboard_manager_v1_destroy(m_virtualKeyboards);
    if (m_seat) wl_seat_destroy(m_seat);
    if (m_registry) wl_registry_destroy(m_registry);
    if (m_display) wl_display_disconnect(m_display);
}

WaylandConnection& WaylandConnection::shared() {
    // Lives as long as the process: the virtual keyboard and the clipboard's sources on it must
    // outlive every object that uses them, up to the clipboard's hand-over at exit.
    static WaylandConnection* connection = [] {
        auto* created = new WaylandConnection;
        created->watch();
        return created;
    }();
    return *connection;
}

void WaylandConnection::global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    auto* self = static_cast<WaylandConnection*>(data);
    if (!self->m_seat && std::strcmp(interface, wl_seat_interface.name) == 0) {
        self->m_seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        static const wl_seat_listener seatListener = [] {
            wl_seat_listener listener{};
            listener.capabilities = [](void* data, wl_seat*, uint32_t capabilities) {
                static_cast<WaylandConnection*>(data)->m_seatCapabilities = capabilities;
            };
            listener.name = [](void*, wl_seat*, const char*) {};
            return listener;
        }();
        wl_seat_add_listener(self->m_seat, &seatListener, self);
    } else if (!self->m_virtualKeyboards && std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0) {
        self->m_virtualKeyboards = static_cast<zwp_virtual_keyboard_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
    } else if (!self->m_dataControl && std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0) {
        // Version 2 adds the primary selection.
        self->m_dataControlVersion = std::min(version, 2u);
        self->m_dataControl = static_cast<zwlr_data_control_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, self->m_dataControlVersion));
    } else if (!self->m_globals.contains(interface)) {
        self->m_globals.insert(interface, {name, version});
    }
}

void* WaylandConnection::bind(const wl_interface* interface, uint32_t version) {
    const auto global = m_globals.constFind(interface->name);
    if (!isConnected() || global == m_globals.constEnd()) return nullptr;
    return wl_registry_bind(m_registry, global->name, interface, std::min(version, global->version));
}

void WaylandConnection::globalRemove(void*, wl_registry*, uint32_t) {
    // A seat or manager that goes away makes its objects inert; the requests on them are ignored.
}

bool WaylandConnection::isConnected() const { return m_display && !m_lost && wl_display_get_error(m_display) == 0; }

QString WaylandConnection::missing() const {
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) return QStringLiteral("没有设置 WAYLAND_DISPLAY（不在 Wayland 会话中）");
    if (!isConnected()) return QStringLiteral("无法连接 Wayland 混成器 %1").arg(qEnvironmentVariable("WAYLAND_DISPLAY"));
    QStringList lacking;
    if (!m_seat) lacking << QStringLiteral("座位（wl_seat）");
    if (!m_virtualKeyboards) lacking << QStringLiteral("虚拟键盘协议（zwp_virtual_keyboard_manager_v1）");
    if (!m_dataControl) lacking << QStringLiteral("剪贴板控制协议（zwlr_data_control_manager_v1）");
    if (lacking.isEmpty()) return {};
    return QStringLiteral("Wayland 混成器没有提供%1").arg(lacking.join(QStringLiteral("和")));
}

void WaylandConnection::watch() {
    if (m_notifier || !isConnected()) return;
    m_notifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { dispatchOnce(-1, 0ms); });
}

bool WaylandConnection::flush() {
    if (!isConnected()) return false;
    // A full socket (EAGAIN) keeps the rest for the next flush.
    if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
        markLost();
        return false;
    }
    return true;
}

int WaylandConnection::dispatchOnce(int fd, std::chrono::milliseconds limit) {
    if (!isConnected()) return -1;
    while (wl_display_prepare_read(m_display) != 0) {
        if (wl_display_dispatch_pending(m_display) < 0) {
            markLost();
            return -1;
        }
    }
    if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(m_display);
        markLost();
        return -1;
    }
    pollfd fds[2] = {{wl_display_get_fd(m_display), POLLIN, 0}, {fd, POLLIN, 0}};
    const int ready = ::poll(fds, fd >= 0 ? 2 : 1, int(limit.count()));
    if (ready > 0 && fds[0].revents != 0) {
        if (wl_display_read_events(m_display) < 0) {
            markLost();
            return -1;
        }
    } else {
        wl_display_cancel_read(m_display);
    }
    if (wl_display_dispatch_pending(m_display) < 0) {
        markLost();
        return -1;
    }
    return fd >= 0 && ready > 0 ? fds[1].revents : 0;
}

bool WaylandConnection::roundtrip(std::chrono::milliseconds limit) {
    if (!isConnected()) return false;
    static const wl_callback_listener doneListener = {[](void* data, wl_callback*, uint32_t) { *static_cast<bool*>(data) = true; }};
    bool done = false;
    wl_callback* callback = wl_display_sync(m_display);
    wl_callback_add_listener(callback, &doneListener, &done);
    const auto deadline = SteadyClock::now() + limit;
    while (!done && isConnected() && SteadyClock::now() < deadline) dispatchOnce(-1, remaining(deadline));
    wl_callback_destroy(callback);
    return done;
}

void WaylandConnection::markLost() {
    if (m_lost) return;
    m_lost = true;
    const int error = m_display ? wl_display_get_error(m_display) : 0;
    logger.error(QStringLiteral("与 Wayland 混成器的连接已断开（%1）").arg(QString::fromLocal8Bit(std::strerror(error ? error : errno))));
    if (m_notifier) m_notifier->setEnabled(false);
    Q_EMIT lost();
}

}  // namespace vocena
