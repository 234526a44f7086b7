#pragma once

#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Speech/AudioSource.h"
#include "Infrastructure/Speech/LevelMeter.h"
#include "Infrastructure/Speech/RecognitionEngine.h"
#include "Infrastructure/Speech/SpeechTypes.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>

namespace vocena {

// Captures audio and turns it into Mandarin text with the recognition engine, reporting to
// its delegate on the main thread: start, partial and final results, classified failures,
// the end of recognition, and a smoothed level per captured buffer. A stop ends the audio and
// waits for the engine's final result, at most 2 seconds.
class SystemSpeechRecognizer final : public QObject, public SpeechRecognitionProtocol {
    Q_OBJECT
public:
    static constexpr double kFinalResultCutOff = 2.0;
    using AudioSourceFactory = std::function<std::unique_ptr<AudioSource>()>;

    // `engine` may be null (no usable model): then recognition is not authorized.
    SystemSpeechRecognizer(RecognitionEngine* engine, AudioSourceFactory makeAudioSource,
                           Scheduler& scheduler = Scheduler::main(), QObject* parent = nullptr);
    ~SystemSpeechRecognizer() override;

    bool isRecognizing() const { return m_isRecognizing; }
    bool isStopping() const { return m_isStopping; }
    float smoothedAudioLevel() const { return m_levelMeter.level(); }

    QCoro::Task<void> startRecognition() override;
    void stopRecognition() override;
    QCoro::Task<bool> requestAuthorization() override;

private:
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
    std::unique_ptr<AudioSource> m_audio;
    std::atomic<quint64> m_task{0};  // read on the capture thread
    LevelMeter m_levelMeter;
    std::shared_ptr<WorkItem> m_cutOff;
    QElapsedTimer m_sinceStart;                 // for the start-latency log line
    std::atomic<bool> m_firstBufferSeen{false};
};

}  // namespace vocena
