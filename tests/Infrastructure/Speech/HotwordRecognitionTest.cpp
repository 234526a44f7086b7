// The vocabulary as hotwords on the real sherpa-onnx library: the generated transducer decodes
// speech to 你好你好… and, with 泥好 as a hotword, to 泥好泥好….
#include "Infrastructure/Speech/AudioSource.h"
#include "Infrastructure/Speech/SherpaOnnxEngine.h"
#include "Infrastructure/Speech/SherpaRecognizer.h"
#include "Infrastructure/Speech/WavReader.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"
#include "support/SpeechTestAssets.h"
#include "support/TestFiles.h"
#include "support/TransducerTestModel.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
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
        QString error;
        const auto audio = WavReader::read(SpeechTestAssets::shared().speechWav(), &error);
        ASSERT_TRUE(audio) << error.toStdString();
        speech = audio->samples;
    }

    static std::unique_ptr<SherpaRecognizer> recognizer(SherpaRecognizer::Options options = {}) {
        QString error;
        auto created = SherpaRecognizer::create(TransducerTestModel::shared().model(), options, &error);
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

    std::vector<float> speech;
};

TEST_F(HotwordRecognitionTest, AHotwordChangesWhatBeamSearchPicks) {
    const auto greedy = recognizer({.hotwords = false});
    const auto beam = recognizer();
    ASSERT_TRUE(greedy && beam);
    EXPECT_EQ(beam->hotwordsUnavailableReason(), QString());

    const QString plain = transcribe(*greedy);
    ASSERT_TRUE(plain.startsWith(QStringLiteral("你好你好"))) << plain.toStdString();
    EXPECT_EQ(transcribe(*beam), plain) << "beam search alone must not change the text";

    const QString boosted = transcribe(*beam, {{item(QStringLiteral("泥好"), QStringList{QStringLiteral("你好")})}, 1.5});
    EXPECT_EQ(boosted, QString(plain).replace(u'你', u'泥'));
    EXPECT_EQ(beam->activeHotwords(), QStringList{QStringLiteral("泥好")});

    // The next stream takes the vocabulary it is given: none, or a score of 0, is no hotword.
    EXPECT_EQ(transcribe(*beam, {{}, 1.5}), plain);
    EXPECT_EQ(transcribe(*beam, {{item(QStringLiteral("泥好"))}, 0}), plain);
}

TEST_F(HotwordRecognitionTest, WordsTheModelCannotSpellAreLeftOutAndNeverStopTheProcess) {
    const auto beam = recognizer();
    ASSERT_TRUE(beam);
    test::LogCapture log;
    // Characters missing from tokens.txt, Latin letters without a bpe.vocab, the library's own
    // syntax (":" starts a boost, "/" separates hotwords, "#" and "@" mark keyword options).
    const QList<VocabularyItem> vocabulary{item(QStringLiteral("明志中心")), item(QStringLiteral("VureVIZ")),
                                           item(QStringLiteral(":2.0")),      item(QStringLiteral("泥好/你")),
                                           item(QStringLiteral("#1 @x")),     item(QStringLiteral("泥好"))};
    const QString text = transcribe(*beam, {vocabulary, 1.5});
    EXPECT_TRUE(text.startsWith(QStringLiteral("泥好泥好"))) << text.toStdString();
    EXPECT_EQ(beam->activeHotwords(), QStringList{QStringLiteral("泥好")});
    EXPECT_TRUE(log.contains(QStringLiteral("5 个词汇无法用模型的字表（cjkchar）写成热词")));

    log.clear();
    transcribe(*beam, {vocabulary, 1.5});
    EXPECT_FALSE(log.contains(QStringLiteral("无法用模型的字表"))) << "the same words are reported once";
}

TEST_F(HotwordRecognitionTest, LatinWordsGoThroughTheModelsWordPieces) {
    // The same model with word pieces after its characters and a bpe.vocab beside it.
    QTemporaryDir dir;
    for (const QString& file : QDir(TransducerTestModel::shared().directory()).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(TransducerTestModel::shared().directory() + u'/' + file, dir.filePath(file)));
    QFile tokens(dir.filePath(QStringLiteral("tokens.txt")));
    ASSERT_TRUE(tokens.open(QIODevice::Append));
    tokens.write("\xe2\x96\x81VURE 4\nVIZ 5\n");
    tokens.close();
    ASSERT_TRUE(test::writeFile(dir.filePath(QStringLiteral("bpe.vocab")), "<unk>\t0\n\xe2\x96\x81VURE\t-1\nVIZ\t-2\n"));
    QString error;
    const auto model = SpeechModelDetector::detect(dir.path(), SpeechModelType::Transducer, &error);
    ASSERT_TRUE(model) << error.toStdString();
    const auto mixed = SherpaRecognizer::create(*model, {}, &error);
    ASSERT_TRUE(mixed) << error.toStdString();

    const QString text = transcribe(*mixed, {{item(QStringLiteral("VureVIZ")), item(QStringLiteral("泥好"))}, 1.5});
    EXPECT_TRUE(text.startsWith(QStringLiteral("泥好泥好"))) << text.toStdString();
    EXPECT_EQ(mixed->activeHotwords(), (QStringList{QStringLiteral("VureVIZ"), QStringLiteral("泥好")}));
}

TEST_F(HotwordRecognitionTest, TheEngineAsksForTheVocabularyAtEveryRecording) {
    test::ManualClock clock;
    test::ManualScheduler scheduler{clock};
    SherpaOnnxEngine engine{scheduler};
    QString error;
    ASSERT_TRUE(engine.load(TransducerTestModel::shared().model(), {}, &error)) << error.toStdString();
    ASSERT_TRUE(engine.takesHotwords());

    QList<VocabularyItem> vocabulary;
    engine.setHotwordSource([&vocabulary] { return SherpaRecognizer::Hotwords{vocabulary, 1.5}; });
    QString final;
    QObject::connect(&engine, &RecognitionEngine::resultReady, [&final](quint64, const QString& text, float, bool isFinal) {
        if (isFinal) final = text;
    });
    auto record = [&] {
        final.clear();
        const quint64 task = engine.start();
        engine.acceptAudio(task, speech.data(), int(speech.size()));
        engine.endAudio(task);
        EXPECT_TRUE(test::waitUntil([&] { return !final.isEmpty(); }));
        return final;
    };

    EXPECT_TRUE(record().startsWith(QStringLiteral("你好")));
    vocabulary << item(QStringLiteral("泥好"));
    EXPECT_TRUE(record().startsWith(QStringLiteral("泥好")));
    vocabulary.clear();
    EXPECT_TRUE(record().startsWith(QStringLiteral("你好")));
}

TEST_F(HotwordRecognitionTest, ModelsWithoutBeamSearchSayOnceThatTheyTakeNoHotwords) {
    test::ManualClock clock;
    test::ManualScheduler scheduler{clock};
    SherpaOnnxEngine engine{scheduler};
    int asked = 0;
    engine.setHotwordSource([&asked] {
        ++asked;
        return SherpaRecognizer::Hotwords{{item(QStringLiteral("你好"))}, 1.5};
    });
    test::LogCapture log;
    QString error;
    const auto ctc = SpeechTestAssets::shared().loadable(QStringLiteral("good"), &error);
    ASSERT_TRUE(ctc && engine.load(*ctc, {}, &error)) << error.toStdString();
    EXPECT_FALSE(engine.takesHotwords());
    EXPECT_TRUE(log.contains(QStringLiteral("不使用热词: t-one-ctc 模型不支持热词")));

    bool ended = false;
    QObject::connect(&engine, &RecognitionEngine::resultReady, [&ended](quint64, const QString&, float, bool isFinal) { ended = isFinal; });
    const quint64 task = engine.start();  // a greedy model given hotwords would end the process
    engine.acceptAudio(task, speech.data(), int(speech.size()));
    engine.endAudio(task);
    EXPECT_TRUE(test::waitUntil([&] { return ended; }));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(log.lines().filter(QStringLiteral("不使用热词")).size(), 1);
}

}  // namespace
