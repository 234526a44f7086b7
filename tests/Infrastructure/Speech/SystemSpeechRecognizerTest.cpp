// The recognizer's logic over a scripted engine and audio source, in virtual time.
#include "Infrastructure/Speech/SystemSpeechRecognizer.h"
#include "support/AsyncTest.h"
#include "support/FakeSpeech.h"
#include "support/ManualScheduler.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

using namespace vocena;
using test::FakeAudioSource;

namespace {

class Reports final : public SpeechRecognitionDelegate {
public:
    QStringList events;
    QList<float> levels;
    void speechRecognitionDidStart(SpeechRecognitionProtocol&) override { events << QStringLiteral("start"); }
    void speechRecognitionDidReceive(SpeechRecognitionProtocol&, const SpeechRecognitionResult& r) override {
        events << (r.isFinal ? QStringLiteral("final:") : QStringLiteral("partial:")) + r.text;
    }
    void speechRecognitionDidFail(SpeechRecognitionProtocol&, const SpeechRecognitionError& e) override { events << QStringLiteral("fail:") + e.caseName(); }
    void speechRecognitionDidStop(SpeechRecognitionProtocol&) override { events << QStringLiteral("stop"); }
    void speechRecognitionDidUpdateAudioLevel(SpeechRecognitionProtocol&, float level) override { levels << level; }
};

class RecognizerTest : public ::testing::Test {
protected:
    test::ManualClock clock;
    test::ManualScheduler scheduler{clock};
    test::FakeRecognitionEngine engine;
    FakeAudioSource* audio = nullptr;  // the source of the current recognition
    Reports reports;
    SystemSpeechRecognizer recognizer{&engine,
                                      [this] {
                                          auto source = std::make_unique<FakeAudioSource>();
                                          audio = source.get();
                                          return source;
                                      },
                                      scheduler};

    void SetUp() override { recognizer.delegate = &reports; }
    QString start() { return test::await(recognizer.startRecognition()).error; }
};

QCoro::Task<> startInto(SystemSpeechRecognizer* recognizer, bool* done, QString* error) {
    try {
        co_await recognizer->startRecognition();
    } catch (const SpeechRecognitionError& e) {
        *error = e.description();
    }
    *done = true;
}

}  // namespace

TEST_F(RecognizerTest, StopWaitsForTheFinalResultOrCutsOffAfterTwoSeconds) {
    ASSERT_EQ(start(), QString());
    ASSERT_EQ(start(), QString());  // still recognizing: ignored
    EXPECT_EQ(engine.lastTask, 1u);
    audio->push(1.0f);
    audio->push(1.0f);
    QCoreApplication::processEvents();  // levels hop to the main thread
    ASSERT_EQ(reports.levels.size(), 2);
    EXPECT_FLOAT_EQ(reports.levels[0], 0.15f);  // the level is read when the hop runs
    EXPECT_FLOAT_EQ(recognizer.smoothedAudioLevel(), 0.2775f);
    EXPECT_EQ(engine.framesReceived, 2048);

    engine.emitResult(QStringLiteral("今天"), false);
    recognizer.stopRecognition();
    EXPECT_FALSE(audio->running);
    EXPECT_TRUE(recognizer.isStopping());
    engine.emitResult(QStringLiteral("今天天气"), true);
    EXPECT_EQ(reports.events, (QStringList{"start", "partial:今天", "stop", "final:今天天气", "stop"}));
    EXPECT_FALSE(recognizer.isRecognizing());
    EXPECT_EQ(recognizer.smoothedAudioLevel(), 0.0f);

    // No final result: the cut-off cancels the task and ends the recognition.
    reports.events.clear();
    ASSERT_EQ(start(), QString());
    recognizer.stopRecognition();
    clock.advance(1.9);
    EXPECT_TRUE(recognizer.isStopping());
    clock.advance(0.2);
    EXPECT_EQ(reports.events, (QStringList{"start", "stop", "stop"}));
    EXPECT_FALSE(recognizer.isRecognizing() || recognizer.isStopping());
    EXPECT_TRUE(engine.calls.contains(QStringLiteral("cancel 2")));
}

TEST_F(RecognizerTest, ErrorsAreClassifiedCancellationsIgnoredAndStopsSwallowThem) {
    ASSERT_EQ(start(), QString());
    engine.emitError(EngineErrorDomain::recognition, 7, QStringLiteral("Recognition was CANCELLED"));
    EXPECT_TRUE(recognizer.isRecognizing());
    engine.emitError(EngineErrorDomain::assistant, 1110, QStringLiteral("no speech"));
    EXPECT_FALSE(recognizer.isRecognizing());
    EXPECT_FALSE(audio->running);  // the microphone closes with the failure
    engine.emitError(EngineErrorDomain::assistant, 1700);  // after the end: ignored

    const QList<QPair<EngineError, QString>> mapping{
        {{EngineErrorDomain::assistant, 1700, {}}, "fail:networkError"},
        {{EngineErrorDomain::assistant, 1111, {}}, "fail:unknown"},
        {{EngineErrorDomain::assistant, 42, {}}, "fail:recognitionFailed"},
        {{EngineErrorDomain::recognition, 4, {}}, "fail:networkError"},
        {{EngineErrorDomain::engine, 4, {}}, "fail:recognitionFailed"},
    };
    for (const auto& [error, expected] : mapping) {
        ASSERT_EQ(start(), QString());
        engine.emitError(error.domain, error.code);
        EXPECT_EQ(reports.events.last(), expected);
    }

    ASSERT_EQ(start(), QString());
    recognizer.stopRecognition();
    reports.events.clear();
    engine.emitError(EngineErrorDomain::engine, 3);  // while stopping: a normal end
    EXPECT_EQ(reports.events, QStringList{"stop"});
    EXPECT_FALSE(recognizer.isStopping());

    SystemSpeechRecognizer withoutEngine(nullptr, [] { return std::make_unique<FakeAudioSource>(); }, scheduler);
    EXPECT_FALSE(*test::await(withoutEngine.requestAuthorization()).value);
}

// The source opens on a worker thread. A stop meanwhile, or the recognizer's end, closes it
// as soon as it is open, and the start ends quietly.
TEST_F(RecognizerTest, AStopOrTheEndWhileTheSourceOpensClosesIt) {
    for (const bool destroy : {false, true}) {
        SCOPED_TRACE(destroy ? "destroyed" : "stopped");
        std::promise<void> gate;
        bool closed = false;
        auto local = std::make_unique<SystemSpeechRecognizer>(&engine, [&] {
            auto source = std::make_unique<FakeAudioSource>();
            source->openGate = gate.get_future().share();
            source->onStop = [&closed] { closed = true; };
            return source;
        }, scheduler);
        bool done = false;
        QString error;
        startInto(local.get(), &done, &error);
        ASSERT_TRUE(local->isRecognizing());
        if (destroy) local.reset();
        else local->stopRecognition();
        gate.set_value();
        ASSERT_TRUE(test::waitUntil([&] { return done; }));
        EXPECT_EQ(error, QString());
        EXPECT_TRUE(closed);
        if (!destroy) {
            EXPECT_TRUE(local->isStopping()) << "the final result is still awaited";
            engine.emitResult(QString(), true);
            EXPECT_FALSE(local->isRecognizing());
        }
    }
}
