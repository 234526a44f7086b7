// The engine over the real sherpa-onnx library and the generated T-One test model, alone and
// under the recognizer and the dictation controller.
#include "Infrastructure/Speech/Audio/AudioSource.h"
#include "Infrastructure/Speech/Recognition/SherpaOnnxEngine.h"
#include "Infrastructure/Speech/Models/SpeechModelDetector.h"
#include "Infrastructure/Speech/Recognition/SystemSpeechRecognizer.h"
#include "Infrastructure/Speech/Audio/WavReader.h"
#include "support/BurstAudio.h"
#include "support/DictationHarness.h"
#include "support/FakeSpeech.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"
#include "support/SpeechTestAssets.h"
#include "support/TestFiles.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <thread>

using namespace vocena;
using vocena::test::SpeechTestAssets;
using vocena::test::waitUntil;

namespace {

struct Event {
    quint64 task;
    QString text;
    bool isFinal;
    std::optional<EngineError> error;
};

class SherpaOnnxEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SpeechTestAssets::shared().error, QString());
        QObject::connect(&engine, &RecognitionEngine::resultReady, [this](quint64 task, const QString& text, float, bool isFinal) {
            events.push_back({task, text, isFinal, std::nullopt});
        });
        QObject::connect(&engine, &RecognitionEngine::errorOccurred, [this](quint64 task, const EngineError& error) {
            events.push_back({task, {}, false, error});
        });
    }

    SpeechModel model(const QString& variant) const {
        QString error;
        const auto found = SpeechTestAssets::shared().loadable(variant, &error);
        EXPECT_TRUE(found) << error.toStdString();
        return found.value_or(SpeechModel{});
    }

    void load(const QString& variant = QStringLiteral("good")) {
        QString error;
        ASSERT_TRUE(engine.load(model(variant), {}, &error)) << error.toStdString();
    }

    // Feeds from another thread in capture-sized buffers, as the microphone does.
    void feed(quint64 task, const std::vector<float>& samples) {
        std::thread capture([&] {
            for (size_t at = 0; at < samples.size(); at += AudioSource::kFramesPerBuffer)
                engine.acceptAudio(task, samples.data() + at, int(std::min<size_t>(AudioSource::kFramesPerBuffer, samples.size() - at)));
        });
        capture.join();
    }

    static std::vector<float> speech() {
        QString error;
        auto audio = WavReader::read(SpeechTestAssets::shared().speechWav(), &error);
        EXPECT_TRUE(audio) << error.toStdString();
        return audio ? audio->samples : std::vector<float>{};
    }

    std::vector<Event> eventsOf(quint64 task) const {
        std::vector<Event> found;
        for (const Event& event : events)
            if (event.task == task) found.push_back(event);
        return found;
    }

    bool ended(quint64 task) const {
        for (const Event& event : eventsOf(task))
            if (event.isFinal || event.error) return true;
        return false;
    }

    test::ManualClock clock;
    test::ManualScheduler scheduler{clock};
    SherpaOnnxEngine engine{scheduler};
    std::vector<Event> events;
};

TEST_F(SherpaOnnxEngineTest, CancelledTasksReportOnlyTheirCancellation) {
    load();
    const quint64 first = engine.start();
    feed(first, speech());
    engine.cancel(first);
    engine.endAudio(first);  // too late: nothing more for this task

    const quint64 second = engine.start();
    feed(second, speech());
    const quint64 third = engine.start();  // replaces the second
    feed(third, speech());
    engine.endAudio(third);
    ASSERT_TRUE(waitUntil([&] { return ended(third); }));
    waitUntil([] { return false; }, 200);  // anything late would arrive now

    for (quint64 task : {first, second}) {
        const std::vector<Event> got = eventsOf(task);
        ASSERT_EQ(got.size(), 1u) << "task " << task;
        ASSERT_TRUE(got.front().error);
        EXPECT_EQ(got.front().error->domain, EngineErrorDomain::recognition);
        EXPECT_EQ(got.front().error->code, 1);
    }
    EXPECT_TRUE(eventsOf(third).back().isFinal);
    EXPECT_FALSE(eventsOf(third).back().text.isEmpty());
}

TEST_F(SherpaOnnxEngineTest, NoSpeechWithinTheLimitEndsTheTaskWithTheTimeoutError) {
    load();
    ASSERT_TRUE(engine.isAvailable());
    const quint64 quiet = engine.start();  // silence that ends in time: one empty final
    feed(quiet, std::vector<float>(2 * AudioSource::kSampleRate, 0.0f));
    engine.endAudio(quiet);
    ASSERT_TRUE(waitUntil([&] { return ended(quiet); }));
    ASSERT_EQ(eventsOf(quiet).size(), 1u);
    EXPECT_TRUE(eventsOf(quiet).front().isFinal);
    EXPECT_EQ(eventsOf(quiet).front().text, QString());

    const quint64 silent = engine.start();
    feed(silent, std::vector<float>(AudioSource::kSampleRate, 0.0f));
    clock.advance(SherpaOnnxEngine::kNoSpeechTimeout - 0.1);
    EXPECT_TRUE(eventsOf(silent).empty());
    clock.advance(0.1);
    ASSERT_EQ(eventsOf(silent).size(), 1u);
    EXPECT_EQ(eventsOf(silent).front().error->domain, EngineErrorDomain::assistant);
    EXPECT_EQ(eventsOf(silent).front().error->code, 1110);

    const quint64 spoken = engine.start();
    feed(spoken, speech());
    ASSERT_TRUE(waitUntil([&] { return !eventsOf(spoken).empty(); }));
    clock.advance(SherpaOnnxEngine::kNoSpeechTimeout);
    engine.endAudio(spoken);
    ASSERT_TRUE(waitUntil([&] { return ended(spoken); }));
    EXPECT_FALSE(eventsOf(spoken).back().error);
}

TEST_F(SherpaOnnxEngineTest, DamagedModelsFailAsErrorsNotCrashes) {
    QString error;
    EXPECT_FALSE(engine.load(model(QStringLiteral("random-bytes")), {}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Protobuf"))) << error.toStdString();
    EXPECT_FALSE(engine.isAvailable());
    EXPECT_EQ(engine.start(), 0u);

    // Tokens shorter than the model's vocabulary load, then throw on the first decode.
    const QString shortTokens =
        SpeechTestAssets::shared().copy(QStringLiteral("good"), SpeechTestAssets::shared().path(QStringLiteral("short-tokens")));
    ASSERT_TRUE(test::writeFile(shortTokens + QStringLiteral("/tokens.txt"), "<blk> 0\n"));
    SpeechModel model = this->model(QStringLiteral("good"));
    model.directory = shortTokens;
    ASSERT_TRUE(engine.load(model, {}, &error)) << error.toStdString();
    const quint64 task = engine.start();
    feed(task, speech());
    engine.endAudio(task);
    ASSERT_TRUE(waitUntil([&] { return ended(task); }));
    ASSERT_TRUE(eventsOf(task).back().error);
    EXPECT_EQ(eventsOf(task).back().error->domain, EngineErrorDomain::engine);
    EXPECT_EQ(eventsOf(task).back().error->code, SherpaOnnxEngine::DecodingFailed);
}

// A long dictation with pauses: each segment cut at a pause is decoded by the non-streaming
// model while the audio goes on, so that at the stop only the last one is left; the partials
// are the streaming model's (你好…), the final text the final pass's (您好…). A final-pass
// model that does not load leaves the streaming model's text.
TEST_F(SherpaOnnxEngineTest, TheFinalPassDecodesEachSegmentBeforeTheStop) {
    QString error;
    const std::optional<SpeechModel> offline =
        SpeechModelDetector::detect(SpeechTestAssets::shared().offlineModel(QStringLiteral("good")), std::nullopt, &error);
    ASSERT_TRUE(offline) << error.toStdString();
    ASSERT_TRUE(engine.load(model(QStringLiteral("good")), {}, &error, offline)) << error.toStdString();
    EXPECT_EQ(engine.finalPassModelName(), offline->name);
    int decoded = 0;
    QObject::connect(&engine, &SherpaOnnxEngine::finalPassSegmentDecoded, [&decoded] { ++decoded; });

    // Seven utterances with 2.5 s between them: about 30 s, ending on speech.
    const std::vector<float> words = speech();
    std::vector<float> audio;
    for (int utterance = 0; utterance < 7; ++utterance) {
        if (utterance > 0) audio.insert(audio.end(), size_t(2.5 * AudioSource::kSampleRate), 0.0f);
        audio.insert(audio.end(), words.begin(), words.end());
    }
    test::LogCapture log;
    const quint64 task = engine.start();
    feed(task, audio);
    ASSERT_TRUE(waitUntil([&] { return decoded == 6; })) << decoded;
    engine.endAudio(task);
    ASSERT_TRUE(waitUntil([&] { return ended(task); }));
    EXPECT_TRUE(log.contains(QStringLiteral("整句识别: 共 7 段，停止前已识别 6 段"))) << log.lines().join(u'\n').toStdString();
    const std::vector<Event> got = eventsOf(task);
    ASSERT_TRUE(got.back().isFinal);
    EXPECT_TRUE(got.back().text.contains(QStringLiteral("您好"))) << got.back().text.toStdString();
    EXPECT_FALSE(got.back().text.contains(QStringLiteral("你"))) << got.back().text.toStdString();
    EXPECT_TRUE(got.front().text.contains(QStringLiteral("你"))) << "the partials stay streaming";

    SpeechModel broken = *offline;
    broken.directory = SpeechTestAssets::shared().offlineModel(QStringLiteral("random-bytes"));
    ASSERT_TRUE(engine.load(model(QStringLiteral("good")), {}, &error, broken)) << error.toStdString();
    EXPECT_EQ(engine.finalPassModelName(), QString());
    EXPECT_FALSE(engine.finalPassProblem().isEmpty());
    const quint64 streaming = engine.start();
    feed(streaming, words);
    engine.endAudio(streaming);
    ASSERT_TRUE(waitUntil([&] { return ended(streaming); }));
    EXPECT_TRUE(eventsOf(streaming).back().text.contains(QStringLiteral("你好"))) << eventsOf(streaming).back().text.toStdString();
}

// Without a streaming model the non-streaming one recognises alone: its live text grows as the
// words come, segment after segment, and its final text is what it hears (您好…).
TEST_F(SherpaOnnxEngineTest, ANonStreamingModelAloneGivesTheLiveTextToo) {
    QString error;
    const std::optional<SpeechModel> offline =
        SpeechModelDetector::detect(SpeechTestAssets::shared().offlineModel(QStringLiteral("good")), std::nullopt, &error);
    ASSERT_TRUE(offline) << error.toStdString();
    ASSERT_TRUE(engine.load(*offline, {}, &error)) << error.toStdString();
    EXPECT_FALSE(engine.takesHotwords());
    const std::vector<float> words = speech();
    std::vector<float> audio = words;
    audio.insert(audio.end(), size_t(2 * AudioSource::kSampleRate), 0.0f);
    audio.insert(audio.end(), words.begin(), words.end());
    const quint64 task = engine.start();
    feed(task, audio);
    engine.endAudio(task);
    ASSERT_TRUE(waitUntil([&] { return ended(task); }));
    const std::vector<Event> got = eventsOf(task);
    ASSERT_GE(got.size(), 3u);
    const QString final = got.back().text;
    EXPECT_TRUE(got.back().isFinal);
    EXPECT_TRUE(final.contains(QStringLiteral("您好")) && !final.contains(u'你')) << final.toStdString();
    EXPECT_GE(std::count_if(got.begin(), got.end(), [](const Event& e) { return !e.isFinal && e.text.contains(u'您'); }), 2);
    // The first utterance's words were kept when the pause ended its segment.
    const quint64 once = engine.start();
    feed(once, words);
    engine.endAudio(once);
    ASSERT_TRUE(waitUntil([&] { return ended(once); }));
    EXPECT_GE(final.size(), eventsOf(once).back().text.size() * 3 / 2) << final.toStdString();
}

using FinalTranscriptTest = SherpaOnnxEngineTest;

// A dictation stopped right after the last word: what is typed is the whole transcript, the
// words of the final decode too.
TEST_F(FinalTranscriptTest, AStopRightAfterTheLastWordTypesEveryWord) {
    load();
    const std::vector<float> audio = test::burstAudio();
    // Everything it can decode before the end: the decoder holds back the last complete chunk
    // until more audio or the end comes, so that is the audio cut after the chunk before it,
    // decoded to its end.
    const size_t chunk = size_t(0.3 * AudioSource::kSampleRate);
    const quint64 cut = engine.start();
    feed(cut, std::vector<float>(audio.begin(), audio.begin() + qsizetype((audio.size() / chunk - 1) * chunk)));
    engine.endAudio(cut);
    ASSERT_TRUE(waitUntil([&] { return ended(cut); }));
    const QString beforeEnd = eventsOf(cut).back().text;

    const quint64 task = engine.start();
    feed(task, audio);
    ASSERT_TRUE(waitUntil([&] { return !eventsOf(task).empty() && eventsOf(task).back().text == beforeEnd; }))
        << beforeEnd.toStdString();
    engine.endAudio(task);
    ASSERT_TRUE(waitUntil([&] { return ended(task); }));
    const std::vector<Event> events = eventsOf(task);
    const QString whole = events.back().text;
    ASSERT_TRUE(events.back().isFinal);
    ASSERT_LT(beforeEnd.size(), whole.size()) << "the audio must keep its last word for the final decode";
    for (size_t i = 0; i + 1 < events.size(); ++i) {  // growing partials
        EXPECT_FALSE(events[i].isFinal);
        EXPECT_TRUE(whole.startsWith(events[i].text)) << events[i].text.toStdString();
    }

    test::FakeAudioSource* microphone = nullptr;
    SystemSpeechRecognizer recognizer{&engine, test::fakeAudioSources(microphone), scheduler};
    test::DictationHarness dictation{recognizer, &scheduler};
    VoiceInputService& service = dictation.service;
    service.toggleVoiceInput(VoiceInputMode::inputMethod);
    ASSERT_TRUE(waitUntil([&] { return microphone && microphone->running; }));
    microphone->push(audio);
    // The words so far are on screen; the last one is not in any partial result yet.
    ASSERT_TRUE(waitUntil([&] { return service.recognizedText() == beforeEnd; }));
    service.stopVoiceInput();
    ASSERT_TRUE(waitUntil([&] { return !dictation.keys.typed.isEmpty(); }));
    EXPECT_EQ(dictation.keys.typed, QStringList{whole});
    EXPECT_EQ(service.recognitionState(), RecognitionState::completed());
}

}  // namespace
