#pragma once

#include "Core/RecognitionState.h"
#include "Core/VoiceInputServiceDelegate.h"
#include "Infrastructure/LLM/LLMTextProcessor.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Speech/Recognition/SpeechTypes.h"
#include "VoiceCommands/VoiceCommandDetector.h"

#include <QCoro/QCoroTask>
#include <QElapsedTimer>
#include <QObject>
#include <functional>

namespace vocena {

class AISettingsStore;
class TextInjector;
class TranscriptPunctuation;

// The dictation controller: starts and stops recordings (with a silence timer and a two-hour
// limit), follows the recognizer, and turns a finished transcript into text in the focused
// application (commands, the model, typing).
class VoiceInputService : public QObject, public SpeechRecognitionDelegate {
    Q_OBJECT
public:
    static constexpr double kRecordingLimit = 7200.0;
    static constexpr float kVoiceActivityLevel = 0.01f;

    struct Dependencies {
        AISettingsStore& aiSettings;
        TextInjector& textInjection;
        // Hands typed text to term learning; empty: nothing is learned (a dry run).
        std::function<void(const QString&)> feedTerms;
        VoiceInputAlerts* alerts = nullptr;
        // The vocabulary section of the correction prompt; empty: the shared vocabulary's.
        LLMTextProcessor::VocabularySection vocabularySection = {};
        // Recording: the recognizer (none: this service only processes transcripts), the
        // microphone check (none: granted) and the timers' scheduler (none: the main loop).
        SpeechRecognitionProtocol* speechRecognizer = nullptr;
        std::function<QCoro::Task<bool>()> requestMicrophoneAccess = {};
        Scheduler* scheduler = nullptr;
        // Punctuates transcripts that are not commands; none: they are used as recognised.
        TranscriptPunctuation* punctuation = nullptr;
    };

    explicit VoiceInputService(Dependencies dependencies, QObject* parent = nullptr);
    ~VoiceInputService() override;

    VoiceInputServiceDelegate* delegate = nullptr;
    double silenceTimeout = 5.0;

    // Starts a recording when none runs, else stops it. Returns at once.
    void toggleVoiceInput(VoiceInputMode mode);
    // Throws SpeechRecognitionError.
    QCoro::Task<void> startVoiceInput();
    // Ends the recording at once; the transcript is processed when the recognizer's final
    // result arrives (at most its cut-off later; the latest partial if none comes).
    void stopVoiceInput();
    // Between a stop and the final result (or its cut-off).
    bool isAwaitingFinalResult() const { return m_finalResultWorkItem != nullptr; }
    // Between a stop and the end of its processing (`processingFinished`): the words of that
    // recording are not typed yet.
    bool isProcessing() const { return m_runsInProcessing > 0; }
    void clearConversationContext();
    float audioLevel() const { return m_audioLevel; }

    // SpeechRecognitionDelegate
    void speechRecognitionDidStart(SpeechRecognitionProtocol& recognizer) override;
    void speechRecognitionDidReceive(SpeechRecognitionProtocol& recognizer, const SpeechRecognitionResult& result) override;
    void speechRecognitionDidFail(SpeechRecognitionProtocol& recognizer, const SpeechRecognitionError& error) override;
    void speechRecognitionDidStop(SpeechRecognitionProtocol& recognizer) override;
    void speechRecognitionDidUpdateAudioLevel(SpeechRecognitionProtocol& recognizer, float level) override;

    bool isRecording() const { return m_isRecording; }
    const QString& recognizedText() const { return m_recognizedText; }
    const RecognitionState& recognitionState() const { return m_recognitionState; }
    const QString& lastInjectedText() const { return m_lastInjectedText; }
    LLMTextProcessor& aiProcessor() { return m_aiProcessor; }
    AISettingsStore& aiSettings() const { return m_aiSettings; }

    void setRecognizedText(const QString& text);

    // Runs the recognised text through commands, punctuation, the model and typing, outside a
    // recording (a recording's own text is processed when it stops). Every path but the early
    // return during a recording ends in `completed`. Typing may still be under way when it
    // returns (see pendingInjections()).
    QCoro::Task<> processAndInjectText();

    // The run a state belongs to: each start begins a new one. The states of an earlier run
    // whose processing ends during a later one are not reported: the shell shows the later run.
    quint64 currentRun() const { return m_currentRun; }

    // Typing started by the pipeline that has not finished yet.
    int pendingInjections() const { return m_pendingInjections; }

Q_SIGNALS:
    void recognitionStateChanged(const vocena::RecognitionState& state);
    void recognizedTextChanged(const QString& text);
    void isRecordingChanged(bool isRecording);
    void audioLevelChanged(float level);
    void injectionsSettled();
    // The wait for a stopped recording's final result began or ended.
    void awaitingFinalResultChanged(bool awaiting);
    // A run's processing (after a stop) has finished.
    void processingFinished();

private:
    QCoro::Task<> toggle(VoiceInputMode mode);
    void setRecording(bool recording);
    void resetSilenceTimer();
    void startRecordingTimeout();
    void awaitFinalResult();
    enum class FinalResultWaitEnd { processSoon, processNow };
    void endFinalResultWait(FinalResultWaitEnd end = FinalResultWaitEnd::processSoon);
    QCoro::Task<> processAfterStop(quint64 run, QString transcript);
    QCoro::Task<> processTranscript(quint64 run, QString transcript);

    void setRecognitionState(const RecognitionState& state);
    // Reports `state` of `run` when that run is still the current one.
    void setRunState(quint64 run, const RecognitionState& state);
    void complete(quint64 run);
    // Installs a fresh model client from the current settings; `text` sets the time-out.
    void installClient(const QString& apiKey, const QString& text);
    QCoro::Task<> runCommand(quint64 run, VoiceCommand command, QString transcript);
    QCoro::Task<> processWithModel(quint64 run, QString transcript);
    void fallBack(quint64 run, const QString& transcript, const QString& message);
    void injectText(const QString& text);
    QCoro::Task<> performInjection(QString text);

    AISettingsStore& m_aiSettings;
    TextInjector& m_textInjection;
    std::function<void(const QString&)> m_feedTerms;
    VoiceInputAlerts* m_alerts;
    LLMTextProcessor m_aiProcessor;
    VoiceCommandDetector m_commandDetector;
    TranscriptPunctuation* m_punctuation;

    SpeechRecognitionProtocol* m_speechRecognizer;
    std::function<QCoro::Task<bool>()> m_requestMicrophoneAccess;
    Scheduler& m_scheduler;
    std::shared_ptr<WorkItem> m_silenceWorkItem;
    std::shared_ptr<WorkItem> m_recordingTimeoutWorkItem;
    std::shared_ptr<WorkItem> m_finalResultWorkItem;
    int m_runsInProcessing = 0;
    bool m_stoppingRecognizer = false;  // its "stopped" report is our own stop
    QElapsedTimer m_sinceStop;          // for the final-result wait log line

    bool m_isRecording = false;
    quint64 m_currentRun = 0;
    float m_audioLevel = 0;
    QString m_recognizedText;
    RecognitionState m_recognitionState = RecognitionState::idle();
    QString m_lastInjectedText;
    int m_pendingInjections = 0;
    QElapsedTimer m_sinceToggle;  // for the start-latency log line
};

}  // namespace vocena
