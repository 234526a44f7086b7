#pragma once

#include "Core/VoiceInputService.h"
#include "Infrastructure/InputMethod/Fcitx5Bridge.h"
#include "Infrastructure/InputMethod/Fcitx5TextInjector.h"
#include "Infrastructure/InputMethod/LivePreedit.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/LLM/AISettingsStore.h"
#include "support/ManualScheduler.h"
#include "support/MemorySecretStore.h"
#include "support/RecordingTextInjector.h"

#include <QTemporaryDir>
#include <memory>

namespace vocena::test {

// A recognizer whose results the test hands out.
class ScriptedRecognizer final : public SpeechRecognitionProtocol {
public:
    QCoro::Task<void> startRecognition() override {
        m_recognizing = true;
        co_return;
    }
    void stopRecognition() override {}
    QCoro::Task<bool> requestAuthorization() override { co_return true; }
    bool isRecognizing() const override { return m_recognizing; }

    void partial(const QString& text) { delegate->speechRecognitionDidReceive(*this, {text, 0.5, false, {}}); }
    void final(const QString& text) {
        m_recognizing = false;
        delegate->speechRecognitionDidReceive(*this, {text, 0.5, true, {}});
    }
    void fail() {
        m_recognizing = false;
        delegate->speechRecognitionDidFail(*this, SpeechRecognitionError(SpeechRecognitionError::Kind::recognitionFailed));
    }

private:
    bool m_recognizing = false;
};

// The dictation controller as the app wires it over the fcitx5 bridge, with the model off, a
// scripted recognizer and its settings in a temporary folder: text is committed through
// `bridge` (what the bridge refuses goes to the recorded `x11`), and follow() shows the
// partial transcript as preedit.
struct BridgedDictation {
    explicit BridgedDictation(Fcitx5Bridge& bridge) : injector(bridge, &x11) {}

    // The preedit over `bridge`, or with none (another typing backend).
    void follow(Fcitx5Bridge* bridge) { preedit = std::make_unique<LivePreedit>(service, bridge, prefs); }

    RecordingTextInjector x11;
    Fcitx5TextInjector injector;
    QTemporaryDir dir;
    Preferences prefs{dir.filePath(QStringLiteral("preferences.json"))};
    AISettingsStore settings{prefs, std::make_shared<MemorySecretStore>()};
    ManualClock clock;
    ManualScheduler scheduler{clock};
    ScriptedRecognizer recognizer;
    VoiceInputService service{{settings, injector, {}, nullptr, [] { return QString(); }, &recognizer, {}, &scheduler}};
    std::unique_ptr<LivePreedit> preedit;
};

}  // namespace vocena::test
