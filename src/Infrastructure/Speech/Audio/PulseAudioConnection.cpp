#include "Infrastructure/Speech/Audio/PulseAudioConnection.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>

namespace vocena {

PulseAudioConnection::PulseAudioConnection() : m_loop(pa_threaded_mainloop_new()) {
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "澄言");
}

PulseAudioConnection::~PulseAudioConnection() {
    pa_threaded_mainloop_stop(m_loop);
    if (m_context) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
    }
    pa_threaded_mainloop_free(m_loop);
}

bool PulseAudioConnection::connect(Deadline deadline, QString* error) {
    if (!m_context) {
        *error = QStringLiteral("无法创建声音服务器连接");
        return false;
    }
    pa_context_set_state_callback(m_context, [](pa_context*, void* self) { wake(self); }, this);
    // Connecting fails at once (or never starts) when no server address is known.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 || pa_threaded_mainloop_start(m_loop) < 0) {
        *error = QStringLiteral("没有声音服务器: %1").arg(lastError());
        return false;
    }
    Lock lock(*this);
    const auto settled = [this] {
        const pa_context_state_t state = pa_context_get_state(m_context);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    };
    if (!waitUntil(settled, deadline)) {
        *error = QStringLiteral("声音服务器没有响应");
        return false;
    }
    if (pa_context_get_state(m_context) != PA_CONTEXT_READY) {
        *error = QStringLiteral("没有声音服务器: %1").arg(lastError());
        return false;
    }
    return true;
}

PulseAudioConnection::Lock::Lock(const PulseAudioConnection& connection) : m_loop(connection.m_loop) {
    pa_threaded_mainloop_lock(m_loop);
}

PulseAudioConnection::Lock::~Lock() { pa_threaded_mainloop_unlock(m_loop); }

bool PulseAudioConnection::waitUntil(const std::function<bool()>& done, Deadline deadline) {
    const auto remaining = std::chrono::duration_cast<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now());
    if (done()) return true;
    if (remaining.count() <= 0) return false;
    // A timer on the loop wakes the wait when the deadline passes.
    m_deadlinePassed = false;
    timeval when;
    pa_timeval_add(pa_gettimeofday(&when), pa_usec_t(remaining.count()));
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
    pa_time_event* timer = api->time_new(api, &when, &PulseAudioConnection::onDeadline, this);
    while (!done() && !m_deadlinePassed) pa_threaded_mainloop_wait(m_loop);
    api->time_free(timer);
    return done();
}

void PulseAudioConnection::wake(void* self) {
    pa_threaded_mainloop_signal(static_cast<PulseAudioConnection*>(self)->m_loop, 0);
}

void PulseAudioConnection::onDeadline(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
    static_cast<PulseAudioConnection*>(self)->m_deadlinePassed = true;
    wake(self);
}

QString PulseAudioConnection::lastError() const {
    return QString::fromUtf8(pa_strerror(m_context ? pa_context_errno(m_context) : PA_ERR_INTERNAL));
}

}  // namespace vocena
