// The vocabulary as hotwords on the real sherpa-onnx library: the generated transducer decodes
// speech to 你好你好… and, with 泥好 as a hotword, to 泥好泥好….
#include "Infrastructure/Speech/Recognition/SherpaOnnxEngine.h"
#include "Infrastructure/Speech/Audio/WavReader.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"
#include "support/SpeechTestAssets.h"
#include "support/TestFiles.h"
#include "support/TransducerTestModel.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace vocena;
using vocena::test::SpeechTestAssets;
using vocena::test::TransducerTestModel;

namespace {

VocabularyItem item(const QString& word, std::optional<QStringList> variants = std::nullopt) {
    return {QUuid::createUuid(), word, std::move(variants), std::nullopt, 0};
}

class HotwordRecognitionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SpeechTestAssets::shared().error, QString());
        ASSERT_EQ(TransducerTestModel::shared().error, QString());
        speech = WavReader::read(SpeechTestAssets::shared().speechWav(), nullptr).value().samples;
    }

    static std::unique_ptr<SherpaRecognizer> recognizer(const SpeechModel& model, SherpaRecognizer::Options options = {}) {
        QString error;
        auto created = SherpaRecognizer::create(model, options, &error);
        EXPECT_TRUE(created) << error.toStdString();
        return created;
    }

    // The whole recording decoded in one stream; "<error: …>" when the library failed.
    QString transcribe(SherpaRecognizer& recognizer, const SherpaRecognizer::Hotwords& hotwords = {}) const {
        QString error;
        std::optional<QString> text;
        if (recognizer.beginStream(&error, hotwords) && recognizer.acceptAudio(speech.data(), int(speech.size()), &error) &&
            recognizer.finishInput(&error) && recognizer.decode(&error))
            text = recognizer.text(&error);
        return text.value_or(QStringLiteral("<error: %1>").arg(error));
    }

    // Runs one recording through the engine; the final text.
    QString record(SherpaOnnxEngine& engine) const {
        QString final;
        bool ended = false;
        const auto connection = QObject::connect(&engine, &RecognitionEngine::resultReady, [&](quint64, const QString& text, float, bool isFinal) {
            final = text;
            ended = isFinal;
        });
        const quint64 task = engine.start();
        engine.acceptAudio(task, speech.data(), int(speech.size()));
        engine.endAudio(task);
        EXPECT_TRUE(test::waitUntil([&] { return ended; }));
        QObject::disconnect(connection);
        return final;
    }

    std::vector<float> speech;
    test::ManualClock clock;
    test::ManualScheduler scheduler{clock};
};

TEST_F(HotwordRecognitionTest, AHotwordChangesWhatBeamSearchPicksAndUnspellableWordsAreLeftOut) {
    const auto greedy = recognizer(TransducerTestModel::shared().model(), {.hotwords = false});
    const auto beam = recognizer(TransducerTestModel::shared().model());
    ASSERT_TRUE(greedy && beam);
    const QString plain = transcribe(*greedy);
    ASSERT_TRUE(plain.startsWith(QStringLiteral("你好你好"))) << plain.toStdString();
    EXPECT_EQ(transcribe(*beam), plain) << "beam search alone must not change the text";

    // Passed on, these would boost half a word (characters missing from tokens.txt), throw
    // (":", "#") or split a word ("/") in the library.
    test::LogCapture log;
    const QList<VocabularyItem> vocabulary{item(QStringLiteral("泥好"), QStringList{QStringLiteral("你好")}), item(QStringLiteral("明志中心")),
                                           item(QStringLiteral("VureVIZ")), item(QStringLiteral("泥好 :2.0")),
                                           item(QStringLiteral("泥好/你")), item(QStringLiteral("#1"))};
    EXPECT_EQ(transcribe(*beam, {vocabulary, 1.5}), QString(plain).replace(u'你', u'泥'));
    EXPECT_EQ(beam->activeHotwords(), QStringList{QStringLiteral("泥好")});
    EXPECT_TRUE(log.contains(QStringLiteral("5 个词汇无法用模型的字表（cjkchar）写成热词")));
    log.clear();
    transcribe(*beam, {vocabulary, 1.5});
    EXPECT_FALSE(log.contains(QStringLiteral("无法用模型的字表"))) << "the same words are reported once";

    EXPECT_EQ(transcribe(*beam, {{}, 1.5}), plain) << "each stream takes its own vocabulary";
    EXPECT_EQ(transcribe(*beam, {vocabulary, 0}), plain) << "a score of 0 is no hotword";
}

TEST_F(HotwordRecognitionTest, LatinWordsGoThroughTheModelsWordPieces) {
    QTemporaryDir dir;
    const QString source = TransducerTestModel::shared().directory();
    for (const QString& file : QDir(source).entryList(QDir::Files)) QFile::copy(source + u'/' + file, dir.filePath(file));
    ASSERT_TRUE(test::writeFile(dir.filePath("tokens.txt"), test::readFile(dir.filePath("tokens.txt")) + "\xe2\x96\x81VURE 4\nVIZ 5\n"));
    ASSERT_TRUE(test::writeFile(dir.filePath("bpe.vocab"), "<unk>\t0\n\xe2\x96\x81VURE\t-1\nVIZ\t-2\n"));
    const auto mixed = recognizer(SpeechModelDetector::detect(dir.path(), SpeechModelType::Transducer, nullptr).value());
    ASSERT_TRUE(mixed);

    EXPECT_TRUE(transcribe(*mixed, {{item(QStringLiteral("VureVIZ")), item(QStringLiteral("泥好"))}, 1.5}).startsWith(QStringLiteral("泥好泥好")));
    EXPECT_EQ(mixed->activeHotwords(), (QStringList{QStringLiteral("VureVIZ"), QStringLiteral("泥好")}));
}

TEST_F(HotwordRecognitionTest, TheEngineAsksForTheVocabularyAtEveryRecording) {
    SherpaOnnxEngine engine{scheduler};
    ASSERT_TRUE(engine.load(TransducerTestModel::shared().model(), {}, nullptr));
    QList<VocabularyItem> vocabulary;
    engine.setHotwordSource([&vocabulary] { return SherpaRecognizer::Hotwords{vocabulary, 1.5}; });

    EXPECT_TRUE(record(engine).startsWith(QStringLiteral("你好")));
    vocabulary << item(QStringLiteral("泥好"));
    EXPECT_TRUE(record(engine).startsWith(QStringLiteral("泥好")));
    vocabulary.clear();
    EXPECT_TRUE(record(engine).startsWith(QStringLiteral("你好")));
}

TEST_F(HotwordRecognitionTest, ModelsWithoutBeamSearchSayOnceThatTheyTakeNoHotwords) {
    SherpaOnnxEngine engine{scheduler};
    int asked = 0;
    engine.setHotwordSource([&asked] { return ++asked, SherpaRecognizer::Hotwords{{item(QStringLiteral("你好"))}, 1.5}; });
    test::LogCapture log;
    ASSERT_TRUE(engine.load(SpeechTestAssets::shared().loadable(QStringLiteral("good"), nullptr).value(), {}, nullptr));
    EXPECT_FALSE(engine.takesHotwords());
    record(engine);  // a greedy decoder given hotwords would end the process
    record(engine);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(log.lines().filter(QStringLiteral("不使用热词: t-one-ctc 模型不支持热词")).size(), 1);
}

}  // namespace
