#pragma once

#include "Core/TranscriptPunctuation.h"
#include "Core/VoiceInputService.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/LLM/AISettingsStore.h"
#include "support/MemorySecretStore.h"
#include "support/RecordingTextInjector.h"

#include <QStringList>
#include <QTemporaryDir>

namespace vocena::test {

// The dictation controller over a given recognizer, as the app wires it but with the model
// off, its settings in a temporary folder and typing recorded: `keys.typed` holds what a run
// typed and `states` every state reported to the delegate.
class DictationHarness final : public VoiceInputServiceDelegate {
public:
    using MicrophoneCheck = std::function<QCoro::Task<bool>()>;

    DictationHarness(SpeechRecognitionProtocol& recognizer, Scheduler* scheduler, MicrophoneCheck microphone = {},
                     TranscriptPunctuation* punctuation = nullptr)
        : service({settings, keys, {}, nullptr, [] { return QString(); }, &recognizer, std::move(microphone), scheduler,
                   punctuation}) {
        service.delegate = this;
    }

    void didUpdateText(VoiceInputService&, const QString&) override {}
    void didUpdateState(VoiceInputService&, const RecognitionState& state) override { states << state.description(); }

    QTemporaryDir dir;
    Preferences prefs{dir.filePath(QStringLiteral("preferences.json"))};
    AISettingsStore settings{prefs, std::make_shared<MemorySecretStore>()};
    RecordingTextInjector keys;
    QStringList states;
    VoiceInputService service;
};

}  // namespace vocena::test
