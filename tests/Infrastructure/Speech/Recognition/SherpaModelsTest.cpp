// The recognizers and the punctuator over the real sherpa-onnx library with the generated
// models, and the vocabulary as hotwords: the hotword text built from it, what a model's files
// say about how to spell it, and the generated transducer, which decodes speech to 你好你好…
// and, with 泥好 as a hotword, to 泥好泥好….
#include "Infrastructure/Speech/Audio/WavReader.h"
#include "Infrastructure/Speech/Recognition/HotwordList.h"
#include "Infrastructure/Speech/Recognition/HotwordSupport.h"
#include "Infrastructure/Speech/Recognition/SherpaOfflineRecognizer.h"
#include "Infrastructure/Speech/Recognition/SherpaPunctuator.h"
#include "Infrastructure/Speech/Recognition/SherpaRecognizer.h"
#include "support/LogCapture.h"
#include "support/SpeechTestAssets.h"
#include "support/TestFiles.h"
#include "support/TransducerTestModel.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>

using namespace vocena;
using vocena::test::TransducerTestModel;

namespace {

const test::SpeechTestAssets& assets() { return test::SpeechTestAssets::shared(); }

VocabularyItem item(const QString& word, std::optional<QStringList> variants = std::nullopt) {
    return {QUuid::createUuid(), word, std::move(variants), std::nullopt, 0};
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
         {item("VureVIZ中心"), item("VS  Code"), item("don't"), item("Vure泥")}, "VUREVIZ 中 心 :1.5\nVS CODE :1.5\nDON'T :1.5\n", {"Vure泥"}},
        {"an English model", &kEnglish, "bpe", {item("hello world"), item("你好")}, "HELLO WORLD :1.5\n", {"你好"}},
        {"no unit, no hotwords", &kCharacters, "", {item("泥好")}, "", {"泥好"}},
    };
    for (const auto& [name, tokens, unit, vocabulary, text, skipped] : cases) {
        const HotwordList list = HotwordList::build(vocabulary, *tokens, QString::fromLatin1(unit), 1.5);
        EXPECT_EQ(list.text, text) << name;
        EXPECT_EQ(list.skipped, skipped) << name;
    }
}

TEST(HotwordSupportTest, TheModellingUnitFollowsTheTokensAndOnlyTransducersTakeHotwords) {
    EXPECT_EQ(kCharacters.modelingUnit(true), "cjkchar") << "no word pieces to encode with";
    EXPECT_EQ(kMixed.modelingUnit(true), "cjkchar+bpe");
    EXPECT_EQ(kMixed.modelingUnit(false), "cjkchar");
    EXPECT_EQ(kEnglish.modelingUnit(true), "bpe");
    EXPECT_EQ(kEnglish.modelingUnit(false), "");

    QTemporaryDir dir;
    for (const char* file : {"encoder.onnx", "decoder.onnx", "joiner.onnx"}) ASSERT_TRUE(test::writeFile(dir.filePath(file), "x"));
    ASSERT_TRUE(test::writeFile(dir.filePath("tokens.txt"), "<blk> 0\n明 1\nbroken line\n\xe2\x96\x81HI 2\n"));
    auto detect = [&dir] { return SpeechModelDetector::detect(dir.path(), SpeechModelType::Transducer, nullptr).value(); };
    EXPECT_EQ(HotwordSupport::forModel(detect()).modelingUnit, "cjkchar");
    ASSERT_TRUE(test::writeFile(dir.filePath("bpe.vocab"), "\xe2\x96\x81HI\t-1.0\n"));
    SpeechModel model = detect();
    EXPECT_EQ(model.files.value(SpeechModel::kBpeVocabRole), "bpe.vocab") << "installed with the model";
    EXPECT_EQ(HotwordSupport::forModel(model).modelingUnit, "cjkchar+bpe");
    model.type = SpeechModelType::Zipformer2Ctc;
    EXPECT_EQ(HotwordSupport::forModel(model).reason, "zipformer2-ctc 模型不支持热词，只有 transducer 模型支持");
}

class SherpaModelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(assets().error, QString());
        ASSERT_EQ(TransducerTestModel::shared().error, QString());
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

    const std::vector<float> speech = WavReader::read(assets().speechWav(), nullptr).value_or(WavReader::Audio{}).samples;
};

TEST_F(SherpaModelsTest, AHotwordChangesWhatBeamSearchPicksAndUnspellableWordsAreLeftOut) {
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

TEST_F(SherpaModelsTest, LatinWordsGoThroughTheModelsWordPieces) {
    QTemporaryDir dir;
    test::SpeechTestAssets::copyFolder(TransducerTestModel::shared().directory(), dir.path());
    ASSERT_TRUE(test::writeFile(dir.filePath("tokens.txt"), test::readFile(dir.filePath("tokens.txt")) + "\xe2\x96\x81VURE 4\nVIZ 5\n"));
    ASSERT_TRUE(test::writeFile(dir.filePath("bpe.vocab"), "<unk>\t0\n\xe2\x96\x81VURE\t-1\nVIZ\t-2\n"));
    const auto mixed = recognizer(SpeechModelDetector::detect(dir.path(), SpeechModelType::Transducer, nullptr).value());
    ASSERT_TRUE(mixed);
    EXPECT_TRUE(transcribe(*mixed, {{item(QStringLiteral("VureVIZ")), item(QStringLiteral("泥好"))}, 1.5}).startsWith(QStringLiteral("泥好泥好")));
    EXPECT_EQ(mixed->activeHotwords(), (QStringList{QStringLiteral("VureVIZ"), QStringLiteral("泥好")}));
}

SpeechModel detected(const QString& folder) {
    QString error;
    const std::optional<SpeechModel> model = SpeechModelDetector::detect(folder, std::nullopt, &error);
    EXPECT_TRUE(model) << error.toStdString();
    return model.value_or(SpeechModel{});
}

// A whole recording at once: the speech comes out as the model hears it (您好…, where the
// streaming model hears 你好…), silence as nothing, a segment of a few samples without failing.
TEST_F(SherpaModelsTest, TheNonStreamingModelRecognisesAWholeSegmentAtOnce) {
    QString error;
    const std::unique_ptr<SherpaOfflineRecognizer> recognizer =
        SherpaOfflineRecognizer::create(detected(assets().offlineModel(QStringLiteral("good"))), {}, &error);
    ASSERT_TRUE(recognizer) << error.toStdString();
    EXPECT_FALSE(recognizer->punctuatesItself());

    const std::optional<QString> text = recognizer->recognize(speech.data(), int(speech.size()), &error);
    ASSERT_TRUE(text) << error.toStdString();
    EXPECT_TRUE(text->contains(QStringLiteral("您好")) && QRegularExpression(QStringLiteral("^[您好]+$")).match(*text).hasMatch())
        << text->toStdString();
    const std::vector<float> silence(16000, 0.0f);
    EXPECT_EQ(recognizer->recognize(silence.data(), int(silence.size()), &error), QString());
    // A few samples are padded to a length the library can decode, rather than make it fail.
    EXPECT_EQ(recognizer->recognize(silence.data(), 5, &error), QString()) << error.toStdString();
}

TEST_F(SherpaModelsTest, ThePunctuatorAddsOnlyMarksAndSpaces) {
    QString error;
    SpeechModel model = detected(assets().punctuationModel(QStringLiteral("good")));
    const std::unique_ptr<SherpaPunctuator> punctuator = SherpaPunctuator::create(model, &error);
    ASSERT_TRUE(punctuator) << error.toStdString();
    const QList<std::pair<QString, QString>> cases{
        {QStringLiteral("今天天气很好我们出去玩"), QStringLiteral("今天天气很好。我们出去玩。")},
        {QStringLiteral("hello world 很好"), QStringLiteral("hello world很好。")},  // a word the vocabulary lacks is kept
        {QString(), QString()},
        {QStringLiteral("  "), QStringLiteral("  ")},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(punctuator->punctuate(text, &error), expected) << text.toStdString();
    EXPECT_TRUE(SherpaPunctuator::keepsWords(QStringLiteral("今天很好 hello"), QStringLiteral("今天，很好。Hello？")));
    EXPECT_FALSE(SherpaPunctuator::keepsWords(QStringLiteral("今天很好我们出去"), QStringLiteral("今天很好。")));
    EXPECT_FALSE(SherpaPunctuator::keepsWords(QStringLiteral("今天很好"), QStringLiteral("今天真好。")));

    model.directory = assets().path(QStringLiteral("nowhere"));
    EXPECT_FALSE(SherpaPunctuator::create(model, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("不存在"))) << error.toStdString();
}

}  // namespace
