// The real sherpa-onnx library with the generated test models (T-One, the transducer, the
// non-streaming CTC model, the punctuation model): first the hotword text built from the
// vocabulary, how a model's tokens spell it and the punctuator; then the engine over them (the
// transducer decodes speech to 你好你好… and, with 泥好 as a hotword, to 泥好泥好…), alone and
// under the recognizer and the dictation controller.
#include "Infrastructure/Speech/Audio/WavReader.h"
#include "Infrastructure/Speech/Models/ModelTokens.h"
#include "Infrastructure/Speech/Recognition/HotwordList.h"
#include "Infrastructure/Speech/Recognition/SherpaOnnxEngine.h"
#include "Infrastructure/Speech/Recognition/SherpaPunctuator.h"
#include "Infrastructure/Speech/Recognition/SystemSpeechRecognizer.h"
#include "support/BurstAudio.h"
#include "support/Dictation.h"
#include "support/FakeSpeech.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"
#include "support/SpeechTestAssets.h"
#include "support/TestFiles.h"
#include "support/TransducerTestModel.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <thread>

using namespace vocena;
using vocena::test::TransducerTestModel;
using vocena::test::waitUntil;

namespace {

struct Event {
    quint64 task;
    QString text;
    bool isFinal;
    QString error;  // "<domain> <code>"; empty for a result
};
QString failure(const QString& domain, int code) { return domain + u' ' + QString::number(code); }

const test::SpeechTestAssets& assets() { return test::SpeechTestAssets::shared(); }
VocabularyItem item(const QString& word, std::optional<QStringList> variants = std::nullopt) {
    return {QUuid::createUuid(), word, std::move(variants), std::nullopt, 0};
}
// A folder of the test assets as a model of `type` (none: detected).
SpeechModel model(const QString& folder, std::optional<SpeechModelType> type = SpeechModelType::ToneCtc) {
    QString error;
    const auto found = SpeechModelDetector::detect(folder, type, &error);
    EXPECT_TRUE(found) << error.toStdString();
    return found.value_or(SpeechModel{});
}

// A Chinese character model with a few whole Latin tokens; a mixed model whose Latin is spelled
// in upper-case word pieces; an English word-piece model.
const ModelTokens kCharacters({"<blk>", "<unk>", "明", "志", "中", "心", "泥", "好", "Qt", "3D", "+"});
const ModelTokens kMixed({"<blk>", "<unk>", "明", "志", "中", "心", "\u2581VURE", "VIZ"});
const ModelTokens kEnglish({"<blk>", "\u2581HELLO", "\u2581WORLD"});

// The hotword text built from a vocabulary, and the words left out of it.
TEST(HotwordListTest, BuildsTheHotwordTextOfEveryWordTheModelCanSpell) {
    // name, the model's tokens, its modelling unit, the vocabulary, the hotword text, the words skipped
    const QList<std::tuple<const char*, const ModelTokens*, const char*, QList<VocabularyItem>, QString, QStringList>> cases{
        {"Chinese words once, without their variants", &kCharacters, "cjkchar",
         {item("明志中心", QStringList{"名志中心"}), item("泥好"), item(" 泥好\t"), item("  ")}, "明 志 中 心 :1.5\n泥 好 :1.5\n", {}},
        // Half a word would boost the wrong characters; ":" and "/" are the library's syntax.
        {"unspellable words skipped whole", &kCharacters, "cjkchar",
         {item("明天"), item(":2.0"), item("明/志"), item("泥好 :3"), item("Qt-中心"), item("泥好"), item("明天")},
         "泥 好 :1.5\n", {"明天", ":2.0", "明/志", "泥好 :3", "Qt-中心"}},
        {"Latin runs are whole tokens without word pieces", &kCharacters, "cjkchar",
         {item("Qt中心"), item("3D明志"), item("Qt+中心"), item("VureVIZ"), item("qt中心")},
         "Qt 中 心 :1.5\n3D 明 志 :1.5\nQt + 中 心 :1.5\n", {"VureVIZ", "qt中心"}},
        {"Latin as word pieces in the model's case", &kMixed, "cjkchar+bpe",
         {item("VureVIZ中心"), item("VS  Code"), item("don't"), item("Vure泥")},
         "VUREVIZ 中 心 :1.5\nVS CODE :1.5\nDON'T :1.5\n", {"Vure泥"}},
        {"an English model", &kEnglish, "bpe", {item("hello world"), item("你好")}, "HELLO WORLD :1.5\n", {"你好"}},
        {"no unit, no hotwords", &kCharacters, "", {item("泥好")}, "", {"泥好"}},
    };
    for (const auto& [name, tokens, unit, vocabulary, text, skipped] : cases) {
        const HotwordList list = HotwordList::build(vocabulary, *tokens, QString::fromLatin1(unit), 1.5);
        EXPECT_EQ(list.text, text) << name;
        EXPECT_EQ(list.skipped, skipped) << name;
    }
}

// With a bpe.vocab and without (a character model has none to encode with); that a model's
// files are read for it is the mixed transducer's case below.
TEST(HotwordSupportTest, TheModellingUnitFollowsTheTokensAndTheWordPieceVocabulary) {
    EXPECT_EQ(QStringList({kCharacters.modelingUnit(true), kMixed.modelingUnit(true), kMixed.modelingUnit(false),
                           kEnglish.modelingUnit(true), kEnglish.modelingUnit(false)}),
              (QStringList{"cjkchar", "cjkchar+bpe", "cjkchar", "bpe", ""}));
}

class SherpaOnnxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(assets().error, QString());
        ASSERT_EQ(TransducerTestModel::shared().error, QString());
        QObject::connect(&engine, &RecognitionEngine::resultReady, [this](quint64 task, const QString& text, float, bool isFinal) {
            events.push_back({task, text, isFinal, {}});
        });
        QObject::connect(&engine, &RecognitionEngine::errorOccurred, [this](quint64 task, const EngineError& error) {
            events.push_back({task, {}, false, failure(error.domain, error.code)});
        });
    }

    void load(const SpeechModel& speech = model(assets().model(QStringLiteral("good"))), std::optional<SpeechModel> finalPass = {}) {
        QString error;
        ASSERT_TRUE(engine.load(speech, {}, &error, finalPass)) << error.toStdString();
    }

    // Feeds from another thread in capture-sized buffers, as the microphone does.
    void feed(quint64 task, const std::vector<float>& samples) {
        std::thread([&] {
            for (size_t at = 0; at < samples.size(); at += AudioSource::kFramesPerBuffer)
                engine.acceptAudio(task, samples.data() + at, int(std::min<size_t>(AudioSource::kFramesPerBuffer, samples.size() - at)));
        }).join();
    }
    // One whole recording of `audio`; its events, the last one its end.
    std::vector<Event> recognise(const std::vector<float>& audio) {
        const quint64 task = engine.start();
        feed(task, audio);
        return finish(task);
    }
    // The end of the audio of `task`; all its events once it ended.
    std::vector<Event> finish(quint64 task) {
        engine.endAudio(task);
        EXPECT_TRUE(waitUntil([&] { return ended(task); }));
        return eventsOf(task);
    }
    // Each event as "partial:<text>", "final:<text>" or its error.
    static QStringList outline(const std::vector<Event>& got) {
        QStringList lines;
        for (const Event& e : got) lines << (!e.error.isEmpty() ? e.error : (e.isFinal ? "final:" : "partial:") + e.text);
        return lines;
    }

    static std::vector<float> speech() { return WavReader::read(assets().speechWav(), nullptr).value().samples; }
    std::vector<Event> eventsOf(quint64 task) const {
        std::vector<Event> found;
        std::copy_if(events.begin(), events.end(), std::back_inserter(found), [task](const Event& e) { return e.task == task; });
        return found;
    }
    bool ended(quint64 task) const {
        const std::vector<Event> got = eventsOf(task);
        return std::any_of(got.begin(), got.end(), [](const Event& e) { return e.isFinal || !e.error.isEmpty(); });
    }

    test::ManualClock clock;
    test::ManualScheduler scheduler{clock};
    SherpaOnnxEngine engine{scheduler};
    std::vector<Event> events;
};

TEST_F(SherpaOnnxTest, ThePunctuatorAddsOnlyMarksAndSpaces) {
    QString error;
    SpeechModel punctuation = model(assets().punctuationModel(QStringLiteral("good")), std::nullopt);
    const std::unique_ptr<SherpaPunctuator> punctuator = SherpaPunctuator::create(punctuation, &error);
    ASSERT_TRUE(punctuator) << error.toStdString();
    const QList<std::pair<QString, QString>> cases{
        {QStringLiteral("hello world 很好"), QStringLiteral("hello world很好。")},  // a word the vocabulary lacks is kept
        {QString(), QString()},
        {QStringLiteral("  "), QStringLiteral("  ")},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(punctuator->punctuate(text, &error), expected) << text.toStdString();
    EXPECT_TRUE(SherpaPunctuator::keepsWords(QStringLiteral("今天很好 hello"), QStringLiteral("今天，很好。Hello？")));
    EXPECT_FALSE(SherpaPunctuator::keepsWords(QStringLiteral("今天很好我们出去"), QStringLiteral("今天很好。")));
    EXPECT_FALSE(SherpaPunctuator::keepsWords(QStringLiteral("今天很好"), QStringLiteral("今天真好。")));

    punctuation.directory = assets().path(QStringLiteral("nowhere"));
    EXPECT_FALSE(SherpaPunctuator::create(punctuation, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("不存在"))) << error.toStdString();
}

TEST_F(SherpaOnnxTest, CancelledTasksReportOnlyTheirCancellation) {
    load();
    const quint64 first = engine.start();
    feed(first, speech());
    engine.cancel(first);
    engine.endAudio(first);  // too late: nothing more for this task
    const quint64 second = engine.start();
    feed(second, speech());
    // The third replaces the second; the decoding thread works in order, so whatever it had
    // for the first two came before the third's end.
    const std::vector<Event> third = recognise(speech());
    EXPECT_TRUE(third.back().isFinal);
    EXPECT_FALSE(third.back().text.isEmpty());
    for (quint64 task : {first, second})
        EXPECT_EQ(outline(eventsOf(task)), QStringList{failure(EngineErrorDomain::recognition, 1)}) << "task " << task;
}

TEST_F(SherpaOnnxTest, NoSpeechWithinTheLimitEndsTheTaskWithTheTimeoutError) {
    load();
    // Ends in time.
    EXPECT_EQ(outline(recognise(std::vector<float>(2 * AudioSource::kSampleRate, 0.0f))), QStringList{"final:"});

    const quint64 silent = engine.start();
    feed(silent, std::vector<float>(AudioSource::kSampleRate, 0.0f));
    clock.advance(SherpaOnnxEngine::kNoSpeechTimeout - 0.1);
    EXPECT_TRUE(eventsOf(silent).empty());
    clock.advance(0.1);
    EXPECT_EQ(outline(eventsOf(silent)), QStringList{failure(EngineErrorDomain::assistant, 1110)});

    const quint64 spoken = engine.start();
    feed(spoken, speech());
    ASSERT_TRUE(waitUntil([&] { return !eventsOf(spoken).empty(); }));
    clock.advance(SherpaOnnxEngine::kNoSpeechTimeout);
    EXPECT_TRUE(finish(spoken).back().isFinal);
}

TEST_F(SherpaOnnxTest, DamagedModelsFailAsErrorsNotCrashes) {
    QString error;
    EXPECT_FALSE(engine.load(model(assets().model(QStringLiteral("random-bytes"))), {}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Protobuf"))) << error.toStdString();
    EXPECT_FALSE(engine.isAvailable());
    EXPECT_EQ(engine.start(), 0u);

    // Tokens shorter than the model's vocabulary load, then throw on the first decode.
    const QString shortTokens = assets().copy(QStringLiteral("good"), assets().path(QStringLiteral("short-tokens")));
    ASSERT_TRUE(test::writeFile(shortTokens + QStringLiteral("/tokens.txt"), "<blk> 0\n"));
    load(model(shortTokens));
    EXPECT_EQ(recognise(speech()).back().error, failure(EngineErrorDomain::engine, SherpaOnnxEngine::DecodingFailed));
}

// A long dictation with pauses: each segment cut at a pause is decoded by the non-streaming
// model while the audio goes on, so that at the stop only the last one is left; the final text
// is the final pass's (您好…, where the streaming model hears 你好…). A final-pass model that
// does not load leaves the streaming model's text.
TEST_F(SherpaOnnxTest, TheFinalPassDecodesEachSegmentBeforeTheStop) {
    const SpeechModel offline = model(assets().offlineModel(QStringLiteral("good")), std::nullopt);
    load(model(assets().model(QStringLiteral("good"))), offline);
    int decoded = 0;
    QObject::connect(&engine, &SherpaOnnxEngine::finalPassSegmentDecoded, [&decoded] { ++decoded; });

    // Seven utterances with 2.5 s between them: about 30 s, ending on speech.
    const std::vector<float> words = speech();
    std::vector<float> audio;
    for (int utterance = 0; utterance < 7; ++utterance) {
        if (utterance > 0) audio.insert(audio.end(), size_t(2.5 * AudioSource::kSampleRate), 0.0f);
        audio.insert(audio.end(), words.begin(), words.end());
    }
    const quint64 task = engine.start();
    feed(task, audio);
    ASSERT_TRUE(waitUntil([&] { return decoded == 6; })) << decoded;
    const std::vector<Event> got = finish(task);
    ASSERT_TRUE(got.back().isFinal);
    EXPECT_TRUE(got.back().text.contains(QStringLiteral("您好")) && !got.back().text.contains(u'你')) << got.back().text.toStdString();

    SpeechModel broken = offline;
    broken.directory = assets().offlineModel(QStringLiteral("random-bytes"));
    load(model(assets().model(QStringLiteral("good"))), broken);
    EXPECT_EQ(engine.finalPassModelName(), QString());
    EXPECT_FALSE(engine.finalPassProblem().isEmpty());
    EXPECT_TRUE(recognise(words).back().text.contains(QStringLiteral("你好")));
}

// Without a streaming model the non-streaming one recognises alone: its live text grows as the
// words come, segment after segment, and its final text is what it hears (您好…).
TEST_F(SherpaOnnxTest, ANonStreamingModelAloneGivesTheLiveTextToo) {
    load(model(assets().offlineModel(QStringLiteral("good")), std::nullopt));
    EXPECT_FALSE(engine.takesHotwords());
    const std::vector<float> words = speech();
    std::vector<float> audio = words;
    audio.insert(audio.end(), size_t(2 * AudioSource::kSampleRate), 0.0f);
    audio.insert(audio.end(), words.begin(), words.end());
    const std::vector<Event> got = recognise(audio);
    ASSERT_GE(got.size(), 3u);
    const QString final = got.back().text;
    EXPECT_TRUE(final.contains(QStringLiteral("您好")) && !final.contains(u'你')) << final.toStdString();
    EXPECT_GE(std::count_if(got.begin(), got.end(), [](const Event& e) { return !e.isFinal && e.text.contains(u'您'); }), 2);
    // The first utterance's words were kept when the pause ended its segment.
    EXPECT_GE(final.size(), recognise(words).back().text.size() * 3 / 2) << final.toStdString();
}

// A model without beam search never asks for hotwords (a greedy decoder given hotwords would
// end the process). The transducer, loaded next with the same source, asks at every recording:
// it decodes speech to 你好你好…, or with 泥好 as a hotword to 泥好泥好…. Words it cannot spell
// are left out: passed on, they would boost half a word (characters missing from tokens.txt),
// throw (":", "#") or split a word ("/") in the library. Latin words go through the word
// pieces of a model with a bpe.vocab.
TEST_F(SherpaOnnxTest, HotwordsAreAskedForAtEveryRecordingAndOnlyWordsTheModelCanSpellReachIt) {
    int asked = 0;
    QList<VocabularyItem> vocabulary{item(QStringLiteral("你好"))};
    engine.setHotwordSource([&] { return ++asked, SherpaRecognizer::Hotwords{vocabulary, 1.5}; });
    load();
    EXPECT_FALSE(engine.takesHotwords());
    recognise(speech());
    EXPECT_EQ(asked, 0);

    load(TransducerTestModel::shared().model());
    vocabulary.clear();
    const QString plain = recognise(speech()).back().text;
    ASSERT_TRUE(plain.startsWith(QStringLiteral("你好你好"))) << plain.toStdString();
    vocabulary = {item(QStringLiteral("泥好"), QStringList{QStringLiteral("你好")}), item(QStringLiteral("明志中心")),
                  item(QStringLiteral("VureVIZ")), item(QStringLiteral("泥好 :2.0")), item(QStringLiteral("泥好/你")),
                  item(QStringLiteral("#1"))};
    EXPECT_EQ(recognise(speech()).back().text, QString(plain).replace(u'你', u'泥'));
    vocabulary.clear();
    EXPECT_EQ(recognise(speech()).back().text, plain);
    EXPECT_EQ(asked, 3);

    QTemporaryDir dir;
    test::SpeechTestAssets::copyFolder(TransducerTestModel::shared().directory(), dir.path());
    ASSERT_TRUE(test::writeFile(dir.filePath("tokens.txt"), test::readFile(dir.filePath("tokens.txt")) + "\xe2\x96\x81VURE 4\nVIZ 5\n"));
    ASSERT_TRUE(test::writeFile(dir.filePath("bpe.vocab"), "<unk>\t0\n\xe2\x96\x81VURE\t-1\nVIZ\t-2\n"));
    load(model(dir.path(), SpeechModelType::Transducer));
    vocabulary = {item(QStringLiteral("VureVIZ")), item(QStringLiteral("泥好"))};
    test::LogCapture log;
    EXPECT_TRUE(recognise(speech()).back().text.startsWith(QStringLiteral("泥好泥好")));
    EXPECT_FALSE(log.contains(QStringLiteral("写成热词"))) << "VureVIZ was left out: " << log.lines().join(u'\n').toStdString();
}

// A dictation stopped right after the last word: what is typed is the whole transcript, the
// words of the final decode too.
TEST_F(SherpaOnnxTest, AStopRightAfterTheLastWordTypesEveryWord) {
    load();
    const std::vector<float> audio = test::burstAudio();
    // Everything it can decode before the end: the decoder holds back the last complete chunk
    // until more audio or the end comes, so that is the audio cut after the chunk before it,
    // decoded to its end.
    const size_t chunk = size_t(0.3 * AudioSource::kSampleRate);
    const QString beforeEnd = recognise(std::vector<float>(audio.begin(), audio.begin() + qsizetype((audio.size() / chunk - 1) * chunk))).back().text;
    const quint64 task = engine.start();
    feed(task, audio);
    ASSERT_TRUE(waitUntil([&] { return !eventsOf(task).empty() && eventsOf(task).back().text == beforeEnd; })) << beforeEnd.toStdString();
    const std::vector<Event> got = finish(task);
    const QString whole = got.back().text;
    ASSERT_TRUE(got.back().isFinal);
    ASSERT_LT(beforeEnd.size(), whole.size()) << "the audio must keep its last word for the final decode";

    test::FakeAudioSource* microphone = nullptr;
    SystemSpeechRecognizer recognizer{&engine, test::fakeAudioSources(microphone), scheduler};
    test::Dictation dictation{{.recognizer = &recognizer, .scheduler = &scheduler}};
    dictation.service.toggleVoiceInput(VoiceInputMode::inputMethod);
    ASSERT_TRUE(waitUntil([&] { return microphone && microphone->running; }));
    microphone->push(audio);
    // The words so far are on screen; the last one is not in any partial result yet.
    ASSERT_TRUE(waitUntil([&] { return dictation.service.recognizedText() == beforeEnd; }));
    dictation.service.stopVoiceInput();
    ASSERT_TRUE(waitUntil([&] { return !dictation.keys.typed.isEmpty(); }));
    EXPECT_EQ(dictation.keys.typed, QStringList{whole});
    EXPECT_EQ(dictation.service.recognitionState(), RecognitionState::completed());
}

}  // namespace
