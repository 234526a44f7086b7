#pragma once

#include "Infrastructure/Speech/Audio/AudioSource.h"
#include "Infrastructure/Speech/Recognition/RecognitionEngine.h"
#include "Infrastructure/Speech/Recognition/SpeechTypes.h"
#include "Infrastructure/Speech/Recognition/SystemSpeechRecognizer.h"

#include <QStringList>
#include <algorithm>
#include <atomic>
#include <functional>
#include <future>
#include <memory>

namespace vocena::test {

// A recognition engine driven by the test: it records what it is asked and emits what the
// test tells it to.
class FakeRecognitionEngine final : public RecognitionEngine {
public:
    bool available = true;
    quint64 lastTask = 0;
    QStringList calls;  // "start 1", "end 1", "cancel 1"

    bool isAvailable() const override { return available; }
    quint64 start() override {
        calls << QStringLiteral("start %1").arg(++lastTask);
        return lastTask;
    }
    void acceptAudio(quint64, const float*, int) override {}
    void endAudio(quint64 task) override { calls << QStringLiteral("end %1").arg(task); }
    void cancel(quint64 task) override { calls << QStringLiteral("cancel %1").arg(task); }

    void emitResult(const QString& text, bool isFinal, quint64 task = 0) {
        Q_EMIT resultReady(task ? task : lastTask, text, 0.5f, isFinal);
    }
    void emitError(const QString& domain, int code, const QString& description = QStringLiteral("failure")) {
        Q_EMIT errorOccurred(lastTask, EngineError{domain, code, description});
    }
};

// An audio source whose buffers the test pushes (on the test's thread).
class FakeAudioSource final : public AudioSource {
public:
    bool failToStart = false;
    std::shared_future<void> openGate;  // when set, start() waits for it (a slow sound server)
    std::function<void()> onStop;       // told of every stop()
    BufferHandler onBuffer;
    EndHandler onEnd;
    std::atomic<bool> running{false};  // started on a worker thread

    bool start(BufferHandler buffer, EndHandler end, QString* error) override {
        if (openGate.valid()) openGate.wait();
        if (failToStart) {
            *error = QStringLiteral("no device");
            return false;
        }
        onBuffer = std::move(buffer);
        onEnd = std::move(end);
        running = true;
        return true;
    }
    void stop() override {
        running = false;
        if (onStop) onStop();
    }
    QString formatDescription() const override { return QStringLiteral("16000 Hz, 1 ch, float32 (test)"); }
    void push(float amplitude, int frames = kFramesPerBuffer) {
        std::vector<float> samples(size_t(frames), amplitude);
        if (running) onBuffer(samples.data(), frames);
    }
    // `samples` in capture-sized buffers, as the capture thread delivers them.
    void push(const std::vector<float>& samples) {
        for (size_t at = 0; running && at < samples.size(); at += kFramesPerBuffer)
            onBuffer(samples.data() + at, int(std::min<size_t>(kFramesPerBuffer, samples.size() - at)));
    }
};

// An audio-source factory that makes fake sources and points `current` at the newest one,
// which fails to start while `*fails`.
inline std::function<std::unique_ptr<AudioSource>()> fakeAudioSources(FakeAudioSource*& current, const bool* fails = nullptr) {
    return [&current, fails] {
        auto source = std::make_unique<FakeAudioSource>();
        source->failToStart = fails && *fails;
        current = source.get();
        return source;
    };
}

// The real recognizer logic over a scripted engine and the test's microphones: `audio` is the
// newest one, which fails to start while `audioFails`.
struct FakeSpeech {
    explicit FakeSpeech(Scheduler& scheduler) : recognizer(&engine, fakeAudioSources(audio, &audioFails), scheduler) {}
    bool listening() const { return audio && audio->running; }

    FakeRecognitionEngine engine;
    FakeAudioSource* audio = nullptr;
    bool audioFails = false;
    SystemSpeechRecognizer recognizer;
};

}  // namespace vocena::test
