// Recording control over the real recognizer logic with a scripted engine, in virtual time.
#include "Core/VoiceInputService.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Speech/SystemSpeechRecognizer.h"
#include "Utils/AISettingsStore.h"
#include "support/AsyncTest.h"
#include "support/FakeSpeech.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"
#include "support/MemorySecretStore.h"
#include "support/RecordingTextInjector.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

using namespace vocena;

namespace {

class States final : public VoiceInputServiceDelegate {
public:
    QStringList states;
    void didUpdateText(VoiceInputService&, const QString&) override {}
    void didUpdateState(VoiceInputService&, const RecognitionState& state) override { states << state.description(); }
};

class RecordingTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    Preferences prefs{dir.filePath(QStringLiteral("p.json"))};
    AISettingsStore settings{prefs, std::make_shared<test::MemorySecretStore>()};
    test::RecordingTextInjector keys;
    test::ManualClock clock;
    test::ManualScheduler scheduler{clock};
    test::FakeRecognitionEngine engine;
    test::FakeAudioSource* audio = nullptr;
    SystemSpeechRecognizer recognizer{&engine,
                                      [this] {
                                          auto source = std::make_unique<test::FakeAudioSource>();
                                          audio = source.get();
                                          return source;
                                      },
                                      scheduler};
    bool microphone = true;
    States delegate;
    VoiceInputService service{{settings, keys, {}, nullptr, [] { return QString(); }, &recognizer,
                               [this]() -> QCoro::Task<bool> { co_return microphone; }, &scheduler}};

    void SetUp() override { service.delegate = &delegate; }
    // Lets queued main-thread work (toggles, processing) run.
    static void settle() {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    }
    void toggle() {
        service.toggleVoiceInput(VoiceInputMode::inputMethod);
        settle();
    }
};

}  // namespace

TEST_F(RecordingTest, ToggleStartsAndStopsAndProcessesOnce) {
    toggle();
    ASSERT_TRUE(service.isRecording());
    engine.emitResult(QStringLiteral("你好"), false);
    toggle();
    EXPECT_FALSE(service.isRecording());
    EXPECT_EQ(keys.typed, QStringList{QStringLiteral("你好")});
    EXPECT_EQ(delegate.states, (QStringList{"listening", "recognizing", "completed"}));
    engine.emitResult(QStringLiteral("你好。"), true);  // the final result still updates the text
    EXPECT_EQ(service.recognizedText(), QStringLiteral("你好。"));
    EXPECT_EQ(keys.typed.size(), 1);
}

TEST_F(RecordingTest, SilenceStopsAfterFiveQuietSeconds) {
    toggle();
    clock.advance(4);
    engine.emitResult(QStringLiteral("开会"), false);  // re-arms
    clock.advance(4);
    engine.emitResult(QString(), false);  // empty text does not
    audio->push(0.005f);                  // nor does a quiet level
    settle();
    clock.advance(0.9);
    EXPECT_TRUE(service.isRecording());
    clock.advance(0.2);
    EXPECT_FALSE(service.isRecording());

    // A level just above 0.01 keeps the recording alive.
    toggle();
    for (int second = 0; second < 20; ++second) {
        for (int i = 0; i < 16; ++i) audio->push(0.02f);
        settle();
        clock.advance(1);
    }
    EXPECT_TRUE(service.isRecording());
    EXPECT_GT(service.audioLevel(), 0.01f);
}

TEST_F(RecordingTest, TwoHourLimit) {
    toggle();
    test::LogCapture log;
    for (int step = 0; step < 1799; ++step) {  // a new word every 4 s keeps the silence timer away
        engine.emitResult(QStringLiteral("一直在说%1").arg(step), false);
        clock.advance(4);
    }
    EXPECT_TRUE(service.isRecording());
    engine.emitResult(QStringLiteral("还在说"), false);
    clock.advance(4);
    EXPECT_FALSE(service.isRecording());
    EXPECT_TRUE(log.contains(QStringLiteral("录音超时 (7200.000000秒)，自动停止录音")));
}

TEST_F(RecordingTest, RecognizerErrorsWhileAndAfterRecording) {
    toggle();
    engine.emitResult(QStringLiteral("说到一半"), false);
    engine.emitError(EngineErrorDomain::assistant, 1110);
    settle();
    EXPECT_FALSE(service.isRecording());
    EXPECT_EQ(delegate.states, (QStringList{"listening", "recognizing", "idle", "completed"}));
    EXPECT_EQ(keys.typed, QStringList{QStringLiteral("说到一半")});

    toggle();
    engine.emitError(EngineErrorDomain::recognition, 4);
    settle();
    EXPECT_TRUE(delegate.states.contains(QStringLiteral("error(识别错误: networkError)")));
}

TEST_F(RecordingTest, MicrophoneRefusedThroughTheToggle) {
    microphone = false;
    toggle();
    EXPECT_EQ(delegate.states, (QStringList{"error(麦克风权限未授权)", "error(语音识别权限未授权)"}));
    EXPECT_FALSE(service.isRecording());
    EXPECT_TRUE(engine.calls.isEmpty());
}

TEST_F(RecordingTest, ANewRecordingDropsTheOldTranscriptUnprocessed) {
    toggle();
    engine.emitResult(QStringLiteral("旧的"), false);
    service.stopVoiceInput();   // processing is queued...
    test::await(service.startVoiceInput());  // ...but a new recording starts first
    settle();
    EXPECT_TRUE(keys.typed.isEmpty());
    EXPECT_TRUE(service.isRecording());
}
