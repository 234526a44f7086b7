#pragma once

#include "Infrastructure/Speech/Audio/AudioSource.h"

#include <array>
#include <chrono>
#include <memory>

struct pa_stream;

namespace vocena {

class PulseAudioConnection;

// The microphone: a record stream from the sound server's default source, converted by the
// server to 16 kHz mono float. Buffers of exactly 1024 frames (64 ms) are assembled in a
// fixed array and handed over on the connection's loop thread (the capture thread); the
// stream asks for 64 ms fragments so that audio arrives about as fast as it fills a buffer.
//
// start() waits for the stream at most `timeout` (a server that hangs) and fails at once when
// there is no server. If the stream dies while capturing (the server quits, the source goes
// away: the stream is never moved to another source), the end handler runs once. stop() and the destructor must not be called from a
// handler.
class PulseAudioCapture final : public AudioSource {
public:
    explicit PulseAudioCapture(std::chrono::milliseconds timeout = std::chrono::seconds(2));
    ~PulseAudioCapture() override;

    bool start(BufferHandler onBuffer, EndHandler onEnd, QString* error) override;
    void stop() override;
    QString formatDescription() const override;

private:
    static void onStreamState(pa_stream* stream, void* self);
    static void onReadable(pa_stream* stream, size_t bytes, void* self);
    bool openStream(std::chrono::steady_clock::time_point deadline, QString* error);
    void append(const float* samples, int frames);  // null samples: a hole, appended as silence
    void releaseStream();

    std::chrono::milliseconds m_timeout;
    std::unique_ptr<PulseAudioConnection> m_connection;
    pa_stream* m_stream = nullptr;
    BufferHandler m_onBuffer;
    EndHandler m_onEnd;
    bool m_ready = false;  // the stream reached the ready state (loop thread, under the lock)
    std::array<float, kFramesPerBuffer> m_buffer{};
    int m_filled = 0;
    QString m_sourceName;
};

}  // namespace vocena
