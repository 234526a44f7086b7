#pragma once

#include "Core/TranscriptPunctuation.h"
#include "Core/VoiceInputService.h"
#include "Infrastructure/LLM/AISettingsStore.h"
#include "Infrastructure/Platform/Preferences.h"
#include "support/AsyncTest.h"
#include "support/LoopbackHttpServer.h"
#include "support/MemorySecretStore.h"
#include "support/RecordingTextInjector.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStringList>
#include <QTemporaryDir>

namespace vocena::test {

// What a dictation is built from besides its settings; each may be left out.
struct DictationParts {
    SpeechRecognitionProtocol* recognizer = nullptr;     // none: it only processes transcripts
    Scheduler* scheduler = nullptr;                      // its timers' time; none: the main loop
    TextInjector* injector = nullptr;                    // none: `keys` records the typing
    TranscriptPunctuation* punctuation = nullptr;        // none: transcripts as recognised
    std::function<QCoro::Task<bool>()> microphone = {};  // the microphone check; none: granted
    std::function<bool()> listening = {};                // when a start has finished; none: at once
};

// The dictation controller as the app wires it, with its settings in a temporary folder and
// the model service off until useModelServer(). What it does is recorded: `keys` what it
// typed, `states` each state it reported, `alerts` each alert, `fed` each text it handed to
// term learning.
class Dictation : public VoiceInputServiceDelegate, public VoiceInputAlerts {
public:
    explicit Dictation(DictationParts parts = {})
        : listening(std::move(parts.listening)),
          service({settings, parts.injector ? *parts.injector : keys, [this](const QString& text) { fed << text; }, this,
                   [] { return QString(); }, parts.recognizer, std::move(parts.microphone), parts.scheduler, parts.punctuation}) {
        service.delegate = this;
    }

    // The model service at `server`, with `key` as its API key (none: no key stored).
    void useModelServer(const LoopbackHttpServer& server, const QString& key = {}) {
        prefs.setValue(QString::fromLatin1(AISettingsStore::kBaseURLKey), server.baseURL());
        if (!key.isEmpty()) secrets->write(QStringLiteral("com.vocena.ai"), QStringLiteral("apiKey"), key);
    }
    // Runs the pipeline on a final transcript and waits until typing has settled.
    void process(const QString& transcript) {
        service.setRecognizedText(transcript);
        await(service.processAndInjectText());
        EXPECT_TRUE(waitUntil([this] { return service.pendingInjections() == 0; }, 5000));
    }
    // Starts or stops a recording as the gesture does; a start waits for `listening`.
    void toggle() {
        const bool starting = !service.isRecording();
        service.toggleVoiceInput(VoiceInputMode::inputMethod);
        if (starting && listening) {
            ASSERT_TRUE(waitUntil([this] { return service.isRecording() && listening(); })) << "the recording did not start";
        }
        settle();
    }
    // Lets queued main-thread work (toggles, processing) run.
    static void settle() {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    }

    void didUpdateText(VoiceInputService&, const QString&) override {}
    void didUpdateState(VoiceInputService&, const RecognitionState& state) override { states << state.description(); }
    void showAccessibilityAlert() override { alerts << QStringLiteral("accessibility"); }
    void showInjectionError(const QString& description) override { alerts << description; }
    void showTextLeftOnClipboard(const QString& notice) override { alerts << QStringLiteral("notice: ") + notice; }
    void showTextNotKept(const QString& notice, const QString& text) override { alerts << notice + QStringLiteral(": ") + text; }

    QTemporaryDir dir;
    Preferences prefs{dir.filePath(QStringLiteral("preferences.json"))};
    std::shared_ptr<MemorySecretStore> secrets = std::make_shared<MemorySecretStore>();
    AISettingsStore settings{prefs, secrets};
    RecordingTextInjector keys;
    QStringList states, alerts, fed;
    std::function<bool()> listening;
    VoiceInputService service;
};

}  // namespace vocena::test
