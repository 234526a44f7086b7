#include "App/DictationStack.h"

#include "Core/VoiceInputService.h"
#include "Infrastructure/InputMethod/InputBackendPlatform.h"
#include "Infrastructure/InputMethod/LivePreedit.h"
#include "Infrastructure/Permissions/PermissionManager.h"
#include "Infrastructure/Speech/Audio/PulseAudioCapture.h"
#include "Infrastructure/Speech/Recognition/SherpaOnnxEngine.h"
#include "Infrastructure/Speech/Recognition/SystemSpeechRecognizer.h"
#include "Infrastructure/Speech/Recognition/TranscriptPunctuator.h"
#include "Terms/TermFrequencyTracker.h"


namespace vocena {

DictationStack::DictationStack(SpeechSetup speech, PermissionManager& permissions, AISettingsStore& settings,
                               TextInjector& injector, Preferences& preferences, TermFrequencyTracker* terms,
                               VoiceInputAlerts* alerts)
    : m_speech(std::move(speech)) {
    if (!m_speech.engine) return;
    m_recognizer = std::make_unique<SystemSpeechRecognizer>(m_speech.engine.get(), [] { return std::make_unique<PulseAudioCapture>(); });
    std::function<void(const QString&)> feedTerms;
    if (terms) feedTerms = [terms](const QString& text) { terms->feedInBackground(text); };
    m_punctuator = std::make_unique<TranscriptPunctuator>(preferences, ModelStore::standard(preferences), *m_speech.engine);
    m_punctuator->preload();
    m_service = std::make_unique<VoiceInputService>(VoiceInputService::Dependencies{
        settings, injector, feedTerms, alerts, {}, m_recognizer.get(),
        [&permissions] { return permissions.requestMicrophonePermission(); }, nullptr, m_punctuator.get()});
    m_livePreedit = std::make_unique<LivePreedit>(*m_service, InputBackendPlatform::bridge(), preferences);
}

DictationStack::~DictationStack() {
    if (m_service && m_service->isRecording()) m_service->stopVoiceInput();
    m_livePreedit.reset();
    m_service.reset();
    m_punctuator.reset();
    m_recognizer.reset();
}

}  // namespace vocena
