// A dictation stopped right after the last word, on the real sherpa-onnx library with the
// generated model: what is typed is the whole transcript, the words of the final decode too.
#include "Infrastructure/Speech/SherpaOnnxEngine.h"
#include "Infrastructure/Speech/SystemSpeechRecognizer.h"
#include "support/BurstAudio.h"
#include "support/DictationHarness.h"
#include "support/FakeSpeech.h"
#include "support/ManualScheduler.h"
#include "support/SpeechTestAssets.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

using namespace vocena;
using vocena::test::SpeechTestAssets;

namespace {

class FinalTranscriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SpeechTestAssets::shared().error, QString());
        QString error;
        const auto model = SpeechTestAssets::shared().loadable(QStringLiteral("good"), &error);
        ASSERT_TRUE(model) << error.toStdString();
        ASSERT_TRUE(engine.load(*model, {}, &error)) << error.toStdString();
    }

    // What the engine makes of `audio` fed whole: the partial before the end, and the final.
    std::pair<QString, QString> decodeWhole(const std::vector<float>& audio) {
        QString partial, final;
        bool ended = false;
        const auto connection = QObject::connect(&engine, &RecognitionEngine::resultReady, [&](quint64, const QString& text, float, bool isFinal) {
            (isFinal ? final : partial) = text;
            ended = ended || isFinal;
        });
        const quint64 task = engine.start();
        engine.acceptAudio(task, audio.data(), int(audio.size()));
        // Everything the engine can decode before the end: it never sees the last chunk whole.
        test::waitUntil([] { return false; }, 500);
        const QString beforeEnd = partial;
        engine.endAudio(task);
        EXPECT_TRUE(test::waitUntil([&] { return ended; }));
        QObject::disconnect(connection);
        return {beforeEnd, final};
    }

    test::ManualClock clock;
    test::ManualScheduler scheduler{clock};
    SherpaOnnxEngine engine{scheduler};
};

}  // namespace

TEST_F(FinalTranscriptTest, AStopRightAfterTheLastWordTypesEveryWord) {
    const std::vector<float> audio = test::burstAudio();
    const auto [beforeEnd, whole] = decodeWhole(audio);
    ASSERT_FALSE(whole.isEmpty());
    ASSERT_FALSE(beforeEnd.isEmpty());
    ASSERT_LT(beforeEnd.size(), whole.size()) << "the audio must keep its last word for the final decode";

    test::FakeAudioSource* microphone = nullptr;
    SystemSpeechRecognizer recognizer{&engine,
                                      [&] {
                                          auto source = std::make_unique<test::FakeAudioSource>();
                                          microphone = source.get();
                                          return source;
                                      },
                                      scheduler};
    test::DictationHarness dictation{recognizer, &scheduler};
    VoiceInputService& service = dictation.service;

    service.toggleVoiceInput(VoiceInputMode::inputMethod);
    ASSERT_TRUE(test::waitUntil([&] { return microphone && microphone->running; }));
    microphone->push(audio);
    // The words so far are on screen; the last one is not in any partial result yet.
    ASSERT_TRUE(test::waitUntil([&] { return service.recognizedText() == beforeEnd; }));
    service.stopVoiceInput();

    ASSERT_TRUE(test::waitUntil([&] { return !dictation.keys.typed.isEmpty(); }));
    EXPECT_EQ(dictation.keys.typed, QStringList{whole});
    EXPECT_EQ(service.recognitionState(), RecognitionState::completed());
}
