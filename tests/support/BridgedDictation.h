#pragma once

#include "Infrastructure/InputMethod/Fcitx5Bridge.h"
#include "Infrastructure/InputMethod/Fcitx5TextInjector.h"
#include "Infrastructure/InputMethod/LivePreedit.h"
#include "support/Dictation.h"
#include "support/ManualScheduler.h"

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

// The dictation over the fcitx5 bridge with a scripted recognizer, in virtual time: text is
// committed through `bridge` (what the bridge refuses goes to the recorded `x11`), and
// follow() shows the partial transcript as preedit.
struct BridgedDictation {
    explicit BridgedDictation(Fcitx5Bridge& bridge) : bridge(bridge), injector(bridge, &x11) {}

    // Shows the partial transcript as preedit over the bridge from now on.
    void follow() { preedit = std::make_unique<LivePreedit>(service, &bridge, prefs); }

    Fcitx5Bridge& bridge;
    RecordingTextInjector x11;
    Fcitx5TextInjector injector;
    ManualClock clock;
    ManualScheduler scheduler{clock};
    ScriptedRecognizer recognizer;
    Dictation dictation{{.recognizer = &recognizer, .scheduler = &scheduler, .injector = &injector}};
    VoiceInputService& service = dictation.service;
    Preferences& prefs = dictation.prefs;
    std::unique_ptr<LivePreedit> preedit;
};

}  // namespace vocena::test
