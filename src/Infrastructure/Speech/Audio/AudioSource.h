#pragma once

#include <QString>
#include <functional>

namespace vocena {

// A source of 16 kHz mono float samples: the microphone (PulseAudio) or a WAV file.
//
// The buffer handler runs on the source's own capture thread, once per buffer of (at most)
// 1024 frames, samples in [-1, 1]; it must not block. The end handler runs on the capture
// thread too, once, when a finite source (a file) has delivered everything.
class AudioSource {
public:
    static constexpr int kSampleRate = 16000;
    static constexpr int kFramesPerBuffer = 1024;

    using BufferHandler = std::function<void(const float* samples, int frames)>;
    using EndHandler = std::function<void()>;

    virtual ~AudioSource() = default;

    // Starts capturing. False (with `error` set to a readable reason) when the device or file
    // cannot be opened; the handlers are then never called.
    virtual bool start(BufferHandler onBuffer, EndHandler onEnd, QString* error) = 0;
    // Stops capturing; when it returns, the handlers are no longer running and will not be
    // called again. Safe to call when not started, and more than once.
    virtual void stop() = 0;
    // For the log: "16000 Hz, 1 ch, float32 (PulseAudio: <source name>)".
    virtual QString formatDescription() const = 0;
};

}  // namespace vocena
