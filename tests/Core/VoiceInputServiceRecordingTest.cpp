// Recording control over the real recognizer logic with a scripted engine, in virtual time.
#include "Core/IdleReload.h"
#include "support/Dictation.h"
#include "support/FakeSpeech.h"
#include "support/Gate.h"
#include "support/ManualScheduler.h"

using namespace vocena;

namespace {

class RecordingTest : public ::testing::Test {
protected:
    test::ManualClock clock;
    test::ManualScheduler scheduler{clock};
    test::FakeSpeech speech{scheduler};
    test::FakeRecognitionEngine& engine = speech.engine;
    bool microphone = true;
    test::Gate* microphoneGate = nullptr;  // when set, the microphone check waits for it
    test::Dictation dictation{{.recognizer = &speech.recognizer,
                               .scheduler = &scheduler,
                               .microphone = [this]() -> QCoro::Task<bool> {
                                   if (microphoneGate) co_await microphoneGate->wait();
                                   co_return microphone;
                               },
                               .listening = [this] { return speech.listening(); }}};
    VoiceInputService& service = dictation.service;
    QStringList& states = dictation.states;
    QStringList& typed = dictation.keys.typed;

    static void settle() { test::Dictation::settle(); }
    void advance(double seconds) {
        clock.advance(seconds);
        settle();
    }
};

}  // namespace

// How a run ends and which text is then typed, once: after a stop the final result, or the
// partial once the recognizer gives up waiting for it or at once on an error; while recording,
// an error ends the run with the text so far.
TEST_F(RecordingTest, EveryEndOfARunTypesTheFinalResultOrTheTextSoFarOnce) {
    struct Case {
        const char* name;
        bool stop;
        std::function<void()> end;
        double virtualSeconds;  // that the wait for the final result takes
        QString typed;
        QStringList states;
    };
    // Its processing reports the end: one "completed", not one before the processing too.
    const QStringList completed{"listening", "recognizing", "completed"};
    const QList<Case> cases{
        {"the final result arrives: processed at once", true, [this] { engine.emitResult(QStringLiteral("今天天气很好"), true); }, 0,
         "今天天气很好", completed},
        {"no final result: the partial once the recognizer gives up", true, [] {}, 2.0, "今天天气", completed},
        {"an error while stopping ends the recognition: the partial at once", true,
         [this] { engine.emitError(EngineErrorDomain::engine, 2); }, 0, "今天天气", completed},
        {"no speech within the engine's limit", false, [this] { engine.emitError(EngineErrorDomain::assistant, 1110); }, 0,
         "今天天气", {"listening", "recognizing", "idle", "completed"}},
        {"the model fails to decode", false, [this] { engine.emitError(EngineErrorDomain::engine, 2); }, 0, "今天天气",
         {"listening", "recognizing", "error(识别错误: recognitionFailed)", "completed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        typed.clear();
        states.clear();
        dictation.toggle();
        engine.emitResult(QStringLiteral("今天天气"), false);
        if (c.stop) {
            dictation.toggle();
            EXPECT_FALSE(speech.audio->running);
            EXPECT_TRUE(service.isProcessing()) << "a command quitting now would lose the words";
        }
        c.end();
        settle();
        if (c.virtualSeconds > 0) {
            advance(c.virtualSeconds - 0.1);
            EXPECT_TRUE(typed.isEmpty()) << "typed before the final result could come";
            advance(0.1);
            EXPECT_EQ(engine.calls.last(), QStringLiteral("cancel %1").arg(engine.lastTask)) << "the engine would decode on";
        }
        EXPECT_EQ(std::tuple(typed, states, service.isRecording(), service.isAwaitingFinalResult(),
                             service.isProcessing()),
                  std::tuple(QStringList{c.typed}, c.states, false, false, false));
        // Nothing late is processed a second time.
        engine.emitResult(QStringLiteral("迟到的"), true);
        advance(3);
        EXPECT_EQ(typed.size(), 1);
    }
}

// A quick second dictation: its start's microphone check resumes around the end of the first
// run's wait for its final result. Whichever comes first, the first run's words are typed once
// (the final result when it came before the start, else what was heard), and the second
// recording goes on with an empty text. A start first gives up the old run's final result.
TEST_F(RecordingTest, AQuickSecondStartNeverDropsTheFirstRunsWords) {
    struct Case {
        const char* name;
        bool startFirst;
        std::function<void(quint64 firstTask)> endOfWait;
        QString typed;
    };
    const auto finalResult = [this](quint64 task) { engine.emitResult(QStringLiteral("旧的话"), true, task); };
    const QList<Case> cases{
        {"the final result, with the start's check resuming in the same turn", false, finalResult, "旧的话"},
        {"the cut-off, with the start's check resuming in the same turn", false,
         [this](quint64) { clock.advance(SpeechRecognitionProtocol::kFinalResultCutOff); }, "旧的"},
        {"the start first: the final result comes too late", true, finalResult, "旧的"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        typed.clear();
        dictation.toggle();
        const quint64 firstTask = engine.lastTask;
        engine.emitResult(QStringLiteral("旧的"), false);
        dictation.toggle();
        ASSERT_TRUE(service.isAwaitingFinalResult());

        test::Gate gate;
        microphoneGate = &gate;
        service.toggleVoiceInput(VoiceInputMode::inputMethod);
        settle();
        ASSERT_EQ(gate.waiting, 1) << "the second start waits for its microphone check";
        // Unless the start goes first, the check's answer is queued (as a real check's is)
        // before whatever the end of the wait queues: the start resumes first.
        gate.open();
        if (c.startFirst) settle();
        c.endOfWait(firstTask);
        ASSERT_TRUE(test::waitUntil([&] { return speech.listening(); }));
        microphoneGate = nullptr;
        advance(3);
        EXPECT_EQ(std::tuple(typed, service.isRecording(), service.recognizedText(), service.isProcessing()),
                  std::tuple(QStringList{c.typed}, true, QString(), false));
        dictation.toggle();
        advance(3);
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
    test::Dictation slow{{.recognizer = &speech.recognizer, .scheduler = &scheduler, .punctuation = &punctuation,
                          .listening = [this] { return speech.listening(); }}};
    slow.toggle();
    engine.emitResult(QStringLiteral("第一段"), false);
    slow.toggle();
    engine.emitResult(QStringLiteral("第一段话"), true);
    ASSERT_TRUE(test::waitUntil([&] { return punctuation.gate.waiting == 1; }));
    slow.toggle();
    slow.states.clear();
    punctuation.gate.open();
    settle();
    // Reported, the earlier run's completion would hide the live banner.
    EXPECT_EQ(std::tuple(slow.keys.typed, slow.states, slow.service.recognitionState(), slow.service.isRecording()),
              std::tuple(QStringList{QStringLiteral("第一段话。")}, QStringList{}, RecognitionState::listening(), true));
}

// A model installed or chosen during a dictation (the guide, the model card, `vocena model use`)
// replaces the dictation only once the run's words are typed, and several requests meanwhile
// are one reload.
TEST_F(RecordingTest, AReloadWaitsForTheRunsWordsAndHappensOnce) {
    int reloads = 0;
    IdleReload reload(scheduler, [this] { return IdleReload::isBusy(&service); }, [&reloads] { ++reloads; });
    const auto reloadsAfter = [&](double seconds) {
        clock.advance(seconds);
        return reloads;
    };
    reload.request();
    EXPECT_EQ(reloads, 1) << "an idle dictation is replaced at once";

    dictation.toggle();
    engine.emitResult(QStringLiteral("说到一半"), false);
    reload.request();  // the guide
    reload.request();  // the speech-model card
    EXPECT_EQ(reloadsAfter(1), 1);
    dictation.toggle();
    EXPECT_EQ(reloadsAfter(0.5), 1) << "before the final result";
    engine.emitResult(QStringLiteral("说到一半了"), true);
    settle();
    EXPECT_EQ(typed, QStringList{QStringLiteral("说到一半了")});
    EXPECT_EQ((QList{reloadsAfter(IdleReload::kRetrySeconds), reloadsAfter(5)}), (QList{2, 2}));
}

// Refusals and failures of a start seen through the toggle: the reports the shell gets, and a
// recognizer left alone.
TEST_F(RecordingTest, StartFailuresThroughTheToggle) {
    struct Case {
        const char* name;
        bool microphone, model, audio;
        QStringList states, engineCalls;
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
        speech.audioFails = !c.audio;
        service.toggleVoiceInput(VoiceInputMode::inputMethod);
        ASSERT_TRUE(test::waitUntil([&] { return states.size() >= c.states.size(); }));
        settle();
        EXPECT_EQ(std::tuple(states, engine.calls, service.isRecording(), speech.recognizer.isRecognizing()),
                  std::tuple(c.states, c.engineCalls, false, false));
    }
}

// Five quiet seconds stop a recording (a new word re-arms the timer, an empty text or a quiet
// level does not; a level just above 0.01 does), and so do two hours.
TEST_F(RecordingTest, SilenceAndTheTwoHourLimitStopARecording) {
    const auto recordingAfter = [&](double seconds) {
        clock.advance(seconds);
        return service.isRecording();
    };
    dictation.toggle();
    clock.advance(4);
    engine.emitResult(QStringLiteral("开会"), false);
    clock.advance(4);
    engine.emitResult(QString(), false);
    speech.audio->push(0.005f);
    settle();
    EXPECT_EQ((QList{recordingAfter(0.9), recordingAfter(0.2)}), (QList{true, false}));

    clock.advance(3);  // the stopped run ends
    dictation.toggle();
    for (int second = 0; second < 20; ++second) {
        for (int i = 0; i < 16; ++i) speech.audio->push(0.02f);
        settle();
        clock.advance(1);
    }
    EXPECT_TRUE(service.isRecording());
    EXPECT_GT(service.audioLevel(), 0.01f);
    for (int step = 20 / 4; step < 1799; ++step) {  // a new word every 4 s keeps the silence timer away
        engine.emitResult(QStringLiteral("一直在说%1").arg(step), false);
        clock.advance(4);
    }
    EXPECT_TRUE(service.isRecording());
    engine.emitResult(QStringLiteral("还在说"), false);
    EXPECT_FALSE(recordingAfter(4));
}
