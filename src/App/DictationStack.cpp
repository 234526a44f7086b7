#include "App/DictationStack.h"

#include "Core/VoiceInputService.h"
#include "Infrastructure/Speech/MicrophoneProbe.h"
#include "Infrastructure/Speech/PulseAudioCapture.h"
#include "Infrastructure/Speech/SherpaOnnxEngine.h"
#include "Infrastructure/Speech/SystemSpeechRecognizer.h"
#include "Utils/TermFrequencyTracker.h"

namespace vocena {

namespace {
QCoro::Task<bool> microphoneAvailable() {
    const MicrophoneProbe::Result microphone = co_await MicrophoneProbe::checkInBackground();
    co_return microphone.status == MicrophoneProbe::Status::granted;
}
}  // namespace

DictationStack::DictationStack(Preferences& preferences, AISettingsStore& settings, TextInjector& injector,
                               TermFrequencyTracker* terms, VoiceInputAlerts* alerts)
    : m_speech(SpeechSetup::load(preferences)) {
    if (!m_speech.engine) return;
    m_recognizer = std::make_unique<SystemSpeechRecognizer>(m_speech.engine.get(), [] { return std::make_unique<PulseAudioCapture>(); });
    std::function<void(const QString&)> feedTerms;
    if (terms) feedTerms = [terms](const QString& text) { terms->feedInBackground(text); };
    m_service = std::make_unique<VoiceInputService>(VoiceInputService::Dependencies{
        settings, injector, feedTerms, alerts, {}, m_recognizer.get(), &microphoneAvailable, nullptr});
}

DictationStack::~DictationStack() {
    if (m_service && m_service->isRecording()) m_service->stopVoiceInput();
    m_service.reset();
    m_recognizer.reset();
}

}  // namespace vocena
