#pragma once

#include "Core/RecognitionState.h"
#include "Core/VoiceInputServiceDelegate.h"
#include "Infrastructure/LLM/LLMTextProcessor.h"
#include "Utils/VoiceCommandDetector.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <functional>

namespace vocena {

class AISettingsStore;
class TextInjector;

// The dictation controller: holds the state of the current run and turns a finished
// transcript into text in the focused application (commands, the model, typing).
class VoiceInputService : public QObject {
    Q_OBJECT
public:
    struct Dependencies {
        AISettingsStore& aiSettings;
        TextInjector& textInjection;
        // Hands typed text to term learning; empty: nothing is learned (a dry run).
        std::function<void(const QString&)> feedTerms;
        VoiceInputAlerts* alerts = nullptr;
        // The vocabulary section of the correction prompt; empty: the shared vocabulary's.
        LLMTextProcessor::VocabularySection vocabularySection = {};
    };

    explicit VoiceInputService(Dependencies dependencies, QObject* parent = nullptr);

    VoiceInputServiceDelegate* delegate = nullptr;

    bool isRecording() const { return m_isRecording; }
    const QString& recognizedText() const { return m_recognizedText; }
    const RecognitionState& recognitionState() const { return m_recognitionState; }
    const QString& lastInjectedText() const { return m_lastInjectedText; }
    LLMTextProcessor& aiProcessor() { return m_aiProcessor; }

    void setRecognizedText(const QString& text);

    // Runs a finished transcript through commands, the model and typing. Every path but the
    // early return for a newer recording ends in `completed`. Typing may still be under way
    // when it returns (see pendingInjections()).
    QCoro::Task<> processAndInjectText();

    // Typing started by the pipeline that has not finished yet.
    int pendingInjections() const { return m_pendingInjections; }

Q_SIGNALS:
    void recognitionStateChanged(const vocena::RecognitionState& state);
    void injectionsSettled();

private:
    void setRecognitionState(const RecognitionState& state);
    void complete();
    // Installs a fresh model client from the current settings; `text` sets the time-out.
    void installClient(const QString& apiKey, const QString& text);
    QCoro::Task<> runCommand(VoiceCommand command, QString transcript);
    QCoro::Task<> processWithModel(QString transcript);
    void fallBack(const QString& transcript, const QString& message);
    void injectText(const QString& text);
    QCoro::Task<> performInjection(QString text);

    AISettingsStore& m_aiSettings;
    TextInjector& m_textInjection;
    std::function<void(const QString&)> m_feedTerms;
    VoiceInputAlerts* m_alerts;
    LLMTextProcessor m_aiProcessor;
    VoiceCommandDetector m_commandDetector;

    bool m_isRecording = false;
    QString m_recognizedText;
    RecognitionState m_recognitionState = RecognitionState::idle();
    QString m_lastInjectedText;
    int m_pendingInjections = 0;
};

}  // namespace vocena
