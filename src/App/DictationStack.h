#pragma once

#include "App/SpeechSetup.h"
#include "Core/DictationFinish.h"

#include <QCoro/QCoroTask>
#include <QPointer>

#include <memory>

namespace vocena {

class AISettingsStore;
class LivePreedit;
class PermissionManager;
class Preferences;
class SystemSpeechRecognizer;
class TermFrequencyTracker;
class TextInjector;
class TranscriptPunctuator;
class VoiceInputAlerts;
class VoiceInputService;

// Everything dictation needs on this machine, made once: the speech engine of the active
// model (loaded by `speech`), microphone capture through PulseAudio, the recognizer, and the
// dictation controller typing through `injector`; each recording asks `permissions` for the
// microphone first. With the fcitx5 bridge as the typing backend, the partial transcript of a
// recording shows as preedit in the focused field. Final transcripts are punctuated on the
// engine's decoding thread when a punctuation model is installed. Main thread; `ok()` is false (with
// `problem`) without a model.
class DictationStack {
public:
    DictationStack(SpeechSetup speech, PermissionManager& permissions, AISettingsStore& settings, TextInjector& injector,
                   Preferences& preferences, TermFrequencyTracker* terms, VoiceInputAlerts* alerts);
    ~DictationStack();

    bool ok() const { return m_service != nullptr; }
    const SpeechSetup& speech() const { return m_speech; }
    VoiceInputService& service() { return *m_service; }

private:
    SpeechSetup m_speech;
    std::unique_ptr<SystemSpeechRecognizer> m_recognizer;
    std::unique_ptr<TranscriptPunctuator> m_punctuator;
    std::unique_ptr<VoiceInputService> m_service;
    std::unique_ptr<LivePreedit> m_livePreedit;
};

}  // namespace vocena
