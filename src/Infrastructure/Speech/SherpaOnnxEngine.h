#pragma once

#include "Infrastructure/Speech/RecognitionEngine.h"
#include "Infrastructure/Speech/SherpaRecognizer.h"

#include <functional>
#include <memory>

namespace vocena {

class Scheduler;
class SpeechDecodeWorker;
class WorkItem;
class SpeechModel;

// The recognition engine over sherpa-onnx: an online recognizer on one decoding thread (see
// SpeechDecodeWorker), results and errors posted back to the thread the engine lives on.
//
// - Partial results come whenever the text changed; the final one after endAudio(), when the
//   audio plus SherpaRecognizer::kTailPaddingSeconds of silence is decoded. A final result may
//   have empty text (nothing was said before the end).
// - No non-empty text within kNoSpeechTimeout seconds of start(): the task ends with the
//   time-out error (assistant domain, 1110).
// - cancel() and a start() over a running task end it with only the cancellation error
//   (recognition domain, 1), reported asynchronously.
// - Library failures are errors of the engine's own domain (codes below).
// - Hotwords: a transducer model takes the words of the hotword source as hotwords, asked for
//   again at every start(), so a change of the vocabulary reaches the next recording.
// - Confidence: sherpa-onnx gives none, so every result reports 0 (as a result without
//   segments does).
class SherpaOnnxEngine final : public RecognitionEngine {
    Q_OBJECT
public:
    static constexpr double kNoSpeechTimeout = 10.0;
    // How much a hotword's pieces count in beam search (0 turns hotwords off).
    static constexpr const char* kHotwordScoreKey = "com.vocena.speech.hotwordScore";
    static constexpr double kDefaultHotwordScore = 1.5;
    enum ErrorCode : int { ModelUnavailable = 1, DecodingFailed = 2 };

    explicit SherpaOnnxEngine(Scheduler& scheduler, QObject* parent = nullptr);
    ~SherpaOnnxEngine() override;

    // Loads `model`, replacing the one before (a running task is cancelled). The caller has
    // checked the model (ModelStore::loadableModel); loading a large model takes about a second.
    bool load(const SpeechModel& model, const SherpaRecognizer::Options& options, QString* error);

    // Called on the engine's thread at every start(); kept across loads.
    using HotwordSource = std::function<SherpaRecognizer::Hotwords()>;
    void setHotwordSource(HotwordSource source) { m_hotwordSource = std::move(source); }
    // Whether the loaded model takes hotwords; else why not (empty before a load).
    bool takesHotwords() const { return m_worker && m_hotwordsUnavailableReason.isEmpty(); }
    const QString& hotwordsUnavailableReason() const { return m_hotwordsUnavailableReason; }

    bool isAvailable() const override { return m_worker != nullptr; }
    quint64 start() override;
    void acceptAudio(quint64 task, const float* samples, int frames) override;
    void endAudio(quint64 task) override;
    void cancel(quint64 task) override;

    // Thread-safe. Runs `job` on the decoding thread between batches of audio (see
    // SpeechDecodeWorker::post); false, and `job` is not run, when no model is loaded.
    bool runOnDecodingThread(std::function<void()> job);

private:
    void deliverResult(quint64 task, const QString& text, bool isFinal);
    void deliverError(quint64 task, const QString& description);
    void onNoSpeechTimeout(quint64 task);
    void endTask();
    void postError(quint64 task, const EngineError& error);

    Scheduler& m_scheduler;
    std::unique_ptr<SpeechDecodeWorker> m_worker;
    HotwordSource m_hotwordSource;
    QString m_hotwordsUnavailableReason;
    quint64 m_nextTask = 0;
    quint64 m_task = 0;  // the running task, 0 for none
    bool m_heardSpeech = false;
    std::shared_ptr<WorkItem> m_noSpeechTimer;
};

}  // namespace vocena
