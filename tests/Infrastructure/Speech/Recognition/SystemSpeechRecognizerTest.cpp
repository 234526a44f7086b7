// The recognizer's logic over a scripted engine and audio source, in virtual time.
#include "Infrastructure/Speech/Recognition/SystemSpeechRecognizer.h"
#include "support/AsyncTest.h"
#include "support/FakeSpeech.h"
#include "support/ManualScheduler.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

using namespace vocena;
using test::FakeAudioSource;

namespace {

class RecognizerTest : public ::testing::Test {
protected:
    test::ManualClock clock;
    test::ManualScheduler scheduler{clock};
    test::FakeRecognitionEngine engine;
    FakeAudioSource* audio = nullptr;  // the source of the current recognition
    SystemSpeechRecognizer recognizer{&engine, test::fakeAudioSources(audio), scheduler};

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

// Stops, an error while stopping, the final result, the cut-off and how the engine's errors show are
// tested through the dictation controller.
TEST_F(RecognizerTest, CancellationsAreIgnoredAndAnErrorEndsTheRecognition) {
    ASSERT_EQ(start(), QString());
    ASSERT_EQ(start(), QString());  // still recognizing: ignored
    EXPECT_EQ(engine.lastTask, 1u);
    engine.emitError(EngineErrorDomain::recognition, 7, QStringLiteral("Recognition was CANCELLED"));
    EXPECT_TRUE(recognizer.isRecognizing());
    engine.emitError(EngineErrorDomain::assistant, 1110, QStringLiteral("no speech"));
    EXPECT_FALSE(recognizer.isRecognizing());
    EXPECT_FALSE(audio->running);  // the microphone closes with the failure
    engine.emitError(EngineErrorDomain::assistant, 1700);  // after the end: ignored

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
