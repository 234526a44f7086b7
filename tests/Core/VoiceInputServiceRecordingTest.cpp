// Recording control over the real recognizer logic with a scripted engine, in virtual time.
#include "Core/IdleReload.h"
#include "Infrastructure/Speech/Recognition/SystemSpeechRecognizer.h"
#include "support/DictationHarness.h"
#include "support/FakeSpeech.h"
#include "support/Gate.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

using namespace vocena;

namespace {

class RecordingTest : public ::testing::Test {
protected:
    test::ManualClock clock;
    test::ManualScheduler scheduler{clock};
    test::FakeRecognitionEngine engine;
    test::FakeAudioSource* audio = nullptr;
    bool audioFails = false;
    SystemSpeechRecognizer recognizer{&engine,
                                      [this] {
                                          auto source = std::make_unique<test::FakeAudioSource>();
                                          source->failToStart = audioFails;
                                          audio = source.get();
                                          return source;
                                      },
                                      scheduler};
    bool microphone = true;
    test::Gate* microphoneGate = nullptr;  // when set, the microphone check waits for it
    test::DictationHarness dictation{recognizer, &scheduler, [this]() -> QCoro::Task<bool> {
                                         if (microphoneGate) co_await microphoneGate->wait();
                                         co_return microphone;
                                     }};
    VoiceInputService& service = dictation.service;
    QStringList& states = dictation.states;
    QStringList& typed = dictation.keys.typed;

    // Lets queued main-thread work (toggles, processing) run.
    static void settle() {
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    }
    // The audio source opens on a worker thread: a start has finished when the microphone
    // runs, or when `reports` states were reported.
    void toggleStart(int reports = 0) {
        audio = nullptr;
        service.toggleVoiceInput(VoiceInputMode::inputMethod);
        ASSERT_TRUE(test::waitUntil([&] { return reports ? states.size() >= reports : audio && audio->running; }));
    }
    void toggleStop() {
        service.toggleVoiceInput(VoiceInputMode::inputMethod);
        settle();
    }
};

}  // namespace

// What ends the wait for the final result after a stop, and which text is then typed.
TEST_F(RecordingTest, StopProcessesTheFinalResultOrThePartialAfterTheCutOff) {
    struct Case {
        const char* name;
        std::function<void()> afterStop;
        double virtualSeconds;  // that the wait takes
        QString typed;
        QStringList states;
    };
    const QList<Case> cases{
        // Its processing reports the end: one "completed", not one before the processing too.
        {"the final result arrives: processed at once", [this] { engine.emitResult(QStringLiteral("今天天气很好"), true); }, 0,
         QStringLiteral("今天天气很好"), {"listening", "recognizing", "completed"}},
        {"no final result: the partial once the recognizer gives up", [] {}, 2.0, QStringLiteral("今天天气"),
         {"listening", "recognizing", "completed"}},
        {"an error while stopping ends the recognition: the partial at once", [this] { engine.emitError(EngineErrorDomain::engine, 2); },
         0, QStringLiteral("今天天气"), {"listening", "recognizing", "completed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        typed.clear();
        states.clear();
        toggleStart();
        ASSERT_TRUE(service.isRecording());
        engine.emitResult(QStringLiteral("今天天气"), false);
        test::LogCapture log;
        toggleStop();
        EXPECT_FALSE(service.isRecording());
        EXPECT_FALSE(audio->running);
        EXPECT_TRUE(service.isProcessing()) << "a command quitting now would lose the words";
        c.afterStop();
        settle();
        if (c.virtualSeconds > 0) {
            EXPECT_TRUE(typed.isEmpty()) << "typed before the final result could come";
            clock.advance(c.virtualSeconds - 0.1);
            settle();
            EXPECT_TRUE(typed.isEmpty());
            clock.advance(0.1);
            settle();
            EXPECT_EQ(engine.calls.last(), QStringLiteral("cancel %1").arg(engine.lastTask)) << "the engine would decode on";
        }
        EXPECT_EQ(typed, QStringList{c.typed});
        EXPECT_EQ(states, c.states);
        EXPECT_FALSE(service.isAwaitingFinalResult());
        EXPECT_FALSE(service.isProcessing());
        EXPECT_TRUE(log.contains(QStringLiteral("[VoiceInputService] 最终结果等待 ")));
        // Nothing late is processed a second time.
        engine.emitResult(QStringLiteral("迟到的"), true);
        clock.advance(3);
        settle();
        EXPECT_EQ(typed.size(), 1);
    }
}

// A new recording gives up the old run's final result, not its words: they are typed as heard
// so far, and the new recording goes on.
TEST_F(RecordingTest, ANewRecordingDuringTheWaitTypesTheOldTextSoFar) {
    toggleStart();
    engine.emitResult(QStringLiteral("旧的"), false);
    toggleStop();
    ASSERT_TRUE(service.isAwaitingFinalResult());
    toggleStart();  // before the old final result
    EXPECT_TRUE(service.isRecording());
    EXPECT_TRUE(engine.calls.contains(QStringLiteral("cancel 1")));
    engine.emitResult(QStringLiteral("旧的话"), true, 1);
    clock.advance(3);
    settle();
    EXPECT_EQ(typed, QStringList{QStringLiteral("旧的")});
    EXPECT_TRUE(service.isRecording());
    EXPECT_EQ(service.recognizedText(), QString());
}

// A quick second dictation: its start's microphone check resumes around the end of the first
// run's wait for its final result. Whichever comes first, the first run's words are typed once
// (the final result when it came before the start, else what was heard), and the second
// recording goes on with an empty text.
TEST_F(RecordingTest, AQuickSecondStartNeverDropsTheFirstRunsWords) {
    struct Case {
        const char* name;
        bool startFirst;
        std::function<void(quint64 firstTask)> endOfWait;
        QString typed;
    };
    const QList<Case> cases{
        {"the final result, with the start's check resuming in the same turn", false,
         [this](quint64 task) { engine.emitResult(QStringLiteral("旧的话"), true, task); }, QStringLiteral("旧的话")},
        {"the cut-off, with the start's check resuming in the same turn", false,
         [this](quint64) { clock.advance(SpeechRecognitionProtocol::kFinalResultCutOff); }, QStringLiteral("旧的")},
        {"the start first: the final result comes too late", true,
         [this](quint64 task) { engine.emitResult(QStringLiteral("旧的话"), true, task); }, QStringLiteral("旧的")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        typed.clear();
        toggleStart();
        const quint64 firstTask = engine.lastTask;
        engine.emitResult(QStringLiteral("旧的"), false);
        toggleStop();
        ASSERT_TRUE(service.isAwaitingFinalResult());

        test::Gate gate;
        microphoneGate = &gate;
        audio = nullptr;
        service.toggleVoiceInput(VoiceInputMode::inputMethod);
        settle();
        ASSERT_EQ(gate.waiting, 1) << "the second start waits for its microphone check";
        if (c.startFirst) {
            gate.open();
            settle();
            c.endOfWait(firstTask);
        } else {
            // The check's answer is queued (as a real check's is) before whatever the end of
            // the wait queues: the start resumes first.
            gate.open();
            c.endOfWait(firstTask);
        }
        ASSERT_TRUE(test::waitUntil([&] { return audio && audio->running; }));
        microphoneGate = nullptr;
        clock.advance(3);
        settle();
        EXPECT_EQ(typed, QStringList{c.typed});
        EXPECT_TRUE(service.isRecording());
        EXPECT_EQ(service.recognizedText(), QString());
        EXPECT_FALSE(service.isProcessing());
        toggleStop();
        clock.advance(3);
        settle();
    }
}

// The states of a run whose processing ends while the next one records are not reported: the
// shell goes on showing the recording.
TEST_F(RecordingTest, AnEarlierRunsLateStatesAreNotReportedDuringTheNextRecording) {
    struct SlowPunctuation final : TranscriptPunctuation {
        test::Gate gate;
        QCoro::Task<QString> punctuate(QString text) override {
            co_await gate.wait();
            co_return text + QStringLiteral("。");
        }
    } punctuation;
    test::DictationHarness slow{recognizer, &scheduler, {}, &punctuation};
    audio = nullptr;
    slow.service.toggleVoiceInput(VoiceInputMode::inputMethod);
    ASSERT_TRUE(test::waitUntil([&] { return audio && audio->running; }));
    engine.emitResult(QStringLiteral("第一段"), false);
    slow.service.toggleVoiceInput(VoiceInputMode::inputMethod);
    settle();
    engine.emitResult(QStringLiteral("第一段话"), true);
    ASSERT_TRUE(test::waitUntil([&] { return punctuation.gate.waiting == 1; }));

    audio = nullptr;
    slow.service.toggleVoiceInput(VoiceInputMode::inputMethod);
    ASSERT_TRUE(test::waitUntil([&] { return audio && audio->running; }));
    slow.states.clear();
    test::LogCapture log;
    punctuation.gate.open();
    settle();
    EXPECT_EQ(slow.keys.typed, QStringList{QStringLiteral("第一段话。")});
    EXPECT_EQ(slow.states, QStringList{}) << "the earlier run's completion would hide the live banner";
    EXPECT_EQ(slow.service.recognitionState(), RecognitionState::listening());
    EXPECT_TRUE(log.contains(QStringLiteral("[VoiceInputService] 上一次录音的状态不再显示: completed")));
    EXPECT_TRUE(slow.service.isRecording());
}

// A model installed or chosen during a dictation (the guide, the model card, `vocena model use`)
// replaces the dictation only once the run's words are typed, and several requests meanwhile
// are one reload.
TEST_F(RecordingTest, AReloadWaitsForTheRunsWordsAndHappensOnce) {
    int reloads = 0;
    IdleReload reload(scheduler, [this] { return IdleReload::isBusy(&service); }, [&reloads] { ++reloads; });
    reload.request();
    EXPECT_EQ(reloads, 1) << "an idle dictation is replaced at once";

    toggleStart();
    engine.emitResult(QStringLiteral("说到一半"), false);
    reload.request();  // the guide
    reload.request();  // the speech-model card
    clock.advance(1);
    EXPECT_EQ(reloads, 1);
    toggleStop();
    clock.advance(0.5);  // the final result is not in yet
    EXPECT_EQ(reloads, 1);
    engine.emitResult(QStringLiteral("说到一半了"), true);
    settle();
    EXPECT_EQ(typed, QStringList{QStringLiteral("说到一半了")});
    clock.advance(IdleReload::kRetrySeconds);
    EXPECT_EQ(reloads, 2);
    clock.advance(5);
    EXPECT_EQ(reloads, 2);
    EXPECT_FALSE(reload.isWaiting());
}

// The microphone goes away while recording: the run ends as if the user had stopped it, and
// what was recognised so far is typed.
TEST_F(RecordingTest, AudioThatEndsByItselfStopsTheRecordingAndKeepsTheText) {
    toggleStart();
    engine.emitResult(QStringLiteral("说到一半"), false);
    audio->onEnd();  // as the capture thread does when the stream dies
    settle();
    EXPECT_FALSE(service.isRecording());
    EXPECT_TRUE(engine.calls.contains(QStringLiteral("end 1")));
    engine.emitResult(QStringLiteral("说到一半了"), true);
    settle();
    EXPECT_EQ(typed, QStringList{QStringLiteral("说到一半了")});
    EXPECT_FALSE(states.join(' ').contains(QStringLiteral("error")));
}

// Refusals and failures of a start seen through the toggle: the reports the shell gets, and a
// recognizer left alone.
TEST_F(RecordingTest, StartFailuresThroughTheToggle) {
    struct Case {
        const char* name;
        bool microphone, model, audio;
        QStringList states;
        QStringList engineCalls;
    };
    const QList<Case> cases{
        {"microphone refused", false, true, true, {"error(麦克风权限未授权)", "error(语音识别权限未授权)"}, {}},
        {"no usable model", true, false, true, {"error(语音识别权限未授权)", "error(语音识别权限未授权)"}, {}},
        {"the audio source fails", true, true, false, {"listening", "error(启动失败: 音频引擎错误)", "error(音频引擎错误)"}, {"start 1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        states.clear();
        engine.calls.clear();
        engine.lastTask = 0;
        microphone = c.microphone;
        engine.available = c.model;
        audioFails = !c.audio;
        toggleStart(int(c.states.size()));
        settle();
        EXPECT_EQ(states, c.states);
        EXPECT_EQ(engine.calls, c.engineCalls);
        EXPECT_FALSE(service.isRecording());
        EXPECT_FALSE(recognizer.isRecognizing());
    }
}

// Failures reported while recording end the run with the text so far.
TEST_F(RecordingTest, RecognizerErrorsWhileRecordingKeepTheText) {
    struct Case {
        const char* name;
        QString domain;
        int code;
        QStringList states;
    };
    const QList<Case> cases{
        {"no speech within the engine's limit", EngineErrorDomain::assistant, 1110, {"listening", "recognizing", "idle", "completed"}},
        {"network", EngineErrorDomain::recognition, 4, {"listening", "recognizing", "error(识别错误: networkError)", "completed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        typed.clear();
        states.clear();
        toggleStart();
        engine.emitResult(QStringLiteral("说到一半"), false);
        engine.emitError(c.domain, c.code);
        settle();
        EXPECT_FALSE(service.isRecording());
        EXPECT_EQ(states, c.states);
        EXPECT_EQ(typed, QStringList{QStringLiteral("说到一半")});
    }
}

TEST_F(RecordingTest, SilenceStopsAfterFiveQuietSeconds) {
    toggleStart();
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
    clock.advance(3);  // the stopped run ends
    toggleStart();
    for (int second = 0; second < 20; ++second) {
        for (int i = 0; i < 16; ++i) audio->push(0.02f);
        settle();
        clock.advance(1);
    }
    EXPECT_TRUE(service.isRecording());
    EXPECT_GT(service.audioLevel(), 0.01f);
}

TEST_F(RecordingTest, TwoHourLimit) {
    toggleStart();
    for (int step = 0; step < 1799; ++step) {  // a new word every 4 s keeps the silence timer away
        engine.emitResult(QStringLiteral("一直在说%1").arg(step), false);
        clock.advance(4);
    }
    EXPECT_TRUE(service.isRecording());
    engine.emitResult(QStringLiteral("还在说"), false);
    clock.advance(4);
    EXPECT_FALSE(service.isRecording());
}
