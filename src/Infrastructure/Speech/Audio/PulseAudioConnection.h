#pragma once

#include <QString>
#include <chrono>
#include <functional>

struct pa_context;
struct pa_threaded_mainloop;
struct pa_time_event;
struct pa_mainloop_api;
struct timeval;

namespace vocena {

// A client connection to the sound server (PulseAudio, or PipeWire's PulseAudio server) with
// a threaded main loop of its own. It never spawns a server, and every wait has a deadline:
// a server that does not answer costs at most the time-out.
//
// Callbacks run on the loop thread with the loop lock held; other threads hold a Lock while
// they touch the context or its streams.
class PulseAudioConnection {
public:
    using Deadline = std::chrono::steady_clock::time_point;

    PulseAudioConnection();
    ~PulseAudioConnection();  // disconnects and joins the loop thread; call without the lock
    PulseAudioConnection(const PulseAudioConnection&) = delete;
    PulseAudioConnection& operator=(const PulseAudioConnection&) = delete;

    // Connects to the server named by PULSE_SERVER, the client configuration or
    // $XDG_RUNTIME_DIR/pulse/native. Call without the lock. False with a readable reason.
    bool connect(Deadline deadline, QString* error);

    pa_context* context() const { return m_context; }
    pa_threaded_mainloop* loop() const { return m_loop; }

    class Lock {
    public:
        explicit Lock(const PulseAudioConnection& connection);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        pa_threaded_mainloop* m_loop;
    };

    // With the lock held: sleeps until `done` holds, re-checking whenever a callback calls
    // wake(). False when the deadline passed first.
    bool waitUntil(const std::function<bool()>& done, Deadline deadline);
    // From a callback: wakes waitUntil(). `self` is the connection.
    static void wake(void* self);
    // The context's last error, for messages.
    QString lastError() const;

private:
    static void onDeadline(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self);

    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    bool m_deadlinePassed = false;
};

}  // namespace vocena
