#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <chrono>
#include <functional>

struct wl_display;
struct wl_interface;
struct wl_registry;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwlr_data_control_manager_v1;

class QSocketNotifier;

namespace vocena {

// A client connection of its own to the Wayland compositor named by WAYLAND_DISPLAY, whatever
// Qt's platform is (the app may run on XWayland). Binds the first seat and the two wlroots
// managers that typing needs, the virtual keyboard and data-control. Without WAYLAND_DISPLAY
// nothing is connected (a compositor on the default socket is not the user's session then).
//
// When the compositor goes away or ends the connection with a protocol error, the connection
// says so in the log, reports itself unavailable and never touches the socket again: the
// objects created on it stay valid memory and every request on them is dropped.
class WaylandConnection final : public QObject {
    Q_OBJECT

public:
    // Connects and waits (bounded by `limit`) for the compositor's globals. Usable on any thread
    // until watch() is called.
    explicit WaylandConnection(std::chrono::milliseconds limit = std::chrono::seconds(2));
    ~WaylandConnection() override;

    // The process's connection, watched on the main thread; created on first use. Main thread.
    static WaylandConnection& shared();

    bool isConnected() const;
    // Both wlroots protocols are offered for a seat.
    bool offersWlrootsTyping() const { return isConnected() && m_seat && m_virtualKeyboards && m_dataControl; }
    // What the compositor lacks, in the user's words; empty when offersWlrootsTyping().
    QString missing() const;

    wl_display* display() const { return m_display; }
    wl_seat* seat() const { return m_seat; }
    // The seat's devices as the compositor last told (wl_seat_capability bits, after dispatch).
    // A pointer or keyboard may only be asked of a seat that has or had one.
    uint32_t seatCapabilities() const { return m_seatCapabilities; }
    zwp_virtual_keyboard_manager_v1* virtualKeyboards() const { return m_virtualKeyboards; }
    zwlr_data_control_manager_v1* dataControl() const { return m_dataControl; }
    uint32_t dataControlVersion() const { return m_dataControlVersion; }

    // Binds the global with `interface` at `version` or the compositor's lower one; null when
    // the compositor has none. The caller adds its listener before the next dispatch.
    void* bind(const wl_interface* interface, uint32_t version);

    // Dispatches the compositor's events from the event loop of the calling thread from now on.
    void watch();
    // Sends the requests made so far. False when the connection is gone.
    bool flush();
    // Dispatches events until the compositor has handled every request made before (a sync),
    // at most for `limit`. False on time-out or when the connection is gone.
    bool roundtrip(std::chrono::milliseconds limit);
    // Waits up to `limit` for events of the compositor or for `fd` (-1: none) to become
    // readable, and dispatches what arrived. Returns poll's revents of `fd` (0 when it did not
    // become ready), or -1 when the connection is gone.
    int dispatchOnce(int fd, std::chrono::milliseconds limit);

Q_SIGNALS:
    void lost();

private:
    static void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version);
    static void globalRemove(void* data, wl_registry* registry, uint32_t name);
    void markLost();

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    wl_seat* m_seat = nullptr;
    uint32_t m_seatCapabilities = 0;
    zwp_virtual_keyboard_manager_v1* m_virtualKeyboards = nullptr;
    zwlr_data_control_manager_v1* m_dataControl = nullptr;
    uint32_t m_dataControlVersion = 0;
    struct Global {
        uint32_t name;
        uint32_t version;
    };
    QHash<QByteArray, Global> m_globals;  // the others, by interface name
    QSocketNotifier* m_notifier = nullptr;
    bool m_lost = false;
};

}  // namespace vocena
