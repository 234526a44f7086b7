#pragma once

#include "Infrastructure/Speech/Recognition/FinalTextAssembly.h"
#include "Infrastructure/Speech/Recognition/RecognitionEngine.h"
#include "Infrastructure/Speech/Recognition/SherpaRecognizer.h"
#include "Infrastructure/Speech/Recognition/SpeechSegmenter.h"

#include <functional>
#include <memory>
#include <optional>

namespace vocena {

class FinalPassDecoder;
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
// - Final pass: with a non-streaming model loaded beside the streaming one, the audio is cut
//   into segments at the pauses the streaming model hears (SpeechSegmenter), and each finished
//   segment is decoded by the non-streaming model on a thread of its own while the user goes
//   on speaking (FinalPassDecoder). Partials stay streaming; the final result is the segments'
//   final-pass text (FinalTextAssembly), waited for at most finalPassWait seconds after
//   endAudio(): whatever has not come by then keeps its streaming text.
class SherpaOnnxEngine final : public RecognitionEngine {
    Q_OBJECT
public:
    static constexpr double kNoSpeechTimeout = 10.0;
    // How much a hotword's pieces count in beam search (0 turns hotwords off).
    static constexpr const char* kHotwordScoreKey = "com.vocena.speech.hotwordScore";
    static constexpr double kDefaultHotwordScore = 1.5;
    enum ErrorCode : int { ModelUnavailable = 1, DecodingFailed = 2 };

    // How long the final result waits for the final pass after endAudio(): within the
    // recognizer's cut-off of the final result, so that a slow final pass costs the final
    // pass's corrections, never the words.
    static constexpr double kDefaultFinalPassWait = 1.5;

    explicit SherpaOnnxEngine(Scheduler& scheduler, QObject* parent = nullptr);
    ~SherpaOnnxEngine() override;

    // Loads `model`, replacing the one before (a running task is cancelled), and `finalPass`
    // beside it. A non-streaming `model` serves alone (SimulatedStreamingRecognizer). The caller has checked the models (ModelStore::loadableModel, FinalPass::
    // source); loading a large model takes about a second. A final-pass model that does not
    // load leaves the engine on the streaming model alone (finalPassProblem() says why).
    bool load(const SpeechModel& model, const SherpaRecognizer::Options& options, QString* error,
              const std::optional<SpeechModel>& finalPass = std::nullopt);

    // The final-pass model's name; empty when none is loaded.
    const QString& finalPassModelName() const { return m_finalPassName; }
    const QString& finalPassProblem() const { return m_finalPassProblem; }
    void setFinalPassWait(double seconds) { m_finalPassWait = seconds; }
    // The last final text that came punctuated from the final pass (SenseVoice): a transcript
    // equal to it is not punctuated again.
    const QString& punctuatedFinalText() const { return m_punctuatedFinalText; }

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

Q_SIGNALS:
    // A segment of `task` came back from the final pass (with text or not).
    void finalPassSegmentDecoded(quint64 task, int index);

private:
    // Decoding thread: the segments of the task being decoded go to the final pass.
    void segmentBatch(quint64 task, const float* samples, int frames, const QString& text, bool isFinal);
    void sendSegment(quint64 task, SpeechSegmenter::Segment segment, std::optional<QString> finalText, bool consistent);
    // Main thread.
    void addSegment(quint64 task, int index, const QString& streamingText, const std::optional<QString>& finalText,
                    bool consistent);
    void onSegmentDecoded(quint64 task, int index, const std::optional<QString>& text, const QString& failure, int milliseconds);
    void finishFinalPassIfDue(quint64 task);

    void deliverResult(quint64 task, const QString& text, bool isFinal);
    void deliverError(quint64 task, const QString& description);
    void onNoSpeechTimeout(quint64 task);
    void endTask();
    void postError(quint64 task, const EngineError& error);

    Scheduler& m_scheduler;
    std::unique_ptr<FinalPassDecoder> m_finalPass;  // outlives the worker, which feeds it
    std::unique_ptr<SpeechDecodeWorker> m_worker;
    HotwordSource m_hotwordSource;
    QString m_hotwordsUnavailableReason;
    quint64 m_nextTask = 0;
    quint64 m_task = 0;  // the running task, 0 for none
    bool m_heardSpeech = false;
    std::shared_ptr<WorkItem> m_noSpeechTimer;

    QString m_finalPassName;
    QString m_finalPassProblem;
    double m_finalPassWait = kDefaultFinalPassWait;
    QString m_punctuatedFinalText;
    bool m_alonePunctuates = false;  // a non-streaming model alone that punctuates its text
    // Decoding thread.
    quint64 m_segmentedTask = 0;
    SpeechSegmenter m_segmenter;
    // Main thread: the final text of the running task, while the final pass is on.
    std::optional<FinalTextAssembly> m_assembly;
    int m_decodedBeforeStop = -1;  // -1 until endAudio()
    bool m_finalPassWaitOver = false;
    std::shared_ptr<WorkItem> m_finalPassTimer;
};

}  // namespace vocena
