#pragma once

#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Speech/Audio/AudioSource.h"
#include "Infrastructure/Speech/Audio/LevelMeter.h"
#include "Infrastructure/Speech/Recognition/RecognitionEngine.h"
#include "Infrastructure/Speech/Recognition/SpeechTypes.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace vocena {

// Captures audio and turns it into Mandarin text with the recognition engine, reporting to
// its delegate on the main thread: start, partial and final results, classified failures,
// the end of recognition, and a smoothed level per captured buffer. A stop ends the audio and
// waits for the engine's final result, at most 2 seconds. Audio that ends by itself (the
// microphone went away) stops recognition the same way.
//
// The audio source is opened on a worker thread: a sound server that does not answer holds up
// only the start that waits for it, never the main thread.
class SystemSpeechRecognizer final : public QObject, public SpeechRecognitionProtocol {
    Q_OBJECT
public:
    using AudioSourceFactory = std::function<std::unique_ptr<AudioSource>()>;

    // `engine` may be null (no usable model): then recognition is not authorized.
    SystemSpeechRecognizer(RecognitionEngine* engine, AudioSourceFactory makeAudioSource,
                           Scheduler& scheduler = Scheduler::main(), QObject* parent = nullptr);
    ~SystemSpeechRecognizer() override;

    bool isRecognizing() const override { return m_isRecognizing; }
    bool isStopping() const { return m_isStopping; }
    float smoothedAudioLevel() const { return m_tap->meter.level(); }

    QCoro::Task<void> startRecognition() override;
    void stopRecognition() override;
    QCoro::Task<bool> requestAuthorization() override;

private:
    // What the capture thread shares with the recognizer. The engine is reached only under
    // the lock, and the destructor clears it: a source still opening when the recognizer goes
    // away can no longer reach either.
    struct CaptureTap {
        std::mutex mutex;
        RecognitionEngine* engine = nullptr;
        std::atomic<quint64> task{0};  // the current recognition, 0 for none
        LevelMeter meter;
        std::atomic<bool> firstBufferSeen{false};
    };

    AudioSource::BufferHandler bufferHandler(quint64 task);
    AudioSource::EndHandler endHandler(quint64 task);
    void onResult(quint64 task, const QString& text, float confidence, bool isFinal);
    void onError(quint64 task, const EngineError& error);
    void handleRecognitionError(const EngineError& error);
    void endRecognition();  // flags off, audio stopped, cleaned up, delegate told
    void stopAudio();
    void cleanUp();
    void cancelTask(quint64 task);

    QPointer<RecognitionEngine> m_engine;
    AudioSourceFactory m_makeAudioSource;
    Scheduler& m_scheduler;

    bool m_isRecognizing = false;
    bool m_isStopping = false;
    std::shared_ptr<AudioSource> m_audio;  // once it captures; shared with its opening
    std::shared_ptr<CaptureTap> m_tap = std::make_shared<CaptureTap>();
    std::shared_ptr<WorkItem> m_cutOff;
    QElapsedTimer m_sinceStart;  // for the start-latency log line
};

}  // namespace vocena
