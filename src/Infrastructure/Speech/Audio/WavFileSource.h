#pragma once

#include "Infrastructure/Speech/Audio/AudioSource.h"

#include <atomic>
#include <thread>
#include <vector>

namespace vocena {

// A WAV file as an audio source: start() reads and converts the whole file (see WavReader),
// then a thread of its own delivers it in buffers of kFramesPerBuffer frames, as fast as the
// handler takes them, and calls the end handler.
class WavFileSource final : public AudioSource {
public:
    explicit WavFileSource(QString path) : m_path(std::move(path)) {}
    ~WavFileSource() override { stop(); }

    bool start(BufferHandler onBuffer, EndHandler onEnd, QString* error) override;
    void stop() override;
    QString formatDescription() const override;

private:
    const QString m_path;
    QString m_sourceFormat;
    std::vector<float> m_samples;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

}  // namespace vocena
